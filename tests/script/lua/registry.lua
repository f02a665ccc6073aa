-- Registry functions. The driver has written, under HKCU\<K>:
--   expand   REG_EXPAND_SZ "%TEMP%"
--   ones     REG_DWORD 0xffffffff
--   raw259, raw260, raw261
--            REG_SZ of that many units "x" without a terminating zero
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local HKCU, HKLM = HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE
local K = "Software\\NelvoScriptTest"

-- Strings, with Chinese text in the value, in the value name and in the key.
regWriteString(HKCU, K, "ascii", "hello")
T.eq(regQueryString(HKCU, K, "ascii"), "hello", "ASCII round trip")
regWriteString(HKCU, K, "chinese", "安装程序 – 测试")
T.eq(regQueryString(HKCU, K, "chinese"), "安装程序 – 测试", "Chinese round trip")
regWriteString(HKCU, K .. "\\中文键", "名字", "值")
T.eq(regQueryString(HKCU, K .. "\\中文键", "名字"), "值", "Chinese key and name")
regWriteString(HKCU, K, "empty", "")
T.eq(regQueryString(HKCU, K, "empty"), "", "empty string value")

-- The default value is the one with the empty name.
regWriteString(HKCU, K .. "\\Default", "", "the default")
T.eq(regQueryString(HKCU, K .. "\\Default", ""), "the default", "default value")
T.eq(regQueryString(HKCU, K .. "\\Default", "other"), nil, "missing value")

-- What regQueryString does not return.
T.results("REG_EXPAND_SZ", {}, regQueryString(HKCU, K, "expand"))
T.results("REG_DWORD as string", {}, regQueryString(HKCU, K, "ones"))
T.results("missing key", {}, regQueryString(HKCU, K .. "\\Nothing", "ascii"))
regWriteString(HKCU, K, "long259", string.rep("y", 259))
T.eq(regQueryString(HKCU, K, "long259"), string.rep("y", 259), "259 units fit")
regWriteString(HKCU, K, "long260", string.rep("y", 260))
T.results("260 units and the zero do not fit", {}, regQueryString(HKCU, K, "long260"))
T.eq(regQueryString(HKCU, K, "raw259"), string.rep("x", 259), "unterminated value that fits")
-- Windows fills all 520 bytes and leaves the zero to the caller; Wine wants
-- room for the zero and refuses. Either way nothing past the buffer is read.
local raw260 = regQueryString(HKCU, K, "raw260")
T.check(raw260 == nil or raw260 == string.rep("x", 260), "a full buffer without a zero ends in it")
T.results("longer unterminated value", {}, regQueryString(HKCU, K, "raw261"))

-- Integers.
regWriteInteger(HKCU, K, "Answer", 524291)
T.eq(regQueryInteger(HKCU, K, "Answer"), 524291, "524291 round trip")
T.eq(regQueryInteger(HKCU, K, "ones"), -1, "all 32 bits set")
T.results("REG_SZ as integer", {}, regQueryInteger(HKCU, K, "ascii"))
T.results("missing integer", {}, regQueryInteger(HKCU, K, "nothing"))

-- Number arguments: numeric strings, ties to even, wrapping, non-numbers.
local numbers = {
  {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {-0.6, -1},
  {"524291", 524291}, {" 77 ", 77}, {"0x10", 16}, {"1e3", 1000},
  {4294967295, -1}, {2147483648, -2147483648}, {-2147483649, 2147483647},
  {"abc", 0}, {true, 0}, {{}, 0}, {1/0, 0}, {-1/0, 0}, {0/0, 0},
}
for i, case in ipairs(numbers) do
  regWriteInteger(HKCU, K, "n" .. i, case[1])
  T.eq(regQueryInteger(HKCU, K, "n" .. i), case[2], "number argument " .. tostring(case[1]))
end
regWriteInteger(HKCU, K, "missing")
T.eq(regQueryInteger(HKCU, K, "missing"), 0, "missing number argument")
-- The root goes through the same conversion.
T.eq(regQueryInteger(tostring(HKCU), K, "Answer"), 524291, "root as a numeric string")

-- Text arguments: invalid UTF-8 arrives as the empty text, numbers as text.
regWriteString(HKCU, K, "bad", "ok\255\254")
T.eq(regQueryString(HKCU, K, "bad"), "", "invalid UTF-8 value")
regWriteString(HKCU, K, "overlong", "\192\128")
T.eq(regQueryString(HKCU, K, "overlong"), "", "overlong zero")
regWriteString(HKCU, K, "number", 42)
T.eq(regQueryString(HKCU, K, "number"), "42", "number as text")
regWriteString(HKCU, K, "cut", "before\0after")
T.eq(regQueryString(HKCU, K, "cut"), "before", "text ends at its first zero byte")
regWriteString(HKCU, K, "nil")
T.eq(regQueryString(HKCU, K, "nil"), "", "missing text argument")

-- Deleting values and keys.
regDeleteValue(HKCU, K, "ascii")
T.results("deleted value", {}, regQueryString(HKCU, K, "ascii"))
regDeleteValue(HKCU, K, "ascii")
regWriteString(HKCU, K .. "\\Tree\\A\\B", "leaf", "1")
regWriteInteger(HKCU, K .. "\\Tree\\C", "leaf", 1)
regDeleteSubKey(HKCU, K .. "\\Tree")
T.results("deleted tree", {}, regQueryString(HKCU, K .. "\\Tree\\A\\B", "leaf"))
T.results("deleted tree key", {}, regQueryInteger(HKCU, K .. "\\Tree\\C", "leaf"))
regDeleteSubKey(HKCU, K .. "\\Tree")
-- An empty key path (also what invalid UTF-8 becomes) deletes nothing.
regDeleteSubKey(HKCU, "")
regDeleteSubKey(HKCU, "\255")
T.eq(regQueryInteger(HKCU, K, "Answer"), 524291, "root left alone")
-- Nor do the writers and regDeleteValue act on a key path or a value name
-- that cannot be decoded: not on the root, not on the default value.
for _, name in ipairs({"NelvoRootProbeS", "NelvoRootProbeI", "NelvoRootProbe"}) do regDeleteValue(HKCU, "", name) end
regWriteString(HKCU, "\255", "NelvoRootProbeS", "x")
regWriteInteger(HKCU, "Software\\\255", "NelvoRootProbeI", 1)
T.results("no string written under the root", {}, regQueryString(HKCU, "", "NelvoRootProbeS"))
T.results("no integer written under the root", {}, regQueryInteger(HKCU, "", "NelvoRootProbeI"))
regWriteString(HKCU, "", "NelvoRootProbe", "kept")
regDeleteValue(HKCU, "\255", "NelvoRootProbe")
T.eq(regQueryString(HKCU, "", "NelvoRootProbe"), "kept", "nothing deleted from the root")
T.results("undecodable key path reads nothing", {}, regQueryString(HKCU, "\255", "NelvoRootProbe"))
regDeleteValue(HKCU, "", "NelvoRootProbe")
regWriteString(HKCU, K .. "\\Default", "\255", "overwritten")
regWriteInteger(HKCU, K .. "\\Default", "\254", 7)
T.eq(regQueryString(HKCU, K .. "\\Default", ""), "the default", "default value not written")
regDeleteValue(HKCU, K .. "\\Default", "\255")
T.eq(regQueryString(HKCU, K .. "\\Default", ""), "the default", "default value not deleted")

-- The machine-wide root; the driver looks for the value in the 32-bit view.
regWriteString(HKLM, K, "machine", "yes")
T.eq(regQueryString(HKLM, K, "machine"), "yes", "HKLM round trip")
