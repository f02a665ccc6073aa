-- Nelvo uninstall script, run by unins000.exe.
--
-- config.stage 'confirm': the program still runs from the install folder. It
-- asks the user once; on Yes it hands the removal to its copy in the
-- temporary folder (startRemoval), or removes in place when no copy can run.
-- config.stage 'remove': the copy removes what the installation wrote and
-- nothing else: the files and folders of the install table (a folder only
-- when nothing is left in it), the registration made when setup finished,
-- the shortcuts, the moved settings file and the driver.
--
-- config.installPath is the folder the machine's uninstall entry names,
-- ending with "\": the program runs only from there, and its copy only for
-- it (main.cpp).

local installPath = config.installPath

local MB_OK, MB_OKCANCEL, MB_YESNO, MB_RETRYCANCEL = 0, 1, 4, 5
local MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK = 32, 48, 64
local IDOK, IDCANCEL, IDRETRY, IDYES = 1, 2, 4, 6
local CAPTION = '卸载 Nelvo'

-- How the run ended, for whoever started the uninstaller; /S (unattended)
-- answers each question as the README documents.
local EXIT_SUCCESS, EXIT_CANCELLED, EXIT_FAILED, EXIT_RESTART_NEEDED = 0, 1602, 1603, 3010
local runOptions = getRunOptions()

-- What the installation writes into the install folder, in its order:
-- 1 a file, 0 a folder (each folder before what is in it).
local installTable = {
    { 1, 'nelvo.cat' }, { 1, 'nelvo.inf' }, { 1, 'nelvo.sys' }, { 1, 'nelvo64.cat' }, { 1, 'nelvo64.sys' },
    { 1, 'Nelvo.exe' }, { 1, 'NelvoBugReport.exe' }, { 1, 'config_default' }, { 1, 'DevconExe.exe' },
    { 1, 'DevconExe64.exe' },
    { 0, 'Effect' }, { 0, 'Effect\\bg' }, { 1, 'Effect\\bg\\black.efc' }, { 1, 'Effect\\bg\\blue.efc' },
    { 0, 'Effect\\imageswap' }, { 1, 'Effect\\imageswap\\imageswap.xml' },
    { 0, 'Effect\\mask' }, { 1, 'Effect\\mask\\5Points.efc' }, { 1, 'Effect\\mask\\5Sides.efc' },
    { 1, 'libcurl.dll' }, { 1, 'msvcp110.dll' }, { 1, 'msvcr110.dll' },
    { 0, 'Resource' }, { 1, 'Resource\\black_skin.nz' }, { 1, 'Resource\\black_window.nz' },
    { 1, 'Resource\\blue_skin.nz' }, { 1, 'Resource\\blue_window.nz' },
    { 0, 'Resource\\pic' }, { 1, 'Resource\\pic\\bottom.jpg' }, { 1, 'Resource\\pic\\filemiss.jpg' },
    { 1, 'Resource\\pic\\left.jpg' }, { 1, 'Resource\\pic\\music.jpg' }, { 1, 'Resource\\pic\\right.jpg' },
    { 1, 'Resource\\pic\\top.jpg' },
    { 0, 'Resource\\splash' }, { 1, 'Resource\\splash\\default' }, { 1, 'Resource\\Test.wma' },
    { 1, 'unins000.exe' }, { 1, 'nelvodumper.dll' }, { 1, 'NelvoCount.exe' }, { 1, 'zlibwapi.dll' },
    { 1, 'Nelvo.ax' },
}

-- The product's programs that may run from the install or the codecs folder.
local productPrograms = { 'Nelvo.exe', 'nelvolive.exe', 'nelvomon.exe', 'NelvoCount.exe', 'NelvoBugReport.exe' }

-- Paths are compared as the file system compares them: without regard to
-- the case of Latin letters.
local function samePath(a, b)
    return a ~= nil and b ~= nil and string.lower(a) == string.lower(b)
end

-- The install folder belongs to this installation when setup saved it (or
-- saved nothing): otherwise the registration, the shortcuts and the driver
-- are those of an installation elsewhere, and only the files here go.
local function ownsRegistration()
    local saved = regQueryString(HKEY_CURRENT_USER, 'Software\\QuentNelvo', 'InstallPath')
    return saved == nil or saved == '' or samePath(saved, installPath)
