-- Nelvo setup wizard: the licence, folder, progress and finish pages of the
-- setup window and the install worker's notifications. The worker does the
-- whole installation, the registration of the product included, before the
-- finish page shows; the finish button only starts the product.

local tinsert = table.insert
local tremove = table.remove

-- Bootstrap functions. The native side calls them by name to keep the
-- tables that tie controls, windows and timers to their script objects; it
-- never reads those tables itself. They must exist before the first call
-- into a native function.

function lua_addControl(tbl, obj, handle)
    local entry = {obj, handle, {}}
    tbl[1][obj] = entry
    tbl[2][handle] = entry
end

function lua_removeControl(tbl, handle)
    local entry = tbl[2][handle]
    if entry then
        tbl[1][entry[1]] = nil
        tbl[2][handle] = nil
    end
end

function lua_queryControl(tbl, handle)
    local entry = tbl[2][handle]
    if entry then
        return entry[1]
    end
    return nil
end

function lua_queryControlHandle(tbl, obj)
    local entry = tbl[1][obj]
    if entry then
        return entry[2]
    end
    return nil
end

function lua_queryControlDispatcher(tbl, obj)
    local entry = tbl[1][obj]
    if entry then
        return entry[3]
    end
    return nil
end

-- True only when the code had no list: the native side then attaches its
-- one delegate for the code.
function lua_addHandler(dispatcher, code, func)
    local list = dispatcher[code]
    if list then
        tinsert(list, func)
        return false
    end
    dispatcher[code] = {func}
    return true
end

-- True when the code is left without functions: the native side then
-- detaches its delegate.
function lua_removeHandler(dispatcher, code, func)
    local list = dispatcher[code]
    if not list then
        return true
    end
    for i = 1, #list do
        if list[i] == func then
            tremove(list, i)
            break
        end
    end
    if #list == 0 then
        dispatcher[code] = nil
        return true
    end
end

-- Walks a copy: a handler that removes itself or adds another changes the
-- list, not the calls of this event.
function lua_invokeHandlers(dispatcher, sender, code, wparam, lparam)
    local list = dispatcher and dispatcher[code]
    if not list then
        return
    end
    local copy = {}
    for i, func in ipairs(list) do
        copy[i] = func
    end
    for _, func in ipairs(copy) do
        if func(sender, code, wparam, lparam) then
            return true
        end
    end
end

function lua_addWindow(tbl, obj, handle)
    tinsert(tbl, {obj, handle})
end

function lua_removeWindow(tbl, handle)
    for i = 1, #tbl do
        if tbl[i][2] == handle then
            tremove(tbl, i)
            return
        end
    end
end

function lua_queryWindow(tbl, handle)
    for i = 1, #tbl do
        if tbl[i][2] == handle then
            return tbl[i][1]
        end
    end
    return nil
end

function lua_queryWindowHandle(tbl, obj)
    for i = 1, #tbl do
        if tbl[i][1] == obj then
            return tbl[i][2]
        end
    end
    return 0
end

function lua_setMessageHandler(tbl, obj, func)
    for i = 1, #tbl do
        if tbl[i][1] == obj then
            tbl[i][3] = func
            return
        end
    end
end

-- The answer goes back to the install worker: 0 when the window has no
-- handler.
function lua_invokeMessageHandler(tbl, obj, text)
    for i = 1, #tbl do
        if tbl[i][1] == obj then
            local handler = tbl[i][3]
            if not handler then
                return 0
            end
            return (handler(text))
        end
    end
    return 0
end

function lua_setTimer(tbl, timer, func, window)
    tinsert(tbl, {timer, func, window})
end

function lua_killTimer(tbl, timer, window)
    for i = 1, #tbl do
        if tbl[i][1] == timer and tbl[i][3] == window then
            tremove(tbl, i)
            return
        end
    end
end

function lua_removeTimer(tbl, window)
    local i = 1
    while i <= #tbl do
        if tbl[i][3] == window then
            tremove(tbl, i)
        else
            i = i + 1
        end
    end
end

function lua_onTimer(tbl, timer)
    for i = 1, #tbl do
        if tbl[i][1] == timer then
            tbl[i][2]()
            return
        end
    end
end

-- String helpers. Separators and patterns are the interpreter's patterns.

-- The non-empty pieces between the separator's matches, in order.
local function stringSplit(text, separator)
    local pieces = {}
    local start = 1
    while start <= #text do
        local first, last = string.find(text, separator, start)
        if not first or last < first then
            break
        end
        if first > start then
            tinsert(pieces, string.sub(text, start, first - 1))
        end
        start = last + 1
    end
    if start <= #text then
        tinsert(pieces, string.sub(text, start))
    end
    return pieces
end

