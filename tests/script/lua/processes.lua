-- killProcess and isProcessRunning. The driver has started
-- <scratch>\watched.exe (a probe that sleeps) and waits for its exit code.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local S = T.scratch("processes")
local watched = S .. "\\watched.exe"
local killme = S .. "\\killme.exe"
local twin = S .. "\\other\\killme.exe"
T.eq(copyFile(T.probe, killme), true, "copy the probe")
T.eq(createDirectory(S .. "\\other"), true, "folder for the twin")
T.eq(copyFile(T.probe, twin), true, "copy the twin")

T.eq(shellExecuteEx(killme, "sleep 60000", "open", 0, 0), true, "start killme")
T.eq(shellExecuteEx(twin, "sleep 60000", "open", 0, 0), true, "start the twin")
T.check(T.waitFor(10000, function() return isProcessRunning(killme) end), "killme runs")
T.check(T.waitFor(10000, function() return isProcessRunning(twin) end), "the twin runs")
T.check(T.waitFor(10000, function() return isProcessRunning(watched) end), "the watched probe runs")

T.results("path in another case", {true}, isProcessRunning(killme:upper()))
T.results("a file that is not running", {}, isProcessRunning(S .. "\\nothing.exe"))
T.results("a file name alone is no path", {}, isProcessRunning("killme.exe"))
T.results("invalid UTF-8", {}, isProcessRunning("\255"))

-- killProcess matches the full path and waits for the end.
T.results("killProcess", {}, killProcess(killme:lower()))
T.results("killme ended", {}, isProcessRunning(killme))
T.results("same name elsewhere left alone", {true}, isProcessRunning(twin))
killProcess(twin)
T.results("twin ended", {}, isProcessRunning(twin))
killProcess(watched)
T.results("watched ended", {}, isProcessRunning(watched))
killProcess(S .. "\\nothing.exe")