end

-- The program a command names: the text in its first quotes, or the whole
-- text (setup writes the uninstall entry's command quoted; earlier versions
-- did not).
local function commandProgram(command)
    return command and (string.match(command, '^%s*"([^"]*)"') or command)
end

-- Registry ---------------------------------------------------------------

local function deleteValues(root, key, names)
    for _, name in ipairs(names) do
        regDeleteValue(root, key, name)
    end
end

-- Deletes `key` and then each key above it, up to and including `top`,
-- while they are empty. Keys that hold anything else stay.
local function pruneKeys(root, key, top)
    while regDeleteEmptyKey(root, key) and key ~= top do
        local parent = string.match(key, '^(.*)\\[^\\]*$')
        if not parent or #parent < #top then break end
        key = parent
    end
end

-- A class whose open command still starts this installation's program:
-- its command goes, and the class's keys while empty.
local function removeOpenCommand(root, class, command)
    local key = class .. '\\shell\\open\\command'
    if not samePath(regQueryString(root, key, ''), command) then return false end
    regDeleteValue(root, key, '')
    pruneKeys(root, key, class .. '\\shell')
    return true
end

local function removeRegistration()
    local program = installPath .. 'Nelvo.exe'
    local command = '"' .. program .. '" %1'

    regDeleteValue(HKEY_CURRENT_USER, 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run', 'QuentNelvo Daemon')

    -- The product's own settings key keeps whatever the product wrote there.
    deleteValues(HKEY_CURRENT_USER, 'Software\\QuentNelvo', { 'InstallPath', 'Run', 'Skin', 'Source', 'Version' })
    pruneKeys(HKEY_CURRENT_USER, 'Software\\QuentNelvo', 'Software\\QuentNelvo')

    local policy = 'SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\'
        .. '{CACBA33C-A5E5-43CD-9287-8C075425FC26}'
    if samePath(regQueryString(HKEY_LOCAL_MACHINE, policy, 'AppPath'), installPath) then
        deleteValues(HKEY_LOCAL_MACHINE, policy, { 'AppName', 'AppPath', 'Policy' })
        pruneKeys(HKEY_LOCAL_MACHINE, policy, policy)
    end

    -- The protocol and the two file types, only while they still open this
    -- installation's program: another program may have taken them since.
    if removeOpenCommand(HKEY_CLASSES_ROOT, 'zhibo', command) then
        deleteValues(HKEY_CLASSES_ROOT, 'zhibo', { '', 'URL Protocol' })
        pruneKeys(HKEY_CLASSES_ROOT, 'zhibo', 'zhibo')
    end
    for _, association in ipairs({ { '.flv', 'qxflv' }, { '.m4a', 'qxm4a' } }) do
        local extension, class = association[1], association[2]
        if regQueryString(HKEY_CLASSES_ROOT, extension, '') == class then
            regDeleteValue(HKEY_CLASSES_ROOT, extension, '')
            pruneKeys(HKEY_CLASSES_ROOT, extension, extension)
        end
        if removeOpenCommand(HKEY_CLASSES_ROOT, class, command) then
            pruneKeys(HKEY_CLASSES_ROOT, class, class)
        end
    end

    local uninstallKey = 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo'
    if samePath(commandProgram(regQueryString(HKEY_LOCAL_MACHINE, uninstallKey, 'UninstallString')),
            installPath .. 'unins000.exe') then
        deleteValues(HKEY_LOCAL_MACHINE, uninstallKey,
            { 'DisplayIcon', 'DisplayName', 'DisplayVersion', 'Publisher', 'UninstallString', 'URLInfoAbout',
              'InstallLocation', 'EstimatedSize', 'InstallDate', 'NoModify', 'NoRepair' })
        pruneKeys(HKEY_LOCAL_MACHINE, uninstallKey, uninstallKey)
    end
end

-- Programs, driver and libraries -------------------------------------------

local function stopPrograms(codecs, registered)
    if registered then
        -- The programs that use the camera (the user saw them in the
        -- confirmation) and the product's main program, when they run from
        -- the install or the codecs folder: the list is anyone's to write.
        killRunningProcess(installPath, codecs)
    end
    for _, name in ipairs(productPrograms) do
        killProcess(installPath .. name)
        if codecs and registered then killProcess(codecs .. name) end
    end
end

-- Whether what lies in the install folder may run as administrator: only
-- while no one but administrators can change it (an earlier version left
-- an existing folder as it found it).
local function folderSound()
    return installFolderTrust(installPath) == 'protected'
end

-- Returns true when the device tool asks for a restart.
local function removeDriver()
    local tool = installPath .. (isWOW32() and 'DevconExe.exe' or 'DevconExe64.exe')
    if not fileExists(tool) or not folderSound() then return false end
    local _, exitCode = shellExecuteEx(tool, 'remove nelvo', 'open', 0, 64 + 1024)
    return exitCode == 1
end

local function unregisterLibraries()
    -- The bare name starts the system's own tool, from the folder the system
    -- names (shellExecuteEx); nothing the user can change, such as the
    -- environment, chooses it. A 32-bit program is given the 32-bit tool.
    local regsvr32 = 'regsvr32'
    for _, library in ipairs({ 'Nelvo.ax', 'nelvodumper.dll' }) do
        if fileExists(installPath .. library) and folderSound() then
            shellExecuteEx(regsvr32, '/s /u "' .. installPath .. library .. '"', 'open', 0, 64 + 1024)
        end
    end
end

-- Files and folders ----------------------------------------------------------

-- True when a folder on the way from the install folder to `relative` (the
-- last part included when `wholePath`) is a link: what lies behind it is
-- not the installation's to delete.
local function behindLink(relative, wholePath)
    local path = installPath
    local parts = {}
    for part in string.gmatch(relative, '[^\\]+') do parts[#parts + 1] = part end
    for i = 1, wholePath and #parts or #parts - 1 do
        path = path .. parts[i]
        if isFolderLink(path) then return true end
        path = path .. '\\'
    end
    return false
end

-- The things to delete, in the order that empties folders before they are
-- removed: { path, folder?, user? }; the user's (those in the user's
-- application-data folder) are deleted with the user's own rights. A file that cannot be deleted is
-- reported; a folder that is not empty stays without a word (what is left
-- in it is the user's, or was reported).
local function removalList(appData, registered, keepProgram)
    local items = {}
    for i = #installTable, 1, -1 do
        local kind, relative = installTable[i][1], installTable[i][2]
        local skip = behindLink(relative, kind == 0) or (keepProgram and relative == 'unins000.exe')
        if not skip then
            items[#items + 1] = { installPath .. relative, kind == 0 }
        end
    end
    if not isFolderLink(string.sub(installPath, 1, -2)) then
        items[#items + 1] = { string.sub(installPath, 1, -2), true }
    end
    if registered then
        if appData then
            items[#items + 1] = { appData .. '\\Nelvo\\codecs\\config_default', false, true }
            items[#items + 1] = { appData .. '\\Nelvo\\codecs', true, true }
            items[#items + 1] = { appData .. '\\Nelvo', true, true }
        end
        local startMenu = getStartMenuFolder()
        if startMenu then
            items[#items + 1] = { startMenu .. '\\Nelvo\\Nelvo.lnk', false }
            items[#items + 1] = { startMenu .. '\\Nelvo\\卸载 Nelvo.lnk', false }
            items[#items + 1] = { startMenu .. '\\Nelvo', true }
        end
        local desktop = getDesktopFolder()
        if desktop then
            items[#items + 1] = { desktop .. '\\Nelvo.lnk', false }
        end
    end
    return items
end

-- One pass over the list; returns the files that are still there. The
-- user's items go in one span with the user's rights: a link the user put
-- in his own folder then reaches only what he could change anyway. Without
-- those rights they are not touched, and those still there are reported.
local function removeItems(items)
    local left = {}
    local function pass(user)
        for _, item in ipairs(items) do
            local path, folder = item[1], item[2]
            if (item[3] == true) == user then
                if folder then
                    removeEmptyDirectory(path)
                elseif not removeFile(path) and fileExists(path) then
                    left[#left + 1] = path
                end
            end
        end
    end
    pass(false)
    if not asUser(function() pass(true) end) then
        for _, item in ipairs(items) do
            if item[3] and not item[2] and fileExists(item[1]) then left[#left + 1] = item[1] end
        end
    end
    return left
end

local function lockedMessage(left)
    local lines = {}
    for i = 1, math.min(#left, 10) do lines[#lines + 1] = left[i] end
    if #left > 10 then lines[#lines + 1] = '……（共 ' .. #left .. ' 个文件）' end
    return '下列文件可能被其他程序占用，无法删除：\r\n' .. table.concat(lines, '\r\n')
        .. '\r\n\r\n请关闭占用的程序再重试。点击“取消”将保留这些文件。'
end

-- Stages -----------------------------------------------------------------------

local function removeProduct(inPlace)
    local appData = getAppDataFolder()
    local codecs = appData and appData .. '\\Nelvo\\codecs\\'
    local registered = ownsRegistration()

    stopPrograms(codecs, registered)
    local restart = false
    if registered then
        if removeDriver() then
            restart = true
            markRestart()
        end
        unregisterLibraries()
        removeRegistration()
    end

    -- Files that an interrupted setup kept aside (hidden nlu*.tmp) go first,
    -- so that they keep no folder.
    removeKeptFiles(installPath)
    for _, entry in ipairs(installTable) do
        if entry[1] == 0 and not behindLink(entry[2], true) then removeKeptFiles(installPath .. entry[2]) end
    end
    if codecs then asUser(function() removeKeptFiles(codecs) end) end

    -- Deleted until nothing is left or the user gives up.
    local items = removalList(appData, registered, inPlace or handOverResult ~= nil)
    local left = removeItems(items)
    while #left > 0 do
        if showMessageBox(lockedMessage(left), '异常', MB_RETRYCANCEL + MB_ICONEXCLAMATION) ~= IDRETRY then break end
        left = removeItems(items)
    end
    if inPlace then
        -- This program cannot delete its own file while it runs.
        removeAtRestart(installPath .. 'unins000.exe')
        removeAtRestart(string.sub(installPath, 1, -2))
    end
    local code = #left > 0 and EXIT_FAILED or restart and EXIT_RESTART_NEEDED or EXIT_SUCCESS
    setExitCode(code)
    if handOverResult then
        -- The program in the install folder ends with this code; then its
        -- file, kept until now, and the folder go.
        handOverResult(code)
        if not behindLink('unins000.exe', false) and not removeFile(installPath .. 'unins000.exe') then
            removeAtRestart(installPath .. 'unins000.exe')
        end
        if not isFolderLink(string.sub(installPath, 1, -2)) then
            removeEmptyDirectory(string.sub(installPath, 1, -2))
        end
    end

    if #left == 0 then
        local text = 'Nelvo 已成功地从您的电脑中移除。'
        if fileExists(installPath) and not inPlace then
            text = text .. '\r\n\r\n文件夹 ' .. installPath .. ' 中还有不属于安装的文件，已保留。'
        end
        showMessageBox(text, CAPTION, MB_OK + MB_ICONASTERISK)
    end
    if restart and showMessageBox('Nelvo需要重启电脑才能完成卸载，是否立即重启?', '提示',
            MB_OKCANCEL + MB_ICONQUESTION, runOptions.forceRestart and IDOK or IDCANCEL) == IDOK then
        reboot()
    end
end

if config.stage == 'confirm' then
    local text = '您确定要完全移除 Nelvo 及其所有组件吗？'
    local running = ownsRegistration() and getRunningProcess()
    if running then
        text = text .. '\r\n\r\n以下程序将被结束：\r\n' .. replace(running, ';', '\r\n')
    end
    if showMessageBox(text, CAPTION, MB_YESNO + MB_ICONQUESTION, IDYES) ~= IDYES then
        setExitCode(EXIT_CANCELLED)
        return
    end
    if not startRemoval() then
        removeProduct(true)
    end
elseif config.stage == 'remove' then
    removeProduct(false)
end
