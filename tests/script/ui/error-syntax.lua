dofile(os.getenv('NELVO_UI_TESTS') .. '\\bootstrap.lua')
local w = createWindow('mainframe.xml'
