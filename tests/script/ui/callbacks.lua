-- Handler codes as text and as fractions, handler lists changed by their
-- own handlers, a timer made inside a coroutine, a timer whose function
-- opens a message box, a nested showDialog, and control objects whose
-- entries the script keeps after their controls are gone.
local dir = os.getenv('NELVO_UI_TESTS')
dofile(dir .. '\\bootstrap.lua')
dofile(dir .. '\\expect.lua')
local ValueChange = 31
-- Entries are never removed: a kept object then names a dead control.
lua_removeControl = function() end

local w = createWindow('mainframe.xml')
w:centerScreen()

-- The code is read as an integer: '31' and 31.0 are ValueChange, nil is 0.
local check = w:getChild(5002)
local calls = {}
local function record(name) return function() calls[#calls + 1] = name end end
check:addHandler('31', record('text'))
check:addHandler(31.0, record('float'))
check:addHandler(nil, record('nil'))
check:setCheck(true)
expectEq(table.concat(calls, ','), 'text,float', 'codes as text and as a float')

-- A handler that removes itself: the one after it still runs this time.
local once
once = function()
    calls[#calls + 1] = 'once'
    check:removeHandler(ValueChange, once)
end
check:addHandler(ValueChange, once)
check:addHandler(ValueChange, record('after'))
calls = {}
check:setCheck(false)
check:setCheck(true)
expectEq(table.concat(calls, ','), 'text,float,once,after,text,float,after', 'a handler that removes itself')

-- A timer made inside a coroutine ticks like any other.
local coTicks = 0
local coTimer = coroutine.wrap(function()
    return w:setTimer(40, function() coTicks = coTicks + 1 end)
end)()

-- A timer whose function shows a message box is not called again while
-- the box is open.
local depth, deepest, boxCalls, boxDone = 0, 0, 0, false
local boxTimer
boxTimer = w:setTimer(30, function()
    depth = depth + 1
    deepest = math.max(deepest, depth)
    boxCalls = boxCalls + 1
    if boxCalls == 1 then
        w:showMessageBox('计时器打开的消息框', '提示', 0)
        w:killTimer(boxTimer)
        boxDone = true
    end
    depth = depth - 1
end)

local nested
local main
main = w:setTimer(50, function()
    if nested == nil then nested = count(w:showDialog()) end
    if coTicks >= 2 and boxDone then
        w:killTimer(coTimer)
        w:killTimer(main)
        w:endDialog(7)
    end
end)
local saved = w:getChild(4003)
expectEq(w:showDialog(), 7, 'showDialog returns the code of endDialog')
expectEq(nested, 0, 'showDialog while its dialog runs returns nothing')
expect(coTicks >= 2, 'the coroutine timer ticked')
expectEq(deepest, 1, 'the box timer was not called inside itself')
expectEq(boxCalls, 1, 'the box timer ran once before it was killed')
expectEq(count(saved:getText()), 0, 'getText of a control that is gone')
expectEq(saved:getName(), 'nil', 'getName of a control that is gone')
report()
