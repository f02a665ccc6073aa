-- No bootstrap functions: the first native function that needs one fails.
local w = createWindow('mainframe.xml')
w:showDialog()
