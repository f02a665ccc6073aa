-- The control gallery: every control of the framework on one window, for
-- skin authors. Run it as the wizard runs:
--   wine out/luarun.exe --ui out/resources/gallery/gallery.lua --resources out/resources/gallery
-- The build puts bootstrap.lua in front of this file; the window itself is
-- gallery.xml.
local Click, ValueChange = 30, 31
local window = createWindow('gallery.xml')
window:setTitle('控件一览 - Nelvo')
window:centerScreen()
window:getChild(10):addHandler(Click, function() window:showWindow(6) end)
window:getChild(11):addHandler(Click, function() window:endDialog(0) end)
window:getChild(116):setText('多行文本框：\n每个控件都画在同一套皮肤上，\n禁用的控件在右边。')
local progress = window:getChild(117)
progress:setRange(100)
progress:setPosition(60)
-- The chosen language shows in the window's title (the task bar's text).
local combo = window:getChild(206)
combo:addHandler(ValueChange, function()
    window:setTitle('控件一览 - ' .. combo:getText())
end)
window:showDialog()
