#pragma once
// Start-up's check that the program's resources are the bytes the build put
// there: a flipped bit in a package can decode into a full-size wrong file,
// and packages carry no checksum of their own. Windows build only.

#include "store/ResourceFileSystem.h"

#include <windows.h>

namespace nelvo {

// True when `module` carries the digest record and every registered
// resource it holds is listed there with its size and SHA-256, and every
// listed resource is present and matches. The digest record and the small
// resources are read in place; the payload through `store`'s source of it
// (its pages of the image are never touched), which the store keeps for the
// extraction: `store` must be over `module`.
bool resourcesIntact(HMODULE module, ResourceFileSystem& store);

} // namespace nelvo
