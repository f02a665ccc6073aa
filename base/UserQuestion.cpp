#include "base/UserQuestion.h"

#include "base/RunLog.h"

#include <string>

namespace nelvo {
namespace {

volatile LONG g_unattended = 0;

// The answer an unattended run gives when its caller names none: the one
// that changes nothing.
int safeAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
    case MB_YESNOCANCEL:
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

const char* answerName(int answer) {
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "none";
    }
}

} // namespace

void setUnattended(bool on) { InterlockedExchange(&g_unattended, on ? 1 : 0); }

bool unattended() { return g_unattended != 0; }

int askUser(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type, int silentAnswer) {
    std::wstring question(caption);
    question += L": ";
    question += text;
    RunLog::write("question", question);
    int answer;
    if (unattended()) {
        answer = silentAnswer ? silentAnswer : safeAnswer(type);
    } else {
        answer = MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(caption).c_str(), type);
    }
    RunLog::write("answer", std::string_view(answerName(answer)));
    return answer;
}

} // namespace nelvo
