-- Nelvo 安装操作脚本，在安装线程上运行。
--
-- 安装目录取自 config.installPath（以 "\" 结尾），安装来源取自 config.source，
-- 安装包解压后的大小（KB）取自 config.sizeKB。结束正在运行的程序，把
-- program.lz 中的文件解压到安装目录，卸载或安装虚拟摄像头驱动，注册摄像头
-- 滤镜，写入注册表、卸载信息、文件关联和快捷方式，全部完成后才通知向导
-- 显示完成页。每一步都用 notifyMessage 通知向导，向导的回答为 2 表示停止
-- （用户在进度页上取消时，下一步的回答就是 2）。

local installPath = config.installPath
local installSource = config.source or 'web'
local payloadSizeKB = tonumber(config.sizeKB) or 0
local programVersion = '@NELVO_VERSION@'  -- 产品版本，由构建填入
-- Windows 8 及以后的系统安装驱动；更早的系统先卸载驱动，再注册滤镜。
local win8 = isWin8()
-- 32 位系统用 32 位的设备工具，64 位系统用 64 位的。安装包中的工具总按完整路径从安装目录启动。
local deviceTool = installPath .. (isWOW32() and 'DevconExe.exe' or 'DevconExe64.exe')
local countTool = installPath .. 'NelvoCount.exe'

-- 进度步骤计数：每次调用返回下一个位置 1, 2, 3, ...
local function stepCounter()
    local position = 0
    return function()
        position = position + 1
        return position
    end
end
local nextStep = stepCounter()

