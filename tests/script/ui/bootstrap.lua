-- The bootstrap functions are the gallery's (resources/gallery), which
-- script authors copy too.
dofile(os.getenv('NELVO_UI_TESTS') .. '\\..\\..\\..\\resources\\gallery\\bootstrap.lua')
