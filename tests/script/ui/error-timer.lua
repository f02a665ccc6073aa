dofile(os.getenv('NELVO_UI_TESTS') .. '\\bootstrap.lua')
local w = createWindow('mainframe.xml')
local n = 0
w:setTimer(50, function()
    n = n + 1
    if n == 2 then error('计时器出错：第' .. n .. '次') end
end)
w:showDialog()
error('not reached')
