// unins000.exe: stands where the uninstall entry points until the product's
// uninstaller exists. It says so and ends.

#include "host/LibrarySearch.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Elevated like the setup program: libraries from the system folder only.
    nelvo::hardenLibrarySearch();
    MessageBoxW(nullptr, L"Nelvo 的卸载程序将在后续版本中提供。", L"提示", MB_OK | MB_ICONINFORMATION);
    return 0;
}
