-- Keeps sending until told to stop: the failed wizard answers 2.
for i = 1, 1000 do
    if notifyMessage('{code=4,position=' .. i .. ',text=[[x]]}') == 2 then return end
end
error('the wizard never said stop')
