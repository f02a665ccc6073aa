#include "base/UserRights.h"

#include <windows.h>

#include <vector>

namespace nelvo {
namespace {

template <class T>
bool tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, T& value) {
    DWORD size = 0;
    return GetTokenInformation(token, kind, &value, sizeof value, &size) != FALSE;
}

std::vector<unsigned char> tokenBlock(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetTokenInformation(token, kind, block.data(), size, &size)) block.clear();
    return block;
}

UniqueKernelHandle forImpersonation(HANDLE token) {
    HANDLE copy = nullptr;
    if (!DuplicateTokenEx(token, TOKEN_IMPERSONATE | TOKEN_QUERY, nullptr, SecurityImpersonation,
                          TokenImpersonation, &copy))
        return {};
    return UniqueKernelHandle(copy);
}

// The shell's token, when the shell runs in the logon session of `linked`
// and is not elevated: the user's own limited token, as the system made it.
UniqueKernelHandle shellTokenOfSession(HANDLE linked) {
    TOKEN_STATISTICS wanted{};
    if (!tokenInformation(linked, TokenStatistics, wanted)) return {};
    DWORD processId = 0;
    HWND shell = GetShellWindow();
    if (!shell || !GetWindowThreadProcessId(shell, &processId) || processId == 0) return {};
    UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    HANDLE raw = nullptr;
    if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY | TOKEN_DUPLICATE, &raw)) return {};
    UniqueKernelHandle token(raw);
    TOKEN_STATISTICS found{};
    TOKEN_ELEVATION_TYPE elevation = TokenElevationTypeDefault;
    if (!tokenInformation(token.get(), TokenStatistics, found) ||
        found.AuthenticationId.LowPart != wanted.AuthenticationId.LowPart ||
        found.AuthenticationId.HighPart != wanted.AuthenticationId.HighPart ||
        !tokenInformation(token.get(), TokenElevationType, elevation) || elevation == TokenElevationTypeFull)
        return {};
    return forImpersonation(token.get());
}

// The program's own token with the Administrators group deny-only, no
// privilege but change-notify, the user as the owner of what it creates and
// medium integrity: what the system's limited token of the same user allows.
UniqueKernelHandle limitedCopy(HANDLE own) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return {};
    SID_AND_ATTRIBUTES disabled{administrators, 0};
    HANDLE raw = nullptr;
    const BOOL made = CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE | LUA_TOKEN, 1, &disabled, 0, nullptr, 0,
                                            nullptr, &raw);
    FreeSid(administrators);
    if (!made) return {};
    UniqueKernelHandle limited(raw);

    // What it creates belongs to the user, not to Administrators (the owner
    // an elevated token gives by default, which is deny-only here).
    const std::vector<unsigned char> user = tokenBlock(own, TokenUser);
    if (!user.empty()) {
        TOKEN_OWNER owner{reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid};
        SetTokenInformation(limited.get(), TokenOwner, &owner, sizeof owner);
    }
    SID_IDENTIFIER_AUTHORITY mandatory = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID medium = nullptr;
    if (AllocateAndInitializeSid(&mandatory, 1, SECURITY_MANDATORY_MEDIUM_RID, 0, 0, 0, 0, 0, 0, 0, &medium)) {
        TOKEN_MANDATORY_LABEL label{{medium, SE_GROUP_INTEGRITY}};
        SetTokenInformation(limited.get(), TokenIntegrityLevel, &label, sizeof label + GetLengthSid(medium));
        FreeSid(medium);
    }
    return forImpersonation(limited.get());
}

HANDLE savedThreadToken() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_IMPERSONATE, TRUE, &token)) return nullptr;
    return token;
}

void restoreThreadToken(HANDLE& previous) {
    // A null token ends the impersonation.
    SetThreadToken(nullptr, previous);
    if (previous) CloseHandle(previous);
    previous = nullptr;
}

} // namespace

UniqueKernelHandle userImpersonationToken() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &raw)) return {};
    UniqueKernelHandle own(raw);
    TOKEN_ELEVATION_TYPE elevation = TokenElevationTypeDefault;
    if (!tokenInformation(own.get(), TokenElevationType, elevation) || elevation != TokenElevationTypeFull)
        // No linked token: the user's places are the program's own user's.
        return forImpersonation(own.get());

    TOKEN_LINKED_TOKEN linked{};
    if (tokenInformation(own.get(), TokenLinkedToken, linked)) {
        UniqueKernelHandle limited(linked.LinkedToken);
        SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
        if (tokenInformation(limited.get(), TokenImpersonationLevel, level) && level >= SecurityImpersonation)
            return forImpersonation(limited.get());
        if (UniqueKernelHandle shell = shellTokenOfSession(limited.get())) return shell;
    }
    return limitedCopy(own.get());
}

namespace {
// Made once: every ActingAsUser of the process acts as the same user.
HANDLE processUserToken() {
    static const HANDLE token = userImpersonationToken().release();
    return token;
}
} // namespace

bool threadActsAsUser() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return false;
    CloseHandle(token);
    return true;
}

bool administratorsEnabled(HANDLE token) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return true;
    BOOL member = TRUE;
    if (!CheckTokenMembership(token, administrators, &member)) member = TRUE;
    FreeSid(administrators);
    return member != FALSE;
}

ActingAsUser::ActingAsUser() {
    const HANDLE token = processUserToken();
    if (!token) return;
    previous_ = savedThreadToken();
    acting_ = SetThreadToken(nullptr, token) != FALSE;
    if (!acting_ && previous_) {
        CloseHandle(previous_);
        previous_ = nullptr;
    }
}

ActingAsUser::~ActingAsUser() {
    if (acting_) restoreThreadToken(previous_);
}

ActingAsProgram::ActingAsProgram() {
    previous_ = savedThreadToken();
    if (previous_) RevertToSelf();
}

ActingAsProgram::~ActingAsProgram() {
    if (previous_) restoreThreadToken(previous_);
}

} // namespace nelvo