-- Every match of old replaced by the text new, taken as it is.
local function stringReplace(text, old, new)
    return (string.gsub(text, old, function() return new end))
end

-- Start and end of the last match, or nothing.
local function stringRFind(text, pattern)
    local lastFirst, lastEnd
    local start = 1
    while start <= #text do
        local first, last = string.find(text, pattern, start)
        if not first then
            break
        end
        lastFirst, lastEnd = first, last
        start = first + 1
    end
    if lastFirst then
        return lastFirst, lastEnd
    end
end

-- Event codes of the controls, for addHandler.
event = {
    GotFocus = 2,
    LostFocus = 3,
    PreviewKeyDown = 4,
    KeyDown = 5,
    PreviewKeyUp = 6,
    KeyUp = 7,
    PreviewKeyPress = 8,
    KeyPress = 9,
    GotCapture = 10,
    LostCapture = 11,
    PreviewLButtonDown = 12,
    LButtonDown = 13,
    PreviewLButtonUp = 14,
    LButtonUp = 15,
    PreviewRButtonDown = 16,
    RButtonDown = 17,
    PreviewRButtonUp = 18,
    RButtonUp = 19,
    LButtonDbClick = 20,
    RButtonDbClick = 21,
    PreviewMouseWheel = 22,
    MouseWheel = 23,
    MouseMove = 25,
    MouseEnter = 26,
    MouseLeave = 27,
    Click = 30,
    ValueChange = 31,
    Notify = 32,
}

local SW_HIDE = 0
local SW_SHOWNORMAL = 1
local SW_NORMAL = 1
local SW_SHOWMINIMIZED = 2
local SW_SHOWMAXIMIZED = 3
local SW_MAXIMIZE = 3
local SW_SHOWNOACTIVATE = 4
local SW_SHOW = 5
local SW_MINIMIZE = 6
local SW_SHOWMINNOACTIVE = 7
local SW_SHOWNA = 8
local SW_RESTORE = 9

local MB_OK = 0
local MB_OKCANCEL = 1
local MB_ABORTRETRYIGNORE = 2
local MB_YESNOCANCEL = 3
local MB_YESNO = 4
local MB_RETRYCANCEL = 5
local MB_ICONHAND = 16
local MB_ICONQUESTION = 32
local MB_ICONEXCLAMATION = 48
local MB_ICONASTERISK = 64

local IDOK = 1
local IDCANCEL = 2
local IDABORT = 3
local IDRETRY = 4
local IDIGNORE = 5
local IDYES = 6
local IDNO = 7

-- How the run ended, for whoever started the program (a deployment tool
-- reads nothing else).
local EXIT_SUCCESS = 0
local EXIT_CANCELLED = 1602
local EXIT_FAILED = 1603
local EXIT_RESTART_NEEDED = 3010

-- What the command line asked. An unattended run (/S) works through the
-- same window and steps, never shown; each question gets the answer the
-- README documents.
local runOptions = getRunOptions()

-- Filled in by the build: the product's version, written once in the build,
-- the payload's unpacked size in KB, and its files as "name:bytes" joined
-- by "|".
local programVersion = "@NELVO_VERSION@"
local payloadSizeKB = tonumber("@NELVO_PAYLOAD_KB@")
local payloadFiles = "@NELVO_PAYLOAD_FILES@"

-- Wizard state.
local installPath          -- the install folder, ending with "\"
local restartComputer      -- true once the install asked for a restart
local range                -- the step count of the progress bar
local timer                -- the status label's animation timer
local userCancelled        -- true once the user answered a question with Cancel
local installing           -- true while the worker installs (until the finish page or the undo)
local cancelRequested      -- the user asked to cancel on the progress page
local restartQuestion = "Nelvo需要重启电脑才能正常使用，是否立即重启?"

