-- volumeExists. arg[1]: a drive letter the prefix does not have.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local missing = assert(arg[1], "missing drive letter argument")

T.eq(volumeExists("C:\\"), true, "C:\\ is a fixed disk")
T.eq(volumeExists("c:\\"), true, "lower-case drive letter")
T.eq(volumeExists(missing .. ":\\"), false, "a drive that does not exist")
T.eq(volumeExists("C:"), false, "root without its backslash")
T.eq(volumeExists("C:\\Windows"), false, "a folder is not a root")
T.eq(volumeExists(""), false, "empty root")
T.eq(volumeExists(), false, "no argument")
T.eq(volumeExists("\255:\\"), false, "invalid UTF-8")
