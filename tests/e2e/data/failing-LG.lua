-- An install script that fails half way with an error of its own, for the
-- wizard's way out: it reports its start and one step, extracts one file,
-- then indexes a value that is not there (line 10).
notifyMessage('{code=1}')
notifyMessage('{code=3,range=10}')
notifyMessage('{code=4,position=1,text=[[解压文件nelvo.cat]]}')
createDirectory(config.installPath)
extractFile('nelvo.cat', config.installPath .. 'nelvo.cat')
local missing
missing.field = 1
notifyMessage('{code=2}')
