/* Included first in Lua's io library for Windows. Its numbers are read
   with the C library's fscanf; the system's own (msvcrt.dll) reads them as
   well as the portable one the C++ runtime selects, which would add a
   second, 13 KB copy of scanf to setup.exe for a function the scripts
   never call. */
#include <stdio.h>
#define fscanf __ms_fscanf
