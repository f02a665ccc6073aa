#pragma once
// The native functions behind the system functions, one group per source
// file. Only SystemFunctions.cpp registers them; each is wrapped in
// nativeBoundary there.

#include "script/SystemFunctions.h"

#include <lua.h>

namespace nelvo::bindings {

// FileFunctions.cpp
int removeFile(lua_State* L);
int moveFile(lua_State* L);
int copyFile(lua_State* L);
int removeDirectory(lua_State* L);
int createProtectedDirectory(lua_State* L);
int isSystemPath(lua_State* L);
int createDirectory(lua_State* L);
int fileExists(lua_State* L);
int volumeExists(lua_State* L);
int directoryEmpty(lua_State* L);
int setCurrentDirectory(lua_State* L);

// DiskSpaceFunctions.cpp
int diskFreeSpace(lua_State* L);
int fileSize(lua_State* L);

// SpecialFolders.cpp
int getAppDataFolder(lua_State* L);
int getProgramFolder(lua_State* L);
int getTempFolder(lua_State* L);
int getDesktopFolder(lua_State* L);
int getStartMenuFolder(lua_State* L);

// ProcessFunctions.cpp
int killProcess(lua_State* L);
int isProcessRunning(lua_State* L);
int getProcessPath(lua_State* L);
int getRunningProcess(lua_State* L);
int killRunningProcess(lua_State* L);

// EnvironmentFunctions.cpp
int sleep(lua_State* L);
int print(lua_State* L);
int setEnvVar(lua_State* L);
int isWOW32(lua_State* L);
int isVista(lua_State* L);
int isWin8(lua_State* L);

// RegistryFunctions.cpp
int regQueryString(lua_State* L);
int regQueryInteger(lua_State* L);
int regWriteString(lua_State* L);
int regWriteInteger(lua_State* L);
int regDeleteValue(lua_State* L);
int regDeleteSubKey(lua_State* L);

// ShellFunctions.cpp
int shellExecuteEx(lua_State* L);
int installFolderTrust(lua_State* L);
int createShortCut(lua_State* L);
int showMessageBox(lua_State* L);

// RestartFunctions.cpp
int reboot(lua_State* L);
int markRestart(lua_State* L);
int releaseMutex(lua_State* L);

// RunFunctions.cpp
int getRunOptions(lua_State* L);
int setExitCode(lua_State* L);
int writeLog(lua_State* L);

// SystemFunctions.cpp: the guards of the last registration.
const ProcessGuards& registeredGuards();

} // namespace nelvo::bindings
