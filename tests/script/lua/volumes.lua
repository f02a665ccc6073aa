-- volumeExists. arg[1]: a drive letter the prefix does not have; arg[2],
-- arg[3], arg[4]: letters mapped as a CD drive, a removable drive and a
-- network drive.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local missing = assert(arg[1], "missing drive letter argument")
local cdrom, removable, remote = assert(arg[2]), assert(arg[3]), assert(arg[4])

T.eq(volumeExists("C:\\"), true, "C:\\ is a fixed disk")
T.eq(volumeExists("c:\\"), true, "lower-case drive letter")
T.eq(volumeExists(missing .. ":\\"), false, "a drive that does not exist")
T.eq(volumeExists(cdrom .. ":\\"), false, "a CD drive is not a fixed disk")
T.eq(volumeExists(removable .. ":\\"), false, "a removable drive is not a fixed disk")
T.eq(volumeExists(remote .. ":\\"), false, "a network drive is not a fixed disk")
T.eq(volumeExists("C:"), false, "root without its backslash")
T.eq(volumeExists("C:\\Windows"), false, "a folder is not a root")
T.eq(volumeExists(""), false, "empty root")
T.eq(volumeExists(), false, "no argument")
T.eq(volumeExists("\255:\\"), false, "invalid UTF-8")
