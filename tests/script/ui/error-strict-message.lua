-- A strict global table and no lua_invokeMessageHandler: the first worker
-- notification fails, the worker is told to stop, and the failure is
-- reported like any other.
dofile(os.getenv('NELVO_UI_TESTS') .. '\\bootstrap.lua')
lua_invokeMessageHandler = nil
setmetatable(_G, {__index = function(_, name) error('未定义的全局变量 ' .. tostring(name), 0) end})
local w = createWindow('mainframe.xml')
w:setMessageHandler(function() return 1 end)
startWork('error-message-work.lua', 'program.lz', '')
local result = w:showDialog()
error('not reached: showDialog gave ' .. tostring(result))
