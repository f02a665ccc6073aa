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

TEST(UserRights, TheThreadActsAsTheUserWithoutAdministratorsAndComesBack) {
    const bool programIsAdministrator = administratorsEnabled();
    ASSERT_FALSE(threadActsAsUser());
    {
        const ActingAsUser user;
        ASSERT_TRUE(user.acting());
        EXPECT_TRUE(threadActsAsUser());
        EXPECT_FALSE(administratorsEnabled()) << "the user's places would be changed with administrator rights";
        {
            const ActingAsProgram program;
            EXPECT_FALSE(threadActsAsUser());
            EXPECT_EQ(administratorsEnabled(), programIsAdministrator);
        }
        EXPECT_TRUE(threadActsAsUser()) << "the user's rights did not come back after the program's span";
        {
            const ActingAsUser again;  // nested: the same user, then the outer one's token back
            EXPECT_TRUE(again.acting());
        }
        EXPECT_TRUE(threadActsAsUser());
    }
    EXPECT_FALSE(threadActsAsUser());
    EXPECT_EQ(administratorsEnabled(), programIsAdministrator);
}

} // namespace
} // namespace nelvo
