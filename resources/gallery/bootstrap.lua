-- The bootstrap functions every wizard-style script defines before it calls
-- a native function: the same contract as the wizard's own. The gallery's
-- script starts with this file (the build puts it in front) and the bridge's
-- tests load it.
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

-- Walks a copy: a handler that removes itself or adds another changes the
-- list, not the calls of this event.
function lua_invokeHandlers(dispatcher, sender, code, wparam, lparam)
    local list = dispatcher[code]
    if not list then return end
    local copy = {}
    for i, f in ipairs(list) do copy[i] = f end
    for _, f in ipairs(copy) do
        if f(sender, code, wparam, lparam) then return true end
    end
end

function lua_addWindow(tbl, obj, handle)
    tinsert(tbl, {obj, handle})
end

function lua_removeWindow(tbl, handle)
    for i, entry in ipairs(tbl) do
        if entry[2] == handle then
            tremove(tbl, i)
            return
        end
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
        if entry[1] == obj then
            entry[3] = func
            return
        end
    end
end

function lua_invokeMessageHandler(tbl, obj, text)
    for _, entry in ipairs(tbl) do
        if entry[1] == obj then return entry[3](text) end
    end
    return 0
end

function lua_setTimer(tbl, timer, func, window)
    tinsert(tbl, {timer, func, window})
end

function lua_killTimer(tbl, timer, window)
    for i, entry in ipairs(tbl) do
        if entry[1] == timer and entry[3] == window then
            tremove(tbl, i)
            return
        end
    end
end

function lua_removeTimer(tbl, window)
    for i = #tbl, 1, -1 do
        if tbl[i][3] == window then tremove(tbl, i) end
    end
end

function lua_onTimer(tbl, timer)
    for _, entry in ipairs(tbl) do
        if entry[1] == timer then
            entry[2]()
            return
        end
    end
end
