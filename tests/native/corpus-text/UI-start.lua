-- Nelvo setup wizard.
--
-- The wizard's window, pages and install flow arrive with the control
-- framework and the script bridge; until then the script greets the user
-- when it can and ends.

if showMessageBox then
    showMessageBox('Nelvo 安装程序正在准备中。', 'Nelvo 安装', 64)
end