-- Where this copy of the setup program came from: the last "-" piece of its
-- file name ("Nelvo-2.0-site.exe" gives "site"), "web" without one.
local function installSource()
    local name = getProcessPath() or ""
    local _, slash = stringRFind(name, "\\")
    if slash then
        name = string.sub(name, slash + 1)
    end
    local dot = stringRFind(name, "%.")
    if dot then
        name = string.sub(name, 1, dot - 1)
    end
    local pieces = stringSplit(name, "-")
    if #pieces <= 1 then
        return "web"
    end
    return pieces[#pieces]
end

-- A folder as the wizard keeps it: the drive, ":\", then every folder name
-- followed by "\".
local function regularPathString(drive, names)
    local path = drive .. ":\\"
    for _, name in ipairs(names) do
        path = path .. name .. "\\"
    end
    return path
end

-- Whether every folder name can be made as it is written: no "." or "..",
-- no character Windows refuses in a name, no device name (CON, NUL, COM1
-- ..., with or without an extension), no dot or space at a name's end.
local function folderNamesValid(names)
    for _, name in ipairs(names) do
        if string.find(name, "[\1-\31<>\"|%?%*]") or string.find(name, "[%. ]$") then
            return false
        end
        local base = string.upper((string.gsub(string.match(name, "^[^%.]*"), " +$", "")))
        if base == "CON" or base == "PRN" or base == "AUX" or base == "NUL" or string.find(base, "^COM[1-9]$") or
            string.find(base, "^LPT[1-9]$") then
            return false
        end
    end
    return true
end

-- The folder typed in the folder box, made regular; nothing when the text
-- names no folder on a fixed drive (the install button says why).
local function typedFolder(text)
    local parts = stringSplit(text, ":")
    if #parts ~= 2 or not volumeExists(parts[1] .. ":\\") then
        return nil
    end
    local names = stringSplit(stringReplace(parts[2], "/", "\\"), "\\")
    if #names == 0 or not folderNamesValid(names) then
        return nil
    end
    return regularPathString(parts[1], names)
end

-- The room an installation into `path` takes on its drive, in bytes, with
-- files in whole clusters of `cluster` bytes: the payload's files, and a
-- kept copy of every file there that the installation replaces (undo puts
-- them back, so they stay until the installation has succeeded). Without
-- a path, the payload alone.
local function spaceNeeded(path, cluster)
    cluster = cluster or 4096
    local function onDisk(bytes)
        return math.ceil(bytes / cluster) * cluster
    end
    local total = 0
    for _, file in ipairs(stringSplit(payloadFiles, "|")) do
        local name, size = string.match(file, "^(.*):(%d+)$")
        if name then
            total = total + onDisk(tonumber(size))
            local kept = path and fileSize(path .. stringReplace(name, "/", "\\"))
            if kept then
                total = total + onDisk(kept)
            end
        end
    end
    return total
end

-- A size as the wizard shows it: "820 KB", "8.6 MB", "75.7 GB"; rounded up
-- with `up` (a need), else down (what is free), so that a drive that is
-- refused never shows as much free as needed.
local function sizeText(bytes, up)
    local round = up and math.ceil or math.floor
    local kb = bytes / 1024
    if kb < 1000 then
        return string.format("%d KB", round(kb))
    end
    local mb = kb / 1024
    if mb < 1000 then
        return string.format("%.1f MB", round(mb * 10) / 10)
    end
    return string.format("%.1f GB", round(mb / 1024 * 10) / 10)
end

-- The drive of a path as the boxes name it: "D:".
local function driveOf(path)
    return string.upper(string.sub(path, 1, 1)) .. ":"
end

-- Why a file or folder could not be written, from the system's error code
-- that the install worker passes, and what helps: the first line of the
-- box and its advice. `ended` when the installation has stopped (no
-- Retry); else Retry is the advice for all but a damaged program.
local function writeFailure(systemError, path, ended)
    local drive = driveOf(path)
    if systemError == 112 or systemError == 39 then        -- ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL
        if ended then
            return "磁盘 " .. drive .. " 的空间已满。", "请释放磁盘 " .. drive .. " 的空间后重新运行安装程序"
        end
        local free = diskFreeSpace(path)
        return "磁盘 " .. drive .. " 的空间已满。",
            "请释放磁盘 " .. drive .. " 的空间（安装需要 " .. sizeText(spaceNeeded(nil), true) ..
            "，现在可用 " .. sizeText(free or 0) .. "）后重试"
    elseif systemError == 5 then                           -- ERROR_ACCESS_DENIED
        return "没有写入的权限。", ended and "请检查安装目录的权限，或重新运行安装程序并选择其他安装目录" or
            "请检查安装目录的权限后重试，或取消后选择其他安装目录"
    elseif systemError == 19 then                          -- ERROR_WRITE_PROTECT
        return "磁盘 " .. drive .. " 处于写保护状态，无法写入。",
            ended and "请重新运行安装程序并选择其他安装目录" or "请取消后选择其他安装目录"
    elseif systemError == 13 or systemError == 23 then     -- ERROR_INVALID_DATA, ERROR_CRC
        return "安装程序文件已损坏。", "请重新下载安装程序后再运行"
    elseif not systemError or systemError == 32 or systemError == 33 or systemError == 1224 then
        -- ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_USER_MAPPED_FILE;
        -- also what a worker that passes no error means
        return "文件可能被其他程序占用。", ended and "请关闭占用的程序后重新运行安装程序" or "请关闭占用的程序再重试"
    end
    return "无法写入（系统错误代码 " .. tostring(systemError) .. "）。",
        ended and "请重新运行安装程序" or "请关闭可能占用该文件的程序再重试"
end

-- The saved install path of an earlier installation, made regular; nothing
-- when it is missing or cannot be installed to.
local function getInstallPath(text)
    return text and typedFolder(text)
end

-- Why a folder cannot take the installation, or nothing: the Windows
-- folder, the system folders, anything inside them and a drive root are
-- the system's, also when a short name or a link leads there.
local function systemFolderRefusal(path)
    if isSystemPath(path) then
        return "不能安装到系统文件夹"
    end
end

-- Why a folder cannot hold what the administrator will run, or nothing: it
-- or a file in it is owned by or open to another user, or a folder above
-- lets another user move it away and put his own in its place.
local function installFolderRefusal(path)
    local trust = installFolderTrust(path)
    if trust == "changeable" then
        return "不能安装到其他用户可以更改的文件夹"
    elseif trust == "movable" then
        return "不能安装到其他用户可以移动或删除的文件夹"
    end
end

-- The saved install path is the user's to change, and this program runs as
-- administrator: it is used only when the machine-wide uninstall entry
-- names the same folder, that folder still holds the installation's
-- uninstaller, it is no system folder and only administrators can change
-- it. Otherwise nothing, and the folder page shows.
local function trustedInstallPath(path)
    if not path or systemFolderRefusal(path) or installFolderTrust(path) ~= "protected" then
        return nil
    end
    local entry = regQueryString(HKEY_LOCAL_MACHINE,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo", "UninstallString")
    local uninstaller = path .. "unins000.exe"
    entry = entry and string.match(entry, '^"?([^"]*)"?$')
    if not entry or string.lower(entry) ~= string.lower(uninstaller) or not fileExists(uninstaller) then
        return nil
    end
    return path
end

-- The folder a typed text names, made regular, or nothing and why not:
-- the rules of the folder page, also for a folder given on the command line.
local function checkedFolder(text)
    if text == "" then
        return nil, "安装路径不能为空"
    end
    local parts = stringSplit(text, ":")
    if #parts ~= 2 then
        return nil, "你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\"
    end
    if not volumeExists(parts[1] .. ":\\") then
        return nil, "输入的盘符无效"
    end
    local names = stringSplit(stringReplace(parts[2], "/", "\\"), "\\")
    if #names == 0 then
        return nil, "不能安装到盘符根路径"
    end
    if not folderNamesValid(names) then
        return nil, "你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\"
    end
    local path = regularPathString(parts[1], names)
    local refusal = systemFolderRefusal(path) or installFolderRefusal(path)
    if refusal then
        return nil, refusal
    end
    return path
end

local licenceText = [==[
Nelvo 最终用户许可协议

欢迎您使用 Nelvo！本《Nelvo 最终用户许可协议》（以下简称“本协议”）是您（个人或单一实体，以下简称“您”）与 Quent 科技有限公司（Quent Technology Co., Ltd.，以下简称“Quent”）之间就 Nelvo 软件（包括虚拟摄像头驱动程序、视频滤镜组件、配套应用程序、特效与皮肤数据文件及相关文档，以下统称“本软件”）的安装、复制和使用所订立的协议。

请您在安装本软件之前仔细阅读本协议的全部条款，特别是免除或者限制 Quent 责任的条款以及对您的权利进行限制的条款。您点击“接受协议”按钮、安装或者使用本软件，即表示您已阅读、理解并同意接受本协议的全部条款；如果您不同意本协议的任何条款，请点击“取消”按钮退出安装程序，并且不要安装或使用本软件。

一、授权许可

1. Quent 授予您一项个人的、不可转让的、非独占的许可，允许您在自己拥有或合法控制的计算机上安装和使用本软件，用于个人学习、娱乐、在线教学、视频通话及网络直播等合法用途。

2. 本软件为免费软件，您可以为备份目的复制本软件的安装程序，但每一份复制品都必须完整保留本协议以及本软件中的全部版权声明和商标标识。

3. 未经 Quent 书面许可，您不得将本软件用于出租、出借、销售、捆绑分发或者其他任何以营利为目的的用途。

4. 本协议未明示授予您的一切权利，均由 Quent 保留；您对本软件的使用不意味着您取得了本软件的所有权。

二、知识产权

1. 本软件及其所有复制品的著作权、商标权及其他知识产权，均归 Quent 或其许可方所有，受《中华人民共和国著作权法》及相关国际条约的保护。

2. 本软件中的图像、特效素材、界面设计和文字说明，未经 Quent 或相应权利人的书面同意，不得单独提取、复制或用于本软件以外的任何用途。

3. “Nelvo”“Quent”名称及其标识是 Quent 的商标或者注册商标，本协议不授予您以任何方式使用这些商标的权利。

三、使用限制

1. 您不得对本软件进行反向工程、反向编译、反汇编，或者以其他方式试图获取本软件的源代码，法律明确允许的情形除外。

2. 您不得修改、破解本软件，不得删除或篡改本软件中的版权信息，也不得基于本软件制作衍生作品。

3. 您不得利用本软件或其虚拟摄像头功能冒用他人身份、传播违法或侵权内容、实施欺诈，或者从事其他违反法律法规和社会公德的活动；由此产生的一切后果由您自行承担。

四、驱动程序与系统变更

1. 为提供虚拟摄像头功能，安装程序将在您的计算机中安装虚拟摄像头驱动程序、注册视频滤镜组件，并写入相应的注册表项、文件关联和快捷方式；部分情况下需要重新启动计算机后才能正常使用。

2. 安装过程中，安装程序可能会提示结束正在使用摄像头的程序或者正在运行的 Nelvo，请您在确认前保存好相关工作，因未保存而造成的数据丢失由您自行承担。

3. 您可以随时通过开始菜单中的“卸载 Nelvo”或者系统的程序管理功能卸载本软件，卸载时将一并移除上述驱动程序和组件。

五、信息收集与隐私保护

1. 为统计安装情况和改进产品，本软件可能会收集软件版本、安装来源、操作系统版本、驱动程序安装结果等非个人身份信息，这些信息不包含您的视频画面、声音、聊天内容或者个人文件。

2. 本软件在运行异常时可能生成错误报告，只有在您同意后才会发送给 Quent，仅用于分析和修复软件缺陷，Quent 不会将其用于其他目的。

3. Quent 将依照法律法规的规定保护您的个人信息，未经您的同意，不会向任何第三方出售或者披露。

4. 本软件为方便您下次启动，会在您的计算机中保存安装位置、界面皮肤等设置，这些设置仅保存在本机，卸载本软件时可以一并删除。

六、软件更新与服务变更

1. 为改进功能、修复缺陷或者提高安全性，Quent 可能会不定期发布本软件的更新版本，更新版本同样适用本协议。

2. Quent 有权根据业务需要调整、中止或者终止本软件的部分功能或者相关服务，并会尽可能通过本软件或者 Quent 网站提前通知您。

3. 旧版本的本软件可能无法使用部分功能或者存在已知缺陷，Quent 建议您及时安装最新版本；安装新版本时，安装程序会保留您原有的安装位置和设置。

七、免责声明与责任限制

1. 本软件按“现状”提供，Quent 不对本软件的适销性、特定用途适用性及不侵权作任何明示或者默示的担保，也不保证本软件完全没有错误或者不会中断。

2. 因您的计算机软硬件环境、与其他软件的冲突、网络状况、病毒或者黑客攻击以及不可抗力导致的任何损失，Quent 不承担责任。

3. 在法律允许的最大范围内，Quent 对因使用或者无法使用本软件而产生的任何间接的、附带的或者惩罚性的损失均不承担责任。

八、协议的终止及其他

1. 如果您违反本协议的任何条款，Quent 有权立即终止本协议，您必须停止使用并删除本软件的全部复制品；本协议终止后，第二条、第七条和第八条的约定继续有效。

2. 本协议的订立、效力、解释和争议解决均适用中华人民共和国法律；因本协议产生的争议，双方应友好协商解决，协商不成的，任何一方均可向 Quent 所在地有管辖权的人民法院提起诉讼。

3. 本协议的标题仅为阅读方便而设，不影响条款的含义。本协议自您接受之日起生效，其最终解释权在法律允许的范围内归 Quent 所有。]==]

local STATUS_DRIVER = "安装虚拟摄像头驱动程序，请稍等..."
local STATUS_CANCELLING = "正在取消安装..."
local STATUS_CANCEL_WAITS = "正在等待虚拟摄像头驱动程序的操作完成，完成后取消安装..."

-- Builds the wizard window with all its handlers and returns it.
local function setupWindow()
    local window = createWindow("mainframe.xml")
    window:setIcon(2)
    window:setTitle("安装Nelvo")
    window:centerScreen()

    local title = window:getChild(1002)
    title:setText(title:getText() .. programVersion)
    window:getChild(2001):setText(licenceText)

    local closeButton = window:getChild(1001)
    local licencePage = window:getChild(2000)
    local folderPage = window:getChild(3000)
    local folderBox = window:getChild(3001)
    local progressPage = window:getChild(4000)
    local progressBar = window:getChild(4001)
    local percentLabel = window:getChild(4002)
    local statusLabel = window:getChild(4003)
    local finishPage = window:getChild(5000)
    local finishText = window:getChild(5001)
    local runBox = window:getChild(5002)
    local cancelButton = window:getChild(4004)

    window:getChild(1000):addHandler(event.Click, function()
        window:showWindow(SW_SHOWMINIMIZED)
    end)

    local function confirmQuit()
        local answer = window:showMessageBox(
            "安装程序未完成安装。如果您现在退出，您的程序将不能安装。\n\n您可以以后再运行安装程序完成安装。\n\n退出安装程序吗？",
            "退出安装程序", MB_YESNO + MB_ICONQUESTION)
        if answer == IDYES then
            setExitCode(EXIT_CANCELLED)
            window:endDialog(2)
        end
    end
    closeButton:addHandler(event.Click, confirmQuit)
    window:getChild(2002):addHandler(event.Click, confirmQuit)
    window:getChild(3003):addHandler(event.Click, confirmQuit)

    -- The product must not run while its files are replaced. False when the
    -- user keeps it running: the wizard then ends.
    local function productStopped()
        local program = installPath .. "Nelvo.exe"
        if isProcessRunning(program) then
            local answer = window:showMessageBox("Nelvo正在运行中，是否停止Nelvo？", "提示",
                MB_OKCANCEL + MB_ICONQUESTION, IDOK)
            if answer ~= IDOK then
                setExitCode(EXIT_CANCELLED)
                window:showMessageBox("Nelvo仍在运行，安装程序将退出。\n\n请先退出Nelvo，再重新运行安装程序。", "提示",
                    MB_OK + MB_ICONASTERISK)
                window:endDialog(3)
                return false
            end
            killProcess(program)
        end
        return true
    end

    -- False, once the user has been told, when the drive of `path` has
    -- less room than the installation takes; `advice` says what to do.
    local function roomEnough(path, advice)
        local free, cluster = diskFreeSpace(path)
        if not free then
            -- A drive that does not say: the extraction tells what fails.
            return true
        end
        local needed = spaceNeeded(path, cluster)
        if free >= needed then
            return true
        end
        local drive = driveOf(path)
        window:showMessageBox("磁盘 " .. drive .. " 的空间不足，无法安装。\n\n所需空间：" .. sizeText(needed, true) ..
            "\n可用空间：" .. sizeText(free) .. "\n\n" .. (string.gsub(advice, "X:", drive)), "错误",
            MB_OK + MB_ICONEXCLAMATION)
        return false
    end

    local function startInstall(fromPage)
        fromPage:setVisible(false)
        progressPage:setVisible(true)
        closeButton:setEnabled(false)
        installing = true
        startWork("LG.lua", "program.lz", "{installPath=" .. longString(installPath) .. ",source=" ..
            longString(installSource()) .. ",sizeKB=" .. (payloadSizeKB or 0) .. "}")
    end

    -- Cancel on the progress page: the worker stops at its next step and
    -- takes back what it did. A device tool that runs cannot be stopped;
    -- the cancel waits for it, and the status line says so.
    cancelButton:addHandler(event.Click, function()
        if not installing or cancelRequested then
            return
        end
        local answer = window:showMessageBox("确定要取消安装吗？", "提示", MB_YESNO + MB_ICONQUESTION)
        -- The installation may have ended while the question was open.
        if answer ~= IDYES or not installing then
            return
        end
        cancelRequested = true
        cancelButton:setEnabled(false)
        statusLabel:setText(timer and STATUS_CANCEL_WAITS or STATUS_CANCELLING)
    end)

    window:getChild(2003):addHandler(event.Click, function()
        local saved = trustedInstallPath(
            getInstallPath(regQueryString(HKEY_CURRENT_USER, "Software\\QuentNelvo", "InstallPath")))
        if saved then
            -- An update: the product stays where it is.
            installPath = saved
            if roomEnough(saved, "请释放磁盘 X: 的空间后再安装。") and productStopped() then
                startInstall(licencePage)
            end
            return
        end
        licencePage:setVisible(false)
        folderPage:setVisible(true)
        folderBox:setText((getProgramFolder() or "") .. "\\QuentNelvo\\")
    end)

    -- The space labels of the folder page follow the folder box, typed or
    -- browsed.
    local neededLabel = window:getChild(3005)
    local freeLabel = window:getChild(3006)
    folderBox:addHandler(event.ValueChange, function()
        local text = folderBox:getText()
        local path = typedFolder(text)
        local parts = stringSplit(text, ":")
        local drive = #parts == 2 and volumeExists(parts[1] .. ":\\") and parts[1] .. ":\\"
        local free, cluster = diskFreeSpace(path or drive or "")
        neededLabel:setText("所需空间：" .. sizeText(spaceNeeded(path, cluster), true))
        freeLabel:setText("可用空间：" .. (free and sizeText(free) or "--"))
    end)

    window:getChild(3002):addHandler(event.Click, function()
        local path = window:browseForFolder("在列表中选择一个文件夹，然后单击“确定”。")
        if path and path ~= "" then
            if string.sub(path, -1) ~= "\\" then
                folderBox:setText(path .. "\\QuentNelvo\\")
            else
                folderBox:setText(path .. "QuentNelvo\\")
            end
        end
    end)

    -- Characters a folder name cannot hold never reach the box; a second ":"
    -- neither.
    folderBox:addHandler(event.PreviewKeyPress, function(sender, code, char)
        if char == 58 then
            if string.find(folderBox:getText(), ":", 1, true) then
                return true
            end
        elseif char == 124 or char == 34 or char == 39 or char == 60 or char == 62 or char == 63 then
            return true
        end
    end)

    window:getChild(3004):addHandler(event.Click, function()
        local function refuse(text)
            window:showMessageBox(text, "错误", MB_OK + MB_ICONEXCLAMATION)
        end
        local path, refusal = checkedFolder(folderBox:getText())
        if not path then
            return refuse(refusal)
        end
        if not roomEnough(path, "请释放磁盘 X: 的空间，或选择其他安装目录。") then
            return
        end
        if not directoryEmpty(path) then
            local answer = window:showMessageBox(
                "文件夹:\r\n\r\n" .. path .. "\r\n\r\n不为空。您一定要安装到该文件夹中么?", "提示",
                MB_OKCANCEL + MB_ICONQUESTION, IDOK)
            if answer == IDCANCEL then
                return
            end
        end
        installPath = path
        if productStopped() then
            startInstall(folderPage)
        end
    end)

    -- Notifications of the install worker; the answer goes back to it
    -- (2 stops the install). A stopped or failed installation is taken back
    -- by the worker (11 and 12); the dialog ends with the box of 12.
    local function onNotify(text)
        local answer = 1
        -- Evaluated with no globals in reach: a notification is data only.
        local ok, obj = pcall(function()
            return assert(load("return " .. text, "=notification", "t", {}))()
        end)
        local code = ok and type(obj) == "table" and obj.code
        if code == 1 then
            statusLabel:setText("安装开始.")
        elseif code == 2 and runOptions.silent then
            -- Unattended: everything is installed and registered; the
            -- product is not started.
            installing = false
            setExitCode(restartComputer and EXIT_RESTART_NEEDED or EXIT_SUCCESS)
            window:endDialog(3)
        elseif code == 2 then
            installing = false
            progressPage:setVisible(false)
            finishPage:setVisible(true)
            finishText:setEnabled(false)
            runBox:setCheck(true)
            finishText:setText("安装程序已经在您的电脑中安装了Nelvo。此应用程序可以通过选择安装的快捷方式运行。\n\n单击“完成”退出安装程序。")
        elseif code == 3 then
            range = tonumber(obj.range)
            progressBar:setRange(range or 0)
        elseif code == 4 then
            local position = tonumber(obj.position)
            if position then
                progressBar:setPosition(position)
                if range and range > 0 then
                    percentLabel:setText(string.format("%2d%%", position * 100 / range))
                end
            end
            if cancelRequested then
                answer = 2
            elseif obj.text then
                statusLabel:setText(tostring(obj.text))
            end
        elseif code == 5 then
            local file = tostring(obj.file or "")
            local cause, advice = writeFailure(tonumber(obj.systemError), file)
            answer = window:showMessageBox(cause .. "\r\n" .. file .. "\r\n" .. advice, "异常",
                MB_RETRYCANCEL + MB_ICONEXCLAMATION)
            userCancelled = userCancelled or (answer == IDCANCEL and not runOptions.silent)
        elseif code == 6 then
            local text = "安装过程发生异常\r\n\r\n" .. tostring(obj.error or "")
            local systemError = tonumber(obj.systemError)
            if systemError and systemError ~= 0 then
                local cause, advice = writeFailure(systemError, installPath, true)
                text = text .. "\r\n\r\n" .. cause .. advice .. "。"
            end
            window:showMessageBox(text, "错误", MB_OK + MB_ICONEXCLAMATION)
            answer = 2
        elseif code == 7 then
            restartComputer = true
            markRestart()
        elseif code == 8 then
            if timer then
                window:killTimer(timer)
            end
            local status = obj.text and tostring(obj.text) or STATUS_DRIVER
            local frames = {status .. "/", status .. "-", status .. "\\", status .. "|"}
            local frame = 0
            timer = window:setTimer(500, function()
                if cancelRequested then
                    statusLabel:setText(STATUS_CANCEL_WAITS)
                    return
                end
                frame = frame % #frames + 1
                statusLabel:setText(frames[frame])
            end)
        elseif code == 9 then
            if timer then
                window:killTimer(timer)
                timer = nil
            end
            if cancelRequested then
                statusLabel:setText(STATUS_CANCELLING)
                answer = 2
            end
        elseif code == 10 then
            -- Unattended: the programs are ended, as when the user answers OK.
            answer = window:showMessageBox("立即结束以下程序来继续安装过程吗?\r\n" .. tostring(obj.file or ""), "提示",
                MB_OKCANCEL + MB_ICONQUESTION, IDOK)
            userCancelled = userCancelled or (answer == IDCANCEL and not runOptions.silent)
        elseif code == 11 then
            -- The installation stopped: the worker takes back what it did,
            -- then sends 12.
            if timer then
                window:killTimer(timer)
                timer = nil
            end
            installing = false
            cancelButton:setEnabled(false)
            finishPage:setVisible(false)
            progressPage:setVisible(true)
            statusLabel:setText("正在撤销安装...")
        elseif code == 12 then
            -- What could not be taken back is named: files, registrations,
            -- the driver; files that come back at the next restart apart.
            local text = "安装未完成，本次安装对电脑所做的更改已全部撤销。"
            if obj.complete == false then
                text = "安装未完成。本次安装所做的更改未能全部撤销。"
                if obj.left and obj.left ~= "" then
                    text = text .. "\r\n\r\n以下更改未能撤销：\r\n" .. tostring(obj.left)
                end
                if obj.atRestart and obj.atRestart ~= "" then
                    text = text .. "\r\n\r\n以下文件将在重启电脑后恢复：\r\n" .. tostring(obj.atRestart)
                end
            end
            if obj.driver then
                text = text .. "\r\n\r\n安装过程中已卸载旧版本的虚拟摄像头驱动程序，请重新运行安装程序修复Nelvo。"
            end
            if obj.restart then
                restartComputer = true
                restartQuestion = "撤销安装需要重启电脑才能完成，是否立即重启?"
                markRestart()
            end
            writeLog("undo", obj.complete == false and "incomplete" or "complete")
            setExitCode((userCancelled or cancelRequested) and EXIT_CANCELLED or EXIT_FAILED)
            window:showMessageBox(text, "提示", MB_OK + MB_ICONASTERISK)
            window:endDialog(3)
        end
        return answer
    end

    -- Everything is installed and registered by now; the product starts
    -- without being waited for.
    window:getChild(5003):addHandler(event.Click, function()
        setExitCode(restartComputer and EXIT_RESTART_NEEDED or EXIT_SUCCESS)
        window:endDialog(3)
        if runBox:getCheck() and not restartComputer and installFolderTrust(installPath) == "protected" then
            -- The product may start its own setup; this one is done.
            releaseMutex()
            setCurrentDirectory(installPath)
            if isVista() then
                -- Opened by the system's explorer, so that the product does
                -- not inherit the setup program's administrator rights.
                shellExecuteEx("explorer", installPath .. "Nelvo.exe", "open", SW_NORMAL, 0)
            else
                shellExecuteEx(installPath .. "Nelvo.exe", "", "open", SW_NORMAL, 0)
            end
        end
    end)

    window:setMessageHandler(onNotify)

    -- Unattended: the pages are passed as the user would pass them, once
    -- the window's loop runs. The folder is the one the command line gives
    -- (checked as a typed one), else that of the installation being
    -- updated, else the proposed one.
    if runOptions.silent then
        local start
        start = window:setTimer(1, function()
            window:killTimer(start)
            local path, refusal
            if runOptions.folder then
                path, refusal = checkedFolder(runOptions.folder)
            else
                path = trustedInstallPath(
                    getInstallPath(regQueryString(HKEY_CURRENT_USER, "Software\\QuentNelvo", "InstallPath")))
                    or (getProgramFolder() or "") .. "\\QuentNelvo\\"
            end
            if not path then
                writeLog("failure", "/D=" .. runOptions.folder .. ": " .. refusal)
                setExitCode(EXIT_FAILED)
                window:endDialog(3)
                return
            end
            writeLog("folder", path)
            installPath = path
            if not roomEnough(path, "请释放磁盘 X: 的空间后再安装。") then
                setExitCode(EXIT_FAILED)
                window:endDialog(3)
            elseif productStopped() then
                startInstall(licencePage)
            end
        end)
    end
    return window
end

setupWindow():showDialog()

if restartComputer then
    -- Unattended, the machine restarts by itself only when /FORCERESTART
    -- allows it; the exit code says that a restart is needed.
    local answer = showMessageBox(restartQuestion, "提示", MB_OKCANCEL + MB_ICONQUESTION,
        runOptions.forceRestart and IDOK or IDCANCEL)
    if answer == IDOK then
        reboot()
    end
end
