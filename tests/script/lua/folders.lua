-- Special folders, the program's own path, and the version tests.
-- arg[1], arg[2]: "true"/"false", what isVista and isWin8 should say for the
-- version that the driver read from the system.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")

local function endsWith(text, tail)
  return text:sub(-#tail):lower() == tail:lower()
end

local shellFolders = {
  {"getAppDataFolder", "\\AppData\\Roaming"},
  -- a 32-bit program on a 64-bit system gets the folder for 32-bit programs
  {"getProgramFolder", "C:\\Program Files (x86)"},
  {"getDesktopFolder", "\\Public\\Desktop"},
  {"getStartMenuFolder", "\\Microsoft\\Windows\\Start Menu\\Programs"},
}
for _, f in ipairs(shellFolders) do
  local name, tail = f[1], f[2]
  T.eq(select("#", _G[name]()), 1, name .. " gives one result")
  local path = _G[name]()
  T.check(type(path) == "string", name .. " returns a path")
  T.check(endsWith(path, tail), name .. " is " .. path)
  T.check(path:sub(-1) ~= "\\", name .. " has no trailing backslash")
  T.eq(fileExists(path), true, name .. " exists")
  io.write(name, "=", path, "\n")
end

-- The folders of all users, not the user's own ones that end the same way.
local common = assert(os.getenv("ProgramData") or os.getenv("ALLUSERSPROFILE"), "no ProgramData variable")
local user = assert(os.getenv("APPDATA"), "no APPDATA variable")
local programs = "\\Microsoft\\Windows\\Start Menu\\Programs"
T.eq(getStartMenuFolder():lower(), (common .. programs):lower(), "the start menu of all users")
T.check(getStartMenuFolder():lower() ~= (user .. programs):lower(), "not the user's own start menu")
T.eq(getDesktopFolder():lower(), (assert(os.getenv("PUBLIC"), "no PUBLIC variable") .. "\\Desktop"):lower(),
  "the desktop of all users")

local temp = getTempFolder()
T.check(type(temp) == "string" and temp:sub(-1) == "\\", "getTempFolder ends with a backslash")
T.eq(fileExists(temp), true, "temp folder exists")
io.write("getTempFolder=", temp, "\n")

local own = getProcessPath()
T.eq(own:lower(), (T.out .. "\\luarun.exe"):lower(), "getProcessPath")

T.eq(isWOW32(), false, "isWOW32 on a 64-bit system")
T.eq(tostring(isVista()), arg[1], "isVista")
T.eq(tostring(isWin8()), arg[2], "isWin8")
