-- The running-programs block. arg[1] selects the case:
--   empty     nobody holds the block: it reads as nothing
--   final     "C:\P\a.exe;D:\b.exe;": b.exe, a.exe and Nelvo.exe are ended
--   nofinal   "C:\P\a.exe;D:\b.exe": the last entry is lost, b.exe survives
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
  killRunningProcess()
  T.results("still empty", {}, getRunningProcess())
elseif mode == "text" then
  local text = "C:\\程序\\相机.exe;other.exe;"
  local writer = publish(text)
  T.results("Chinese block text", {text}, getRunningProcess())
  killProcess(writer)
  T.check(T.waitFor(5000, function() return getRunningProcess() == nil end), "block gone with its writer")
else
  local a = copyProbe("P\\a.exe")
  local b = copyProbe("b.exe")
  local nelvo = copyProbe("Nelvo.exe")
  startSleeping(a)
  startSleeping(b)
  startSleeping(nelvo)
  local text = mode == "final" and "C:\\P\\a.exe;D:\\b.exe;" or "C:\\P\\a.exe;D:\\b.exe"
  local writer = publish(text)
  killRunningProcess()
  -- Ending by file name does not wait.
  T.check(T.waitFor(5000, function() return not isProcessRunning(a) end), "a.exe ended")
  T.check(T.waitFor(5000, function() return not isProcessRunning(nelvo) end), "Nelvo.exe ended")
  if mode == "final" then
    T.check(T.waitFor(5000, function() return not isProcessRunning(b) end), "b.exe ended")
  else
    sleep(500)
    T.results("b.exe after the last ';' is no entry", {true}, isProcessRunning(b))
    killProcess(b)
  end
  T.results("the writer is not listed", {true}, isProcessRunning(writer))
  killProcess(writer)
end
