// The product's support libraries (libcurl.dll, msvcp110.dll, msvcr110.dll,
// zlibwapi.dll) as loadable libraries without exports: the installation
// copies them, nothing here calls into them.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