-- 发送通知 {code=N,名字=值,...}，返回向导的回答。
-- 可变参数依次是字段名和字段值；数字原样写出，文本写成长括号字符串。
local function notify(code, ...)
    local fields = { ... }
    local parts = { '{code=' .. code }
    for i = 1, #fields, 2 do
        local name, value = fields[i], fields[i + 1]
        if type(value) == 'number' then
            parts[#parts + 1] = name .. '=' .. value
        else
            parts[#parts + 1] = name .. '=' .. longString(value)
        end
    end
    return notifyMessage(table.concat(parts, ',') .. '}')
end

-- 进度前进一步。返回 true 表示用户已取消，安装应停止。
local function step(text)
    return notify(4, 'position', nextStep(), 'text', text) == 2
end

-- 运行设备工具（不能中途停止）：向导在 8 和 9 之间播放等待动画，并说明取消
-- 要等它结束。返回工具是否启动、它的退出码，以及用户是否已取消。
local function runDeviceTool(text, parameters, mask)
    notify(8, 'text', text)
    local launched, exitCode = shellExecuteEx(deviceTool, parameters, 'open', 0, mask)
    return launched, exitCode, notify(9) == 2
end

-- 文件操作表：1 为从安装包解压的文件，0 为要创建的文件夹。
-- 路径相对于安装目录；文件夹总在其中的文件之前。
local fileOperations = {
    { 1, 'nelvo.cat' },
    { 1, 'nelvo.inf' },
    { 1, 'nelvo.sys' },
    { 1, 'nelvo64.cat' },
    { 1, 'nelvo64.sys' },
    { 1, 'Nelvo.exe' },
    { 1, 'NelvoBugReport.exe' },
    { 1, 'config_default' },
    { 1, 'DevconExe.exe' },
    { 1, 'DevconExe64.exe' },
    { 0, 'Effect' },
    { 0, 'Effect\\bg' },
    { 1, 'Effect\\bg\\black.efc' },
    { 1, 'Effect\\bg\\blue.efc' },
    { 0, 'Effect\\imageswap' },
    { 1, 'Effect\\imageswap\\imageswap.xml' },
    { 0, 'Effect\\mask' },
    { 1, 'Effect\\mask\\5Points.efc' },
    { 1, 'Effect\\mask\\5Sides.efc' },
    { 1, 'libcurl.dll' },
    { 1, 'msvcp110.dll' },
    { 1, 'msvcr110.dll' },
    { 0, 'Resource' },
    { 1, 'Resource\\black_skin.nz' },
    { 1, 'Resource\\black_window.nz' },
    { 1, 'Resource\\blue_skin.nz' },
    { 1, 'Resource\\blue_window.nz' },
    { 0, 'Resource\\pic' },
    { 1, 'Resource\\pic\\bottom.jpg' },
    { 1, 'Resource\\pic\\filemiss.jpg' },
    { 1, 'Resource\\pic\\left.jpg' },
    { 1, 'Resource\\pic\\music.jpg' },
    { 1, 'Resource\\pic\\right.jpg' },
    { 1, 'Resource\\pic\\top.jpg' },
    { 0, 'Resource\\splash' },
    { 1, 'Resource\\splash\\default' },
    { 1, 'Resource\\Test.wma' },
    { 1, 'unins000.exe' },
    { 1, 'nelvodumper.dll' },
    { 1, 'NelvoCount.exe' },
    { 1, 'zlibwapi.dll' },
    { 1, 'Nelvo.ax' },
}

-- 开始。进度条的范围：Windows 8 及以后为 49，更早的系统为 50。
notify(1)
notify(3, 'range', win8 and #fileOperations + 7 or #fileOperations + 8)

-- 结束安装目录中正在运行的 Nelvo 程序。
killProcess(installPath .. 'nelvolive.exe')
killProcess(installPath .. 'nelvomon.exe')

-- 应用数据文件夹取不到时，跳过和它有关的步骤，安装照常进行。
local appData = getAppDataFolder()
local codecsFolder = appData and appData .. '\\Nelvo\\codecs\\'
if codecsFolder then
    -- 用户自己的文件夹只以用户自己的权限改动（下同）。
    asUser(function() createDirectory(codecsFolder) end)
    killProcess(codecsFolder .. 'nelvolive.exe')
    killProcess(codecsFolder .. 'nelvomon.exe')
end

-- 安装目录只属于这次安装：新建时归管理员所有，带受保护的访问列表（只有系统和管理员能写入）；
-- 已有的文件夹只在它和其中的一切都只有管理员能更改时才使用，它的访问列表不动。
local made, folderError = createProtectedDirectory(installPath)
if not made then
    notify(6, 'error', '创建文件夹' .. installPath .. '失败', 'systemError', folderError or 0)
    return
end
-- 启动的工具以安装目录为当前文件夹。
setCurrentDirectory(installPath)

-- 更早的系统上，旧的驱动在解压之后才卸载（解压中取消时它还在）；使用摄像头的
-- 程序先结束。只有上一次安装留下了设备工具时才有旧的驱动。
local hadDriver = not win8 and fileExists(deviceTool)
if not win8 then
    local running = getRunningProcess()
    if running then
        if notify(10, 'file', replace(running, ';', '\r\n')) == 2 then return end
        killRunningProcess(installPath, codecsFolder)
    end
end

-- 解压文件，创建文件夹。解压失败时把系统的错误代码交给向导，由它说明原因，
-- 用户选择重试或取消，直到成功或用户取消。
for _, operation in ipairs(fileOperations) do
    local kind, path = operation[1], operation[2]
    if kind == 1 then
        if step('解压文件' .. path) then return end
        while true do
            local written, writeError = extractFile(path, installPath .. path)
            if written then break end
            if notify(5, 'file', installPath .. path, 'systemError', writeError or 0) == 2 then return end
        end
    else
        if step('创建文件夹' .. installPath .. path) then return end
        local made, folderError = createDirectory(installPath .. path)
        if not made then
            notify(6, 'error', '创建文件夹' .. path .. '失败', 'systemError', folderError or 0)
            return
        end
    end
end

-- 从安装目录启动程序之前，再确认一次它只有管理员能更改。
if installFolderTrust(installPath) ~= 'protected' then
    notify(6, 'error', '文件夹' .. installPath .. '可以被其他用户更改')
    return
end

if win8 then
    -- 安装驱动。
    if step('安装虚拟摄像头驱动程序，请稍等...') then return end
    local launched, exitCode, cancelled = runDeviceTool('安装虚拟摄像头驱动程序，请稍等...',
        'install "' .. installPath .. 'nelvo.inf" nelvo', 64)
    if not launched or exitCode == nil or exitCode == -1 then
        shellExecuteEx(countTool, 'app err_driverins ' .. programVersion, 'open', 0, 0)
        notify(6, 'error', '安装虚拟摄像头驱动失败')
        return
    elseif exitCode == 1 then
        notify(7)
    end
    if cancelled then return end
else
    -- 卸载旧的驱动，用刚解压的设备工具。
    if hadDriver then
        if step('卸载虚拟摄像头驱动程序，请稍等...') then return end
        local _, exitCode, cancelled = runDeviceTool('卸载虚拟摄像头驱动程序，请稍等...', 'remove nelvo', 64 + 1024)
        if exitCode == 1 then notify(7) end
        if cancelled then return end
    end
    -- 注册摄像头滤镜。注册程序在限定时间内没有结束时安装失败。
    if step('注册Nelvo.ax...') then return end
    local launched, exitCode = shellExecuteEx('regsvr32', '/s "' .. installPath .. 'Nelvo.ax"', 'open', 0, 64)
    if launched and exitCode == nil then
        notify(6, 'error', '注册' .. installPath .. 'Nelvo.ax超时')
        return
    end
end

-- 写入注册表值：数字写成 REG_DWORD，其余写成 REG_SZ。
local function writeValues(root, key, list)
    for _, pair in ipairs(list) do
        if type(pair[2]) == 'number' then
            regWriteInteger(root, key, pair[1], pair[2])
        else
            regWriteString(root, key, pair[1], pair[2])
        end
    end
end

-- 登记安装好的产品：设置、它打开的协议和文件类型、卸载信息、库的注册和快捷方式。
-- 写入的结果不检查；注册程序在限定时间内没有结束时安装失败。返回 true 表示可以继续。
local function registerNelvo()
    local program = installPath .. 'Nelvo.exe'
    local command = '"' .. program .. '" %1'

    if appData then
        regWriteString(HKEY_CURRENT_USER, 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run',
            'QuentNelvo Daemon', appData .. '\\Nelvo\\codecs\\nelvomon.exe')
    end

    writeValues(HKEY_CURRENT_USER, 'Software\\QuentNelvo', {
        { 'InstallPath', installPath },
        { 'Run', program },
        { 'Skin', 1 },
        { 'Source', installSource },
        { 'Version', programVersion },
    })

    writeValues(HKEY_LOCAL_MACHINE,
        'SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{CACBA33C-A5E5-43CD-9287-8C075425FC26}', {
        { 'AppName', 'Nelvo.exe' },
        { 'AppPath', installPath },
        { 'Policy', 524291 },
    })

    writeValues(HKEY_CLASSES_ROOT, 'zhibo', {
        { '', 'URL:Quent直播专用链' },
        { 'URL Protocol', program },
    })
    regWriteString(HKEY_CLASSES_ROOT, 'zhibo\\shell\\open\\command', '', command)

    regWriteString(HKEY_CLASSES_ROOT, '.flv', '', 'qxflv')
    regWriteString(HKEY_CLASSES_ROOT, 'qxflv\\shell\\open\\command', '', command)

    regWriteString(HKEY_CLASSES_ROOT, '.m4a', '', 'qxm4a')
    regWriteString(HKEY_CLASSES_ROOT, 'qxm4a\\shell\\open\\command', '', command)

    writeValues(HKEY_LOCAL_MACHINE, 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo', {
        { 'DisplayIcon', '"' .. program .. '"' },
        { 'DisplayName', 'Nelvo' },
        { 'DisplayVersion', programVersion },
        { 'Publisher', 'Quent Technology Co., Ltd.' },
        { 'UninstallString', '"' .. installPath .. 'unins000.exe"' },
        { 'URLInfoAbout', 'https://www.quent.example/nelvo' },
        { 'InstallLocation', installPath },
        { 'EstimatedSize', payloadSizeKB },
        { 'InstallDate', os.date('%Y%m%d') },
        { 'NoModify', 1 },
        { 'NoRepair', 1 },
    })

    local dumper = installPath .. 'nelvodumper.dll'
    local launched, exitCode = shellExecuteEx('regsvr32', '/s "' .. dumper .. '"', 'open', 0, 64)
    if launched and exitCode == nil then
        notify(6, 'error', '注册' .. dumper .. '超时')
        return false
    end

    -- 另一次安装在崩溃转储的类下注册的库要注销，刚注册的保留。
    -- 只读本机的类：用户自己的那部分谁都能写，它指向的程序会以管理员身份运行。
    local old = regQueryString(HKEY_LOCAL_MACHINE,
        'Software\\Classes\\CLSID\\{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}\\InprocServer32', '')
    if old and old ~= '' and string.lower(old) ~= string.lower(dumper) then
        shellExecuteEx('regsvr32', '/s /u "' .. old .. '"', 'open', 0, 64)
    end

    local startMenu = getStartMenuFolder()
    if startMenu and createDirectory(startMenu .. '\\Nelvo') then
        createShortCut(program, startMenu .. '\\Nelvo\\Nelvo.lnk')
        createShortCut(installPath .. 'unins000.exe', startMenu .. '\\Nelvo\\卸载 Nelvo.lnk')
    end

    local desktop = getDesktopFolder()
    if desktop then
        createShortCut(program, desktop .. '\\Nelvo.lnk')
    end
    return true
end

if step('注册Nelvo...') then return end
if not registerNelvo() then return end

-- 收尾：以下各步的结果不检查。
shellExecuteEx(countTool, 'app install ' .. programVersion, 'open', 0, 0)
if appData then
    asUser(function()
        moveFile(installPath .. 'config_default', appData .. '\\Nelvo\\codecs\\config_default')
        for _, folder in ipairs({ 'skinwhitening', '边框', '灯光', '动画', '挂件' }) do
            removeDirectory(appData .. '\\Nelvo\\Effect\\' .. folder)
        end
        removeFile(appData .. '\\Nelvo\\Effect\\effects.json')
        removeFile(appData .. '\\Nelvo\\Codecs\\manifest')
    end)
end

-- 一切都已写好：向导显示完成页。
notify(2)
