-- Helpers shared by the script tests. Each test is a script run by luarun;
-- the first failed check raises an error, which luarun reports with its
-- position and turns into exit code 1.
local T = {}

local function show(v)
  if type(v) == "string" then return string.format("%q", v) end
  return tostring(v)
end

function T.check(condition, what)
  if not condition then error("check failed: " .. what, 2) end
end

function T.eq(actual, expected, what)
  if actual ~= expected then
    error(string.format("%s: expected %s, got %s", what, show(expected), show(actual)), 2)
  end
end

-- Compares every result of a call, so that a missing or extra result counts.
function T.results(what, expected, ...)
  local n = select("#", ...)
  T.eq(n, #expected, what .. " (number of results)")
  for i = 1, n do
    T.eq((select(i, ...)), expected[i], what .. " (result " .. i .. ")")
  end
end

-- The test's scratch folder under drive C:, made empty by the driver.
function T.scratch(name)
  return "C:\\nelvo-script-tests\\" .. name
end

-- The build's output folder (out/), as Wine sees the Unix path.
T.out = "Z:" .. (os.getenv("NELVO_OUT") or ""):gsub("/", "\\")
T.probe = T.out .. "\\tests\\scriptprobe.exe"

function T.write(path, content)
  local f = assert(io.open(path, "wb"))
  f:write(content)
  f:close()
end

function T.read(path)
  local f = io.open(path, "rb")
  if not f then return nil end
  local content = f:read("*a")
  f:close()
  return content
end

-- Polls `condition` every 50 ms for at most `ms` milliseconds.
function T.waitFor(ms, condition)
  for _ = 1, math.max(1, math.floor(ms / 50)) do
    if condition() then return true end
    sleep(50)
  end
  return condition() and true or false
end

return T
