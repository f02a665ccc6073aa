-- shellExecuteEx, setEnvVar and createShortCut with the probe program.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local S = T.scratch("shell")
local probe = S .. "\\probe.exe"
T.eq(copyFile(T.probe, probe), true, "copy the probe")

-- With 0x40 the call waits and returns the exit code.
T.results("mask 64, exit 1", {true, 1}, shellExecuteEx(probe, "exit 1", "open", 0, 64))
T.results("mask 64, exit 0", {true, 0}, shellExecuteEx(probe, "exit 0", "open", 0, 64))
T.results("mask 64, exit -8", {true, -8}, shellExecuteEx(probe, "exit -8", "open", 0, 64))
T.results("mask as a string", {true, 5}, shellExecuteEx(probe, "exit 5", "open", "0", "64"))
-- Without it the call returns at once, with one result.
T.results("mask 0", {true}, shellExecuteEx(probe, "exit 1", "open", 0, 0))
-- A missing file fails without a dialog (the call would hang on one).
T.results("missing file", {false}, shellExecuteEx(S .. "\\missing.exe", "", "open", 0, 64))
T.results("invalid UTF-8 file", {false}, shellExecuteEx("\255", "", "open", 0, 64))

-- Started programs inherit the variables set with setEnvVar.
setEnvVar("NELVO_PROBE_CODE", "37")
T.results("inherited variable", {true, 37}, shellExecuteEx(probe, "envexit NELVO_PROBE_CODE", "open", 0, 64))
setEnvVar("NELVO_PROBE_CODE", "41")
T.results("changed variable", {true, 41}, shellExecuteEx(probe, "envexit NELVO_PROBE_CODE", "open", 0, 64))

-- Nothing is searched for: a relative name starts nothing, even in the
-- current folder; a bare name is the system's, from its folder.
setCurrentDirectory(S)
T.results("relative program name", {false}, shellExecuteEx("probe.exe", "exit 4", "open", 0, 64))
T.results("relative path", {false}, shellExecuteEx(".\\probe.exe", "exit 4", "open", 0, 64))
T.results("a system program", {true, 0}, shellExecuteEx("cmd", "/c exit 0", "open", 0, 64))
-- The program gets its full path in quotes, then the parameters, and keeps
-- its spaces.
local spaced = S .. "\\with space\\probe two.exe"
T.eq(createDirectory(S .. "\\with space"), true, "folder with a space")
T.eq(copyFile(T.probe, spaced), true, "copy the probe to a name with a space")
T.results("a path with spaces", {true, 6}, shellExecuteEx(spaced, "exit 6", "open", 0, 64))

-- Shell links. The driver resolves probe.lnk from outside.
T.eq(createShortCut(probe, S .. "\\probe.lnk"), true, "createShortCut")
T.eq(fileExists(S .. "\\probe.lnk"), true, "link file written")
T.eq(createShortCut(probe, S .. "\\missing\\probe.lnk"), false, "createShortCut into a missing folder")
T.eq(fileExists(S .. "\\missing"), false, "no folder made for the link")
