-- The install side of messages.lua: notifications and their answers.
local answers = {}
answers[1] = notifyMessage('{code=4,position=1,text=[[' .. config.installPath .. ']]}')
answers[2] = notifyMessage('{code=99}')
answers[3] = notifyMessage('this is no table')
answers[4] = notifyMessage('{code=4,position=2,text=[[第二步]]}')
notifyMessage('{code=2,answers=[[' .. table.concat(answers, ',') .. ']]}')
