-- Files and folders. The driver prepares the scratch folder:
--   ro.txt (read-only), afile.txt, empty\, full\x.txt,
--   tree\a.txt, tree\sub\ro.txt (read-only), tree\sub\plain.txt,
--   tree\link and linkdir (symbolic links to outside), outside\keep.txt,
--   plain\one\two\f.txt
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local S = T.scratch("files")

-- createDirectory: slashes, doubled and trailing separators, an existing
-- folder, and a path below a file.
T.eq(createDirectory("C:/A//B/"), true, "createDirectory C:/A//B/")
T.eq(fileExists("C:\\A\\B"), true, "C:\\A\\B exists")
T.eq(createDirectory("C:/A//B/"), true, "createDirectory again")
T.eq(createDirectory(S .. "\\afile.txt\\below"), false, "createDirectory below a file")
T.eq(createDirectory(S .. "\\new/deeper\\\\deepest"), true, "createDirectory three levels")
T.eq(fileExists(S .. "\\new\\deeper\\deepest"), true, "three levels exist")
T.eq(createDirectory(""), false, "createDirectory of nothing")

-- removeFile: read-only files go too; a missing file is a failure.
T.eq(removeFile(S .. "\\ro.txt"), true, "removeFile read-only")
T.eq(fileExists(S .. "\\ro.txt"), false, "read-only file gone")
T.eq(removeFile(S .. "\\ro.txt"), false, "removeFile missing")

-- removeDirectory: a plain tree goes entirely; a read-only file stays with
-- the folders above it; a link to a folder is removed, never entered.
removeDirectory(S .. "\\plain")
T.eq(fileExists(S .. "\\plain"), false, "plain tree removed")
removeDirectory(S .. "\\tree")
T.eq(fileExists(S .. "\\tree\\sub\\ro.txt"), true, "read-only file stays")
T.eq(fileExists(S .. "\\tree\\sub\\plain.txt"), false, "other file in its folder removed")
T.eq(fileExists(S .. "\\tree\\a.txt"), false, "file at the top removed")
-- Wine cannot remove the Unix symbolic link that stands for the folder link
-- here (RemoveDirectoryW fails on it), so whether the link itself went is
-- not checked; the unit tests check that through their own file system.
T.eq(fileExists(S .. "\\outside\\keep.txt"), true, "link target untouched")
-- The link itself given with a separator after it, as install paths are
-- written: Wine then reports the target folder unless the link is asked
-- about by its own name.
removeDirectory(S .. "\\linkdir\\")
T.eq(fileExists(S .. "\\outside\\keep.txt"), true, "target of a link named with a trailing separator")
T.eq(fileExists(S .. "\\outside"), true, "the link's target folder stays")
removeDirectory(S .. "\\no such folder")

-- directoryEmpty
T.eq(directoryEmpty(S .. "\\missing"), true, "directoryEmpty missing")
T.eq(directoryEmpty(S .. "\\empty"), true, "directoryEmpty empty folder")
T.eq(directoryEmpty(S .. "\\afile.txt"), false, "directoryEmpty file")
T.eq(directoryEmpty(S .. "\\full"), false, "directoryEmpty folder with a file")
T.eq(directoryEmpty(S .. "\\new\\deeper"), false, "directoryEmpty folder with a folder")

-- fileExists
T.eq(fileExists(S .. "\\afile.txt"), true, "fileExists file")
T.eq(fileExists(S .. "\\empty"), true, "fileExists folder")
T.eq(fileExists(S .. "\\missing"), false, "fileExists missing")

-- copyFile and moveFile replace their targets.
T.write(S .. "\\source.txt", "new content")
T.write(S .. "\\target.txt", "old")
T.eq(copyFile(S .. "\\source.txt", S .. "\\target.txt"), true, "copyFile over a file")
T.eq(T.read(S .. "\\target.txt"), "new content", "copied content")
T.eq(T.read(S .. "\\source.txt"), "new content", "copy source stays")
T.eq(copyFile(S .. "\\missing.txt", S .. "\\target.txt"), false, "copyFile from nothing")
T.write(S .. "\\moving.txt", "moved")
T.eq(moveFile(S .. "\\moving.txt", S .. "\\target.txt"), true, "moveFile over a file")
T.eq(T.read(S .. "\\target.txt"), "moved", "moved content")
T.eq(fileExists(S .. "\\moving.txt"), false, "move source gone")
T.eq(moveFile(S .. "\\moving.txt", S .. "\\target.txt"), false, "moveFile from nothing")
T.eq(moveFile(S .. "\\target.txt", S .. "\\empty\\renamed.txt"), true, "moveFile into a folder")
T.eq(T.read(S .. "\\empty\\renamed.txt"), "moved", "renamed content")

-- setCurrentDirectory makes relative names resolve in that folder.
setCurrentDirectory(S .. "\\full")
T.eq(fileExists("x.txt"), true, "relative name after setCurrentDirectory")
setCurrentDirectory(S .. "\\missing")
T.eq(fileExists("x.txt"), true, "a failed setCurrentDirectory changes nothing")
