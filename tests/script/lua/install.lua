-- Runs the install script as the install worker does, with the worker's two
-- functions made here: notifyMessage prints each notification as the wizard
-- reads it (one line, see testlib) and answers it; extractFile copies the
-- member from a folder that the test filled from the payload package with
-- lzpack (a damaged member is missing there, so its extraction fails).
--   arg[1]    the install script
--   arg[2]    the folder with the extracted members
--   arg[3]    the install path, ending with "\"
--   arg[4..]  CODE=N[,N]...: the answers to that code, in order, the last
--             one repeating; other codes are answered as the wizard does
--             (2 for code 6, otherwise 1)
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local script, members, installPath = arg[1], arg[2], arg[3]

local answers = {}
for i = 4, #arg do
  local code, list = arg[i]:match("^(%d+)=([%d,]+)$")
  T.check(code, "answer argument " .. arg[i])
  answers[tonumber(code)] = {}
  for n in list:gmatch("%d+") do table.insert(answers[tonumber(code)], tonumber(n)) end
end

local sent = 0
function notifyMessage(text)
  sent = sent + 1
  -- A script that never stops asking must not hold the run.
  T.check(sent <= 200, "more than 200 notifications")
  io.write(T.notification(text), "\n")
  io.flush()
  local code = tonumber(text:match("^{code=(%d+)"))
  local list = answers[code]
  if list then return #list > 1 and table.remove(list, 1) or list[1] end
  return code == 6 and 2 or 1
end

function extractFile(name, target)
  return copyFile(members .. "\\" .. name, target)
end

config = { installPath = installPath }
dofile(script)
