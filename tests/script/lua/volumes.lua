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

-- diskFreeSpace and fileSize, which the wizard's space check adds up.
local free, cluster = diskFreeSpace("C:\\")
T.check(type(free) == "number" and free > 0, "free space on C:")
T.check(type(cluster) == "number" and cluster >= 512 and cluster % 512 == 0, "cluster size of C:")
local deep = diskFreeSpace("c:/NelvoNotThere/a/b\\")
T.check(deep and math.abs(deep - free) < 64 * 1024 * 1024, "a folder not made yet counts as its drive's")
T.eq(diskFreeSpace(missing .. ":\\Nelvo\\"), nil, "a drive that does not exist")
T.eq(diskFreeSpace("Nelvo\\"), nil, "no drive")
T.eq(diskFreeSpace(""), nil, "empty path")
local name = getTempFolder() .. "nelvo-filesize.bin"
local f = assert(io.open(name, "wb"))
f:write(string.rep("x", 5000))
f:close()
T.eq(fileSize(name), 5000, "a file's size")
os.remove(name)
T.eq(fileSize(name), nil, "no file")
T.eq(fileSize("C:\\windows"), nil, "a folder has no file size")
