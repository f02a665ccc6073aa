-- A strict global table and no lua_removeControl: the failure of the control
-- clean-up at the end of the dialog is reported like any other.
dofile(os.getenv('NELVO_UI_TESTS') .. '\\bootstrap.lua')
lua_removeControl = nil
setmetatable(_G, {__index = function(_, name) error('未定义的全局变量 ' .. tostring(name), 0) end})
local w = createWindow('mainframe.xml')
w:getChild(4003):setText('x')
w:setTimer(50, function() w:endDialog(1) end)
w:showDialog()
error('not reached')
