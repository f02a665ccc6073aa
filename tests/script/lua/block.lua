-- The running-programs block. arg[1] selects the case:
--   empty     nobody holds the block: it reads as nothing
--   final     "C:\P\a.exe;D:\b.exe;": a.exe and Nelvo.exe, which run from
--             the folders given, are ended; b.exe, listed but running
--             elsewhere, is not
--   nofinal   "C:\P\a.exe;D:\b.exe": the last entry is lost, b.exe (in a
--             folder given) survives
--   text      Chinese text comes back as UTF-8
-- A probe copy "writer.exe" fills the block and keeps it open meanwhile.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local S = T.scratch("block-" .. arg[1])
local mode = arg[1]

local function copyProbe(name)
  local path = S .. "\\" .. name
  T.eq(createDirectory(path:match("^(.*)\\")), true, "folder for " .. name)
  T.eq(copyFile(T.probe, path), true, "copy the probe to " .. name)
  return path
end

local function startSleeping(path)
  T.eq(shellExecuteEx(path, "sleep 60000", "open", 0, 0), true, "start " .. path)
  T.check(T.waitFor(10000, function() return isProcessRunning(path) end), path .. " runs")
end

local function publish(text)
  local writer = copyProbe("writer.exe")
  T.eq(shellExecuteEx(writer, "block \"" .. text .. "\" 60000", "open", 0, 0), true, "start the writer")
  T.check(T.waitFor(10000, function() return getRunningProcess() == text end), "the block holds " .. text)
  return writer
end

if mode == "empty" then
  T.results("empty block", {}, getRunningProcess())
  killRunningProcess(S .. "\\")
  T.results("still empty", {}, getRunningProcess())
elseif mode == "text" then
  local text = "C:\\程序\\相机.exe;other.exe;"
  local writer = publish(text)
  T.results("Chinese block text", {text}, getRunningProcess())
  killProcess(writer)
  T.check(T.waitFor(5000, function() return getRunningProcess() == nil end), "block gone with its writer")
else
  local a = copyProbe("P\\a.exe")
  -- Listed last: outside the folders given, or inside them but after the
  -- last ";".
  local b = copyProbe(mode == "final" and "b.exe" or "P\\b.exe")
  local nelvo = copyProbe("Q\\Nelvo.exe")
  startSleeping(a)
  startSleeping(b)
  startSleeping(nelvo)
  local text = mode == "final" and "C:\\P\\a.exe;D:\\b.exe;" or "C:\\P\\a.exe;D:\\b.exe"
  local writer = publish(text)
  -- The block is anyone's to write: it names programs, the folders decide.
  killRunningProcess(S .. "\\P", S .. "\\Q\\", 7)
  -- Ending does not wait.
  T.check(T.waitFor(5000, function() return not isProcessRunning(a) end), "a.exe ended")
  T.check(T.waitFor(5000, function() return not isProcessRunning(nelvo) end), "Nelvo.exe ended")
  sleep(500)
  T.results(mode == "final" and "b.exe runs from another folder" or "b.exe after the last ';' is no entry", {true},
    isProcessRunning(b))
  killProcess(b)
  T.results("the writer is not listed", {true}, isProcessRunning(writer))
  killProcess(writer)
end
