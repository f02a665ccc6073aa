#pragma once
// The drawing surface handed to paint and draw operations: a GDI device
// context in the Windows build. The native build (tests of the tree and the
// layout) has no drawing; it passes an opaque pointer that nothing reads.

#ifdef _WIN32
#include <windows.h>
namespace nelvo {
using DeviceContext = HDC;
}
#else
namespace nelvo {
struct OpaqueDeviceContext;
using DeviceContext = OpaqueDeviceContext*;
} // namespace nelvo
#endif
