#pragma once
// The rights of the user who started the elevated program, for its work in
// that user's own places (the application-data folder, HKCU): done with the
// administrator's rights, a link the user put there would turn the act onto
// a place only administrators may change; done with the user's own, a link
// reaches only what the user could change anyway.
//
// The user's token is the limited token linked to the elevated one. A
// program without the trusted-computing privilege gets that token only for
// identification, which cannot open files, so the token actually used is
// one of the same logon session that can be impersonated: the shell's, when
// the shell runs in the linked token's logon session; otherwise a copy of
// the program's own token with the Administrators group made deny-only,
// every privilege but change-notify dropped, the user as owner of what it
// creates, and medium integrity. A token that is not elevated (an
// administrator who logged on as himself with UAC off, or a standard user)
// is used as it is: the places are his own, and his rights are the
// program's. Windows only.

#include "base/UniqueHandle.h"

namespace nelvo {

// A token for impersonation with the user's own rights, as described above;
// empty when none can be made.
UniqueKernelHandle userImpersonationToken();

// Whether the calling thread acts with a token other than the program's own
// (inside an ActingAsUser, and not inside an ActingAsProgram).
bool threadActsAsUser();
// Whether `token` (an impersonation token; null: the token the calling
// thread acts with, its own, else the program's) has the Administrators
// group enabled.
bool administratorsEnabled(HANDLE token = nullptr);

// While it lives, the calling thread acts with the user's rights (the token
// of userImpersonationToken, made once per process). acting() is false when
// there was no such token: the caller must then not do the work.
class ActingAsUser {
public:
    ActingAsUser();
    ~ActingAsUser();
    ActingAsUser(const ActingAsUser&) = delete;
    ActingAsUser& operator=(const ActingAsUser&) = delete;
    bool acting() const { return acting_; }

private:
    HANDLE previous_ = nullptr;  // the thread's token before, if it had one
    bool acting_ = false;
};

// While it lives, the calling thread acts with the program's own rights,
// also inside an ActingAsUser; the previous token comes back after.
class ActingAsProgram {
public:
    ActingAsProgram();
    ~ActingAsProgram();
    ActingAsProgram(const ActingAsProgram&) = delete;
    ActingAsProgram& operator=(const ActingAsProgram&) = delete;

private:
    HANDLE previous_ = nullptr;
};

} // namespace nelvo
