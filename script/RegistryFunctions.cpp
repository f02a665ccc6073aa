// The registry. Every key opened or created here is closed before the
// function returns (UniqueRegKey). HKEY_CURRENT_USER is the user's own: its
// keys are opened, created and deleted with the user's rights
// (base/UserRights.h), so a registry link the user put among them reaches
// only what the user could change anyway.

#include "base/UniqueHandle.h"
#include "base/UserRights.h"
#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <windows.h>
#include <shlwapi.h>

#include <optional>

namespace nelvo::bindings {

namespace {

// The root argument: the predefined roots are their handles taken as
// signed 32-bit numbers; any other number passes as a key handle.
HKEY argRoot(lua_State* L, int index) {
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(argInteger(L, index)));
}

// Acts as the user while it lives when `root` is HKEY_CURRENT_USER; ready()
// is false when that cannot be done (the caller then does nothing).
class RootRights {
public:
    explicit RootRights(HKEY root) {
        if (root == HKEY_CURRENT_USER) user_.emplace();
    }
    bool ready() const { return !user_ || user_->acting(); }

private:
    std::optional<ActingAsUser> user_;
};

// Argument `index` decoded into `out`. False when it holds text that is
// not valid UTF-8: it would arrive as the empty text, which names the root
// key itself or a key's default value, never what the caller meant.
bool argName(lua_State* L, int index, std::wstring& out) {
    out = argWideText(L, index);
    return !out.empty() || argBytes(L, index).empty();
}

// The key at root + path (argument 2), or none, also when the path cannot be
// decoded.
UniqueRegKey openKey(lua_State* L) {
    UniqueRegKey key;
    std::wstring path;
    const RootRights rights(argRoot(L, 1));
    if (!argName(L, 2, path) || !rights.ready()) return key;
    if (RegOpenKeyExW(argRoot(L, 1), path.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

UniqueRegKey createKey(lua_State* L) {
    UniqueRegKey key;
    std::wstring path;
    const RootRights rights(argRoot(L, 1));
    if (!argName(L, 2, path) || !rights.ready()) return key;
    if (RegCreateKeyExW(argRoot(L, 1), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

} // namespace

// [-0, +(0|1)] regQueryString(root, key, name) -> text or nothing
int regQueryString(lua_State* L) {
    const UniqueRegKey key = openKey(L);
    if (!key) return 0;
    const std::wstring name = argWideText(L, 3);
    // 260 units for the value and one more that always stays zero, so a
    // value stored without its terminating zero still ends in the buffer.
    constexpr DWORD kUnits = 260;
    wchar_t text[kUnits + 1] = {};
    DWORD type = 0;
    DWORD bytes = kUnits * sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return 0;
    pushWideText(L, text);
    return 1;
}

// [-0, +(0|1)] regQueryInteger(root, key, name) -> number or nothing
int regQueryInteger(lua_State* L) {
    const UniqueRegKey key = openKey(L);
    if (!key) return 0;
    const std::wstring name = argWideText(L, 3);
    int32_t value = 0;
    DWORD type = 0;
    DWORD bytes = sizeof value;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    pushInteger(L, value);
    return 1;
}

// [-0, +0] regWriteString(root, key, name, text)
int regWriteString(lua_State* L) {
    std::wstring name;
    if (!argName(L, 3, name)) return 0;
    const UniqueRegKey key = createKey(L);
    if (!key) return 0;
    const std::wstring text = argWideText(L, 4);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    return 0;
}

// [-0, +0] regWriteInteger(root, key, name, number)
int regWriteInteger(lua_State* L) {
    std::wstring name;
    if (!argName(L, 3, name)) return 0;
    const UniqueRegKey key = createKey(L);
    if (!key) return 0;
    const int32_t value = argInteger(L, 4);
    RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    return 0;
}

// [-0, +0] regDeleteValue(root, key, name)
int regDeleteValue(lua_State* L) {
    std::wstring name;
    if (!argName(L, 3, name)) return 0;
    const UniqueRegKey key = openKey(L);
    if (!key) return 0;
    RegDeleteValueW(key.get(), name.c_str());
    return 0;
}

// [-0, +0] regDeleteSubKey(root, key)
int regDeleteSubKey(lua_State* L) {
    const std::wstring path = argWideText(L, 2);
    // An empty path names the root itself; deleting "everything below the
    // root" is never what a caller means, and invalid UTF-8 arrives empty.
    const RootRights rights(argRoot(L, 1));
    if (path.empty() || !rights.ready()) return 0;
    SHDeleteKeyW(argRoot(L, 1), path.c_str());
    return 0;
}

} // namespace nelvo::bindings
