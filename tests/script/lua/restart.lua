-- markRestart writes the restart marker; releaseMutex without a mutex held
-- does nothing. reboot is never called here: its failures are unit-tested.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local marker = getTempFolder() .. "nelvo_restart"
removeFile(marker)
T.results("markRestart", {}, markRestart())
T.eq(fileExists(marker), true, "marker written")
T.eq(#T.read(marker), 8, "marker size")
markRestart()
T.eq(#T.read(marker), 8, "written anew, not appended")
T.results("releaseMutex", {}, releaseMutex())
T.results("releaseMutex again", {}, releaseMutex())
io.write(marker, "\n")
