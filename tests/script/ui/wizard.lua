-- A small wizard on the shipped window, driven by real clicks: accepting the
-- licence turns to the folder page, the install button asks in an owned
-- message box and ends the dialog; a timer runs all along.
local dir = os.getenv('NELVO_UI_TESTS')
dofile(dir .. '\\bootstrap.lua')
dofile(dir .. '\\expect.lua')
local Click = 30

local w = createWindow('mainframe.xml')
w:setTitle('向导测试')
w:centerScreen()
local ticks = 0
w:setTimer(100, function() ticks = ticks + 1 end)
local pages = {}
w:getChild(2003):addHandler(Click, function()
    pages[#pages + 1] = 'accept'
    w:getChild(2000):setVisible(false)
    w:getChild(3000):setVisible(true)
end)
w:getChild(3004):addHandler(Click, function()
    pages[#pages + 1] = 'install'
    local answer = w:showMessageBox('现在开始安装吗？', '提示', 1 + 32)
    expectEq(answer, 1, 'the owned box answered OK')
    w:endDialog(3)
end)
expectEq(w:showDialog(), 3, 'showDialog')
expectEq(table.concat(pages, ','), 'accept,install', 'the clicks in order')
expect(ticks > 0, 'the timer ticked')
report()
