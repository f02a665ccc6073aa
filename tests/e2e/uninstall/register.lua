-- luarun register.lua INSTALLPATH
-- What the wizard writes when the user finishes an installation into
-- INSTALLPATH (ending with "\"), written the same way: the tests install
-- with the install script headless and then run this in place of the
-- wizard's finish button. One step is left out: the wizard unregisters the
-- crash-dump library again right after registering it (it asks who serves
-- that class, which is the library itself); here its class stays, so that
-- the uninstaller has to take it away.
local installPath = ...
local program = installPath .. 'Nelvo.exe'
local command = '"' .. program .. '" %1'

regWriteString(HKEY_CURRENT_USER, 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run', 'QuentNelvo Daemon',
    getAppDataFolder() .. '\\Nelvo\\codecs\\nelvomon.exe')
local settings = 'Software\\QuentNelvo'
regWriteString(HKEY_CURRENT_USER, settings, 'InstallPath', installPath)
regWriteString(HKEY_CURRENT_USER, settings, 'Run', program)
regWriteInteger(HKEY_CURRENT_USER, settings, 'Skin', 1)
regWriteString(HKEY_CURRENT_USER, settings, 'Source', 'web')
regWriteString(HKEY_CURRENT_USER, settings, 'Version', '2.0.0.69')
local policy = 'SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{CACBA33C-A5E5-43CD-9287-8C075425FC26}'
regWriteString(HKEY_LOCAL_MACHINE, policy, 'AppName', 'Nelvo.exe')
regWriteString(HKEY_LOCAL_MACHINE, policy, 'AppPath', installPath)
regWriteInteger(HKEY_LOCAL_MACHINE, policy, 'Policy', 524291)
regWriteString(HKEY_CLASSES_ROOT, 'zhibo', '', 'URL:Quent直播专用链')
regWriteString(HKEY_CLASSES_ROOT, 'zhibo', 'URL Protocol', program)
regWriteString(HKEY_CLASSES_ROOT, 'zhibo\\shell\\open\\command', '', command)
regWriteString(HKEY_CLASSES_ROOT, '.flv', '', 'qxflv')
regWriteString(HKEY_CLASSES_ROOT, 'qxflv\\shell\\open\\command', '', command)
regWriteString(HKEY_CLASSES_ROOT, '.m4a', '', 'qxm4a')
regWriteString(HKEY_CLASSES_ROOT, 'qxm4a\\shell\\open\\command', '', command)
local uninstall = 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo'
regWriteString(HKEY_LOCAL_MACHINE, uninstall, 'DisplayIcon', program)
regWriteString(HKEY_LOCAL_MACHINE, uninstall, 'DisplayName', 'Nelvo')
regWriteString(HKEY_LOCAL_MACHINE, uninstall, 'DisplayVersion', '2.0.0.69')
regWriteString(HKEY_LOCAL_MACHINE, uninstall, 'Publisher', 'Quent Technology Co., Ltd.')
regWriteString(HKEY_LOCAL_MACHINE, uninstall, 'UninstallString', installPath .. 'unins000.exe')
regWriteString(HKEY_LOCAL_MACHINE, uninstall, 'URLInfoAbout', 'https://www.quent.example/nelvo')
shellExecuteEx('regsvr32', '/s "' .. installPath .. 'nelvodumper.dll"', 'open', 0, 64)
local startMenu = getStartMenuFolder()
if createDirectory(startMenu .. '\\Nelvo') then
    createShortCut(program, startMenu .. '\\Nelvo\\Nelvo.lnk')
    createShortCut(installPath .. 'unins000.exe', startMenu .. '\\Nelvo\\卸载 Nelvo.lnk')
end
createShortCut(program, getDesktopFolder() .. '\\Nelvo.lnk')
