-- The system functions and the four root numbers are globals.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local names = {
  "sleep", "killProcess", "removeFile", "moveFile", "copyFile", "removeDirectory", "createDirectory",
  "shellExecuteEx", "fileExists", "print", "getAppDataFolder", "getProgramFolder", "getTempFolder",
  "getDesktopFolder", "getStartMenuFolder", "createShortCut", "reboot", "volumeExists", "directoryEmpty",
  "setCurrentDirectory", "isWOW32", "isProcessRunning", "showMessageBox", "getProcessPath", "regQueryString",
  "regQueryInteger", "regWriteString", "regWriteInteger", "regDeleteValue", "regDeleteSubKey", "markRestart",
  "releaseMutex", "setEnvVar", "isVista", "isWin8", "getRunningProcess", "killRunningProcess",
  "createProtectedDirectory", "isSystemPath", "diskFreeSpace", "fileSize", "getRunOptions", "setExitCode",
  "writeLog", "installFolderTrust",
}
T.eq(#names, 45, "number of system functions")
for _, name in ipairs(names) do
  T.check(type(_G[name]) == "function", name .. " is registered")
  T.eq(debug.getinfo(_G[name], "S").what, "C", name .. " is native")
end
T.eq(HKEY_CLASSES_ROOT, -2147483648, "HKEY_CLASSES_ROOT")
T.eq(HKEY_CURRENT_USER, -2147483647, "HKEY_CURRENT_USER")
T.eq(HKEY_LOCAL_MACHINE, -2147483646, "HKEY_LOCAL_MACHINE")
T.eq(HKEY_USERS, -2147483645, "HKEY_USERS")

-- Like the worker's state: every standard library is there, and the state
-- has none of the wizard's functions.
for _, lib in ipairs({"package", "coroutine", "table", "io", "os", "string", "bit32", "math", "debug"}) do
  T.check(type(_G[lib]) == "table", lib .. " is open")
end
T.eq(createWindow, nil, "no createWindow")
T.eq(arg[1], "one", "arg[1]")
T.eq(select("#", ...), 2, "the chunk gets the arguments")

-- No system function raises a script error, whatever it is given.
-- (Left out: what would wait, restart, show a box, start a program or end
-- processes.)
local odd = {n = 8, nil, true, {}, print, "\255", 1e300, -1/0, coroutine.create(print)}
local skip = {reboot = true, showMessageBox = true, sleep = true, shellExecuteEx = true,
              killRunningProcess = true, killProcess = true, removeDirectory = true, markRestart = true}
for _, name in ipairs(names) do
  if not skip[name] then
    for i = 1, odd.n do
      local v = odd[i]
      local ok, err = pcall(_G[name], v, v, v, v, v)
      T.check(ok, name .. " raised " .. tostring(err))
    end
  end
end
