-- Install script of the worker tests. config.mode says what to do; the
-- results travel back in notifications.
local mode = config and config.mode

if mode == 'two' then
    -- Each answer must come back to the notification that asked for it.
    local first = notifyMessage('{code=4,position=1,text=[[第一步]]}')
    local second = notifyMessage('{code=4,position=2,text=[[第二步]]}')
    notifyMessage('{code=2,answers=[[' .. first .. ' ' .. second .. ']]}')
elseif mode == 'extract' then
    local found = extractFile('Effect\\bg\\black.efc', config.dir .. 'black.efc')
    local absent = extractFile('Effect\\bg\\absent.efc', config.dir .. 'absent.efc')
    notifyMessage(string.format('{code=2,found=%s,absent=%s}', tostring(found), tostring(absent)))
elseif mode == 'stop' then
    local first = notifyMessage('{code=1}')
    sleep(300)
    local second = notifyMessage('{code=1}')
    sleep(700)
    local file = io.open(config.out, 'w')
    file:write(first, ' ', second)
    file:close()
elseif mode == 'undo' then
    -- Changes of every kind the journal records, in config.dir (which
    -- holds old.bin and user.txt); the wizard's answers decide the end.
    createDirectory(config.dir .. 'made\\deeper')
    -- As the install script does: a current folder cannot be removed.
    setCurrentDirectory(config.dir .. 'made\\deeper')
    extractFile('Effect\\bg\\black.efc', config.dir .. 'old.bin')
    extractFile('Effect\\bg\\black.efc', config.dir .. 'made\\deeper\\new.efc')
    extractFile('Effect\\bg\\black.efc', config.dir .. 'kept.efc')
    moveFile(config.dir .. 'kept.efc', config.dir .. 'user.txt')
    moveFile(config.dir .. 'user.txt', config.dir .. 'moved.efc')
    notifyMessage('{code=4,position=1,text=[[半途]]}')
    if config.finish then notifyMessage('{code=2}') end
    notifyMessage('{code=4,position=2,text=[[最后]]}')
elseif mode == 'error' then
    -- The message ends inside a character.
    error('安装失败' .. string.char(0xE4, 0xB8))
end
