-- showMessageBox returns the pressed button. A probe presses "No" (7) on the
-- box with this caption.
local T = dofile((arg[0]:gsub("[^\\/]*$", "")) .. "testlib.lua")
local S = T.scratch("msgbox")
local presser = S .. "\\presser.exe"
T.eq(copyFile(T.probe, presser), true, "copy the probe")
T.eq(shellExecuteEx(presser, "answerbox nelvo-box-test 7", "open", 0, 0), true, "start the presser")
T.results("MB_YESNO answered No", {7}, showMessageBox("是否继续？", "nelvo-box-test", 4))
T.eq(shellExecuteEx(presser, "answerbox nelvo-box-test 2", "open", 0, 0), true, "start the presser again")
T.results("MB_OKCANCEL answered Cancel", {2}, showMessageBox("text", "nelvo-box-test", "1"))
