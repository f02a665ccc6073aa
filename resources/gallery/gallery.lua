-- The control gallery: every control of the framework on one window, for
-- skin authors. Run it as the wizard runs:
--   wine out/luarun.exe --ui out/resources/gallery/gallery.lua --resources out/resources/gallery
-- The bootstrap functions below are the contract every wizard-style script
-- fulfils; the window itself is gallery.xml.
local tinsert, tremove = table.insert, table.remove

function lua_addControl(tbl, obj, handle)
    local entry = {obj, handle, {}}
    tbl[1][obj] = entry
    tbl[2][handle] = entry
end
function lua_removeControl(tbl, handle)
    local entry = tbl[2][handle]
    if entry then
        tbl[1][entry[1]] = nil
        tbl[2][handle] = nil
    end
end
function lua_queryControl(tbl, handle)
    local entry = tbl[2][handle]
    return entry and entry[1]
end
function lua_queryControlHandle(tbl, obj)
    local entry = tbl[1][obj]
    return entry and entry[2]
end
function lua_queryControlDispatcher(tbl, obj)
    local entry = tbl[1][obj]
    return entry and entry[3]
end
function lua_addHandler(dispatcher, code, func)
    local list = dispatcher[code]
    if list then
        tinsert(list, func)
        return false
    end
    dispatcher[code] = {func}
    return true
end
function lua_removeHandler(dispatcher, code, func)
    local list = dispatcher[code]
    if not list then return true end
    for i, f in ipairs(list) do
        if f == func then
            tremove(list, i)
            break
        end
    end
    if #list == 0 then
        dispatcher[code] = nil
        return true
    end
end
function lua_invokeHandlers(dispatcher, sender, code, wparam, lparam)
    local list = dispatcher[code]
    if not list then return end
    for _, f in ipairs(list) do
        if f(sender, code, wparam, lparam) then return true end
    end
end
function lua_addWindow(tbl, obj, handle) tinsert(tbl, {obj, handle}) end
function lua_removeWindow(tbl, handle)
    for i, entry in ipairs(tbl) do
        if entry[2] == handle then return tremove(tbl, i) and nil end
    end
end
function lua_queryWindow(tbl, handle)
    for _, entry in ipairs(tbl) do
        if entry[2] == handle then return entry[1] end
    end
end
function lua_queryWindowHandle(tbl, obj)
    for _, entry in ipairs(tbl) do
        if entry[1] == obj then return entry[2] end
    end
    return 0
end
function lua_setMessageHandler(tbl, obj, func)
    for _, entry in ipairs(tbl) do
        if entry[1] == obj then entry[3] = func end
    end
end
function lua_invokeMessageHandler(tbl, obj, text)
    for _, entry in ipairs(tbl) do
        if entry[1] == obj and entry[3] then return entry[3](text) end
    end
    return 0
end
function lua_setTimer(tbl, timer, func, window) tinsert(tbl, {timer, func, window}) end
function lua_killTimer(tbl, timer, window)
    for i, entry in ipairs(tbl) do
        if entry[1] == timer and entry[3] == window then return tremove(tbl, i) and nil end
    end
end
function lua_removeTimer(tbl, window)
    for i = #tbl, 1, -1 do
        if tbl[i][3] == window then tremove(tbl, i) end
    end
end
function lua_onTimer(tbl, timer)
    for _, entry in ipairs(tbl) do
        if entry[1] == timer then return entry[2]() end
    end
end

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
