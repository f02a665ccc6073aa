dofile(os.getenv('NELVO_UI_TESTS') .. '\\bootstrap.lua')
local w = createWindow('mainframe.xml')
w:setTitle('向导测试')
w:centerScreen()
w:setTimer(100, function() end)
w:getChild(2003):addHandler(30, function()
    local t = nil
    return t.field
end)
w:showDialog()
error('not reached: the error of the click handler ends the run')
