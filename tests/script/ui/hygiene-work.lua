-- The install side of hygiene.lua: a few real members extracted with their
-- progress reported, then the finish.
local members = {'Nelvo.exe', 'Resource\\black_skin.nz', 'Effect\\bg\\black.efc', 'nelvo.inf'}
for i, name in ipairs(members) do
    local target = config.installPath .. name:gsub('\\', '_')
    notifyMessage('{code=4,position=' .. (i * 20) .. ',text=[[正在解压缩文件:' .. target .. ']]}')
    extractFile(name, target)
end
notifyMessage('{code=4,position=100,text=[[完成]]}')
notifyMessage('{code=2}')
