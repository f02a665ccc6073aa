dofile(os.getenv('NELVO_UI_TESTS') .. '\\bootstrap.lua')
local w = createWindow('mainframe.xml')
w:setMessageHandler(function(text)
    if text:find('code=4') then error('通知处理出错') end
    return 1
end)
startWork('error-message-work.lua', 'program.lz', '')
w:showDialog()
error('not reached')
