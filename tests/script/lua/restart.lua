-- markRestart writes the restart marker where only administrators write
-- (the registry; checked from outside), nothing in the temporary folder;
-- releaseMutex without a mutex held does nothing. reboot is never called
-- here: its failures are unit-tested.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local oldMarker = getTempFolder() .. "nelvo_restart"
removeFile(oldMarker)
T.results("markRestart", {}, markRestart())
markRestart()
T.eq(fileExists(oldMarker), false, "no marker in the temporary folder")
T.results("releaseMutex", {}, releaseMutex())
T.results("releaseMutex again", {}, releaseMutex())
