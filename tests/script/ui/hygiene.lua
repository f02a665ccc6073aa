-- Resource hygiene: the wizard's whole sequence on the shipped window, three
-- times over: the licence page, the folder page, an installation with its
-- progress, the finish page, then the finish. sample(label) is the test's:
-- it reads the process's object and handle counts, before each window is
-- made, on the finish page, and after its dialog has returned.
local dir = os.getenv('NELVO_UI_TESTS')
dofile(dir .. '\\bootstrap.lua')
local installPath = os.getenv('NELVO_HYGIENE_INSTALL')

local function wizardOnce()
    sample('before')
    local w = createWindow('mainframe.xml')
    w:setTitle('资源测试')
    w:setIcon(2)
    w:centerScreen()
    local bar, percent, status = w:getChild(4001), w:getChild(4002), w:getChild(4003)
    bar:setRange(100)
    local finished, closing, ticks = false, nil, 0
    w:setMessageHandler(function(text)
        local n = load('return ' .. text)()
        if n.code == 4 then
            bar:setPosition(n.position)
            percent:setText(string.format('%4d%%', n.position))
            status:setText(n.text)
        elseif n.code == 2 then
            finished = true
            w:getChild(4000):setVisible(false)
            w:getChild(5000):setVisible(true)
            w:getChild(5001):setText('安装完成')
        end
        return 1
    end)
    w:setTimer(120, function()
        ticks = ticks + 1
        if ticks == 2 then
            w:getChild(2000):setVisible(false)
            w:getChild(3000):setVisible(true)
            w:getChild(3001):setText(installPath)
        elseif ticks == 4 then
            w:getChild(3000):setVisible(false)
            w:getChild(4000):setVisible(true)
            startWork('hygiene-work.lua', 'program.lz', '{installPath=[[' .. installPath .. ']]}')
        elseif finished then
            finished = false
            closing = ticks + 2
            w:getChild(5002):setCheck(true)
        elseif closing and ticks >= closing then
            sample('during')
            w:endDialog(3)
        end
    end)
    local code = w:showDialog()
    sample('after ' .. code)
end

for _ = 1, 3 do wizardOnce() end
