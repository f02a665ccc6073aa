// Sleeps until the wineserver ends it. While one Wine program runs, Wine's
// own background programs stay up, so they are never restarted by (and tied
// to the output of) the test that happens to start next.

#include <windows.h>

int main() {
    Sleep(INFINITE);
    return 0;
}
