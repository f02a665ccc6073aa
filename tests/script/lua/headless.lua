-- Run by `luarun --package` as the install worker runs the install script:
-- the answers come from the command line, the files from the package.
notifyMessage('{code=1}')
local path = config.installPath
createDirectory(path)
notifyMessage('{code=4,position=1,text=[==[' .. path .. ']==]}')
if not extractFile('Effect\\bg\\black.efc', path .. 'black.efc') then error('black.efc was not extracted') end
if extractFile('Effect\\bg\\absent.efc', path .. 'absent.efc') then error('an absent member was extracted') end
-- Answered 4 and then 2, as the retry loop of the install script expects.
local tries = 0
repeat tries = tries + 1 until notifyMessage('{code=5,file=[[x]]}') == 2 or tries == 5
notifyMessage('{code=10,file=[[a.exe\r\nb.exe]]}')
notifyMessage('not a table')
error('stopped after ' .. tries .. ' tries')
