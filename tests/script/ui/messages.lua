-- Worker notifications reach the window's message handler in order, and
-- its answers reach the worker.
local dir = os.getenv('NELVO_UI_TESTS')
dofile(dir .. '\\bootstrap.lua')
dofile(dir .. '\\expect.lua')

local w = createWindow('mainframe.xml')
local seen = {}
w:setMessageHandler(function(text)
    local ok, obj = pcall(load('return ' .. text))
    local code = ok and type(obj) == 'table' and obj.code or 'none'
    seen[#seen + 1] = tostring(code)
    if code == 4 then
        w:getChild(4003):setText(obj.text)
        return 40 + obj.position
    elseif code == 2 then
        expectEq(obj.answers, '41,5,5,42', 'the answers the worker got')
        w:endDialog(3)
        return 1
    end
    return 5
end)
w:setTimer(50, function() end)
startWork('messages-work.lua', 'program.lz', '{installPath=[[C:\\Program Files\\QuentNelvo\\]]}')
expectEq(w:showDialog(), 3, 'the last notification ended the dialog')
expectEq(table.concat(seen, ','), '4,99,none,4,2', 'the notifications in order')
report()
