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

-- A name the system does not have is found in the current folder, as the
-- install script's device tool is.
T.results("a tool of the current folder", {true, 91}, shellExecuteEx("plantedtool", "", "open", 0, 64))
