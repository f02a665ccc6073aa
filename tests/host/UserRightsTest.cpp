// The user's rights as the worker takes them for the user's places. Wine
// does not check a file's access against an impersonated token, so what is
// checked is the token the thread carries: it is there while ActingAsUser
// lives, it has no enabled Administrators group when the program itself
// has one, ActingAsProgram takes it away for its own span, and the
// thread's own rights come back at the end.

#include "base/UserRights.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace nelvo {
namespace {

// Whether the thread's token (or the process's, without one) has the
// Administrators group enabled.
bool administratorsEnabled() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    BOOL member = FALSE;
    const BOOL checked = CheckTokenMembership(nullptr, administrators, &member);
    FreeSid(administrators);
    return checked && member;
}

bool threadHasToken() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return false;
    CloseHandle(token);
    return true;
}

TEST(UserRights, TheThreadActsAsTheUserWithoutAdministratorsAndComesBack) {
    const bool programIsAdministrator = administratorsEnabled();
    ASSERT_FALSE(threadHasToken());
    {
        const ActingAsUser user;
        ASSERT_TRUE(user.acting());
        EXPECT_TRUE(threadHasToken());
        EXPECT_FALSE(administratorsEnabled()) << "the user's places would be changed with administrator rights";
        {
            const ActingAsProgram program;
            EXPECT_FALSE(threadHasToken());
            EXPECT_EQ(administratorsEnabled(), programIsAdministrator);
        }
        EXPECT_TRUE(threadHasToken()) << "the user's rights did not come back after the program's span";
        {
            const ActingAsUser again;  // nested: the same user, then the outer one's token back
            EXPECT_TRUE(again.acting());
        }
        EXPECT_TRUE(threadHasToken());
    }
    EXPECT_FALSE(threadHasToken());
    EXPECT_EQ(administratorsEnabled(), programIsAdministrator);
}

} // namespace
} // namespace nelvo
