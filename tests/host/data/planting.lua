-- Run by luarun.exe from a folder where files have been planted (see
-- PlantingTest.cpp): regsvr32.exe and plantedtool.exe there are stand-ins
-- that exit with 91. Arguments: that folder, the script tests' helpers.
local folder, helpers = ...
local T = dofile(helpers)

-- The install script makes its folder current before it starts programs.
setCurrentDirectory(folder)

-- Programs of the system start from the system folder, whatever lies in the
-- current folder or beside this program; with or without the extension.
local started, code = shellExecuteEx("regsvr32", "/s nelvo-planting-missing.dll", "open", 0, 64)
T.eq(started, true, "regsvr32 started")
T.check(code ~= nil and code ~= 91, "regsvr32 came from the system folder (exit code " .. tostring(code) .. ")")
started, code = shellExecuteEx("REGSVR32.exe", "/s nelvo-planting-missing.dll", "open", 0, 64)
T.eq(started, true, "REGSVR32.exe started")
T.check(code ~= nil and code ~= 91, "REGSVR32.exe came from the system folder (exit code " .. tostring(code) .. ")")

-- A name the system does not have is not looked for anywhere else: not in
-- the current folder, not beside this program, not by a relative path. A
-- tool of the installation is started by its full path.
T.results("a bare name of the current folder", {false}, shellExecuteEx("plantedtool", "", "open", 0, 64))
T.results("a relative path", {false}, shellExecuteEx(".\\plantedtool.exe", "", "open", 0, 64))
T.results("a full path", {true, 91}, shellExecuteEx(folder .. "\\plantedtool.exe", "", "open", 0, 64))

-- Nothing is deleted, moved, copied or written through a link: "linked" is
-- a folder link to a folder outside, the restart marker a link to a file
-- there.
local linked = folder .. "\\linked\\"
T.eq(removeFile(linked .. "victim.txt"), false, "removeFile through a link")
T.eq(copyFile(folder .. "\\setup.exe", linked .. "victim.txt"), false, "copyFile onto a file behind a link")
T.eq(copyFile(linked .. "victim.txt", folder .. "\\copied.txt"), false, "copyFile from behind a link")
T.eq(moveFile(linked .. "victim.txt", folder .. "\\moved.txt"), false, "moveFile from behind a link")
T.eq(moveFile(folder .. "\\setup.exe", linked .. "inner\\setup.exe"), false, "moveFile to behind a link")
removeDirectory(linked .. "inner")
T.eq(createProtectedDirectory(linked .. "made"), false, "createProtectedDirectory behind a link")
T.eq(createDirectory(linked .. "made\\deeper"), false, "createDirectory behind a link")
markRestart()
T.check(fileExists(folder .. "\\setup.exe"), "the moved file stayed")
T.eq(fileExists(folder .. "\\copied.txt"), false, "nothing was copied out")
