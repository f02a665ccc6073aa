#include "base/FileSystem.h"

namespace nelvo {

namespace {
FileSystem* g_current = nullptr;
}

FileSystem* currentFileSystem() { return g_current; }
void setCurrentFileSystem(FileSystem* fs) { g_current = fs; }

} // namespace nelvo
