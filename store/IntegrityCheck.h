#pragma once
// Start-up's check that the program's resources are the bytes the build put
// there: a flipped bit in a package can decode into a full-size wrong file,
// and packages carry no checksum of their own. The large payload's digest
// may be checked apart from the rest (later, on another thread), so that
// the first window does not wait for it. Windows build only; any thread.

#include "store/ByteSource.h"

#include <windows.h>

namespace nelvo {

// True when `module` carries the digest record, every registered resource
// it holds is listed there, and every listed resource is present with its
// recorded size and matches its SHA-256, read in place — except that the
// digest of the resource `deferredId` (when not 0) is not computed: for that
// one only presence and size are checked here, and resourceIntact() checks
// the rest.
bool resourcesIntact(HMODULE module, int deferredId = 0);

// True when the digest record of `module` lists the resource `id` and
// `source`, its bytes, has the recorded size and SHA-256. The source is read
// a window at a time (for the payload, through the program's file: its
// pages of the image are never touched). False for a null source.
bool resourceIntact(HMODULE module, int id, const ByteSource* source);

} // namespace nelvo
