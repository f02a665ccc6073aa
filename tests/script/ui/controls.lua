-- Control objects, handler lists, window methods and timers on the shipped
-- wizard window, without input: timers drive the dialog and end it.
local dir = os.getenv('NELVO_UI_TESTS')
dofile(dir .. '\\bootstrap.lua')
dofile(dir .. '\\expect.lua')
local ValueChange, LostFocus = 31, 3

local w = createWindow('mainframe.xml')
w:centerScreen()
local x, y = w:getPosition()
expectEq(x .. ',' .. y, os.getenv('NELVO_UI_CENTER'), 'centerScreen')

-- Identity comes from the registry: the same object every time.
expect(w:getChild(2003) == w:getChild(2003), 'getChild gives the same object twice')
expect(w:getChild(4242) == nil, 'an unknown id gives nil')
local page1 = w:getChild(2000)
expect(w:getChild(2001):getParent() == page1, 'getParent')
expect(page1:getFirstChild():getNext() == w:getChild(2001), 'getNext')
expect(w:getChild(2001):getPrevious() == page1:getFirstChild(), 'getPrevious')
expect(w:getChild(2001):getWindow() == w, 'getWindow')

-- Panel children by index: the progress page holds five.
local page3 = w:getChild(4000)
expect(page3:getChild(0) == page3:getFirstChild(), 'getChild(0) is the first')
expect(page3:getChild(-3) == page3:getFirstChild(), 'a negative index is the first')
expect(page3:getChild(1) == w:getChild(4001), 'getChild(1) is the second')
expect(page3:getChild(4) == page3:getLastChild(), 'getChild(4) is the last')
expect(page3:getChild(4) == w:getChild(4004), 'the last is the cancel button')
expect(page3:getChild(5) == nil, 'past the end is nil')

-- Type names and the extra methods they bring.
expectEq(page1:getName(), 'Panel', 'Grid')
expectEq(w:getChild(5002):getName(), 'Button', 'CheckBox')
expectEq(w:getChild(1002):getName(), 'Control', 'Label')
expectEq(w:getChild(2001):getName(), 'Edit', 'Edit')
expectEq(w:getChild(3001):getName(), 'TextBox', 'TextBox')
expectEq(w:getChild(4001):getName(), 'ProgressBar', 'ProgressBar')
expectEq(w:getRoot():getChild(0):getChild(1):getName(), 'Image', 'Image')
expect(w:getChild(1002).setCheck == nil and w:getChild(5002).setCheck ~= nil, 'setCheck only on buttons')
expect(page1.getChild ~= nil and w:getChild(2001).getChild == nil, 'getChild only on panels')

-- Texts: the attribute for labels, the editor's and the box's own text.
local label = w:getChild(4003)
label:setText('安装开始.')
expectEq(label:getText(), '安装开始.', 'label text')
local edit = w:getChild(2001)
edit:setText('第一行\r\n第二行')
expectEq(edit:getText(), '第一行\r\n第二行', 'editor text')
local box = w:getChild(3001)
local boxChanges = 0
box:addHandler(ValueChange, function() boxChanges = boxChanges + 1 end)
box:setText('C:\\Program Files\\QuentNelvo\\')
expectEq(box:getText(), 'C:\\Program Files\\QuentNelvo\\', 'text box text')
expectEq(boxChanges, 1, 'the text box raises ValueChange for setText')

-- One ValueChange per change of the check; handler lists stop at the first
-- function that returns true, and that ends the routing.
local check = w:getChild(5002)
local calls = {}
local first = function() calls[#calls + 1] = 'first'; return true end
local second = function() calls[#calls + 1] = 'second' end
check:addHandler(ValueChange, first)
check:addHandler(ValueChange, second)
check:setCheck(true)
check:setCheck(true)
expectEq(table.concat(calls, ','), 'first', 'one ValueChange, the second handler not called')
expect(check:getCheck(), 'getCheck')
-- Removing every function detaches the native delegate; adding again
-- attaches exactly one.
check:removeHandler(ValueChange, first)
check:removeHandler(ValueChange, second)
calls = {}
check:addHandler(ValueChange, second)
check:removeHandler(ValueChange, second)
check:addHandler(ValueChange, second)
check:setCheck(false)
expectEq(table.concat(calls, ','), 'second', 'add, remove, add: called once')

-- Disabling the focused control takes the focus away from it.
local lost = 0
box:addHandler(LostFocus, function() lost = lost + 1 end)
box:setFocus()
box:setEnabled(false)
expectEq(lost, 1, 'LostFocus on disabling')
expect(not box:getEnabled(), 'getEnabled')
page1:setVisible(false)
expect(not page1:getVisible(), 'getVisible')
page1:setVisible(true)

-- Timers: the first tick comes one interval later, not at setTimer; a killed
-- timer never runs again while the other goes on; endDialog(0) goes on too.
local ticksA, ticksB = 0, 0
local a, b
a = w:setTimer(50, function()
    ticksA = ticksA + 1
    if ticksA == 2 then w:killTimer(a) end
end)
expectEq(ticksA, 0, 'no tick inside setTimer')
expect(type(a) == 'number' and a ~= 0, 'a timer handle')
b = w:setTimer(80, function()
    ticksB = ticksB + 1
    if ticksB == 3 then w:endDialog(0) end
    if ticksB == 6 then w:endDialog(5) end
end)
local saved = w:getChild(2003)
expectEq(w:showDialog(), 5, 'showDialog returns the code of endDialog')
expectEq(ticksA, 2, 'the killed timer ran twice')
expectEq(ticksB, 6, 'endDialog(0) did not end the dialog')

-- After the dialog the window and its controls are gone.
expectEq(count(w:showDialog()), 0, 'a second showDialog returns nothing')
expectEq(count(w:getChild(2003)), 0, 'getChild of a dead window')
expectEq(count(saved:getText()), 0, 'getText of a dead control')
expectEq(saved:getName(), 'nil', 'getName of a dead control')
expectEq(count(createWindow('no-such-member.xml')), 0, 'createWindow of a missing member')
report()
