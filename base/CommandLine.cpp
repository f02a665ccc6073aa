#include "base/CommandLine.h"

namespace nelvo {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

// Whether `text` begins with the switch `name` (upper case, with its "/").
bool startsWithSwitch(std::u16string_view text, std::u16string_view name) {
    if (text.size() < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (upper(text[i]) != name[i]) return false;
    return true;
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One token: up to the next blank outside quotes. Quotes are kept; a quote
// left open makes `closed` false.
std::u16string_view nextToken(std::u16string_view& rest, bool& closed) {
    closed = true;
    size_t i = 0;
    bool quoted = false;
    for (; i < rest.size(); ++i) {
        if (rest[i] == u'"') quoted = !quoted;
        else if (!quoted && isBlank(rest[i])) break;
    }
    closed = !quoted;
    const std::u16string_view token = rest.substr(0, i);
    rest.remove_prefix(i);
    return token;
}

// The token's text with the quotes taken out ("/LOG=C:\a b" and /LOG="C:\a b"
// read the same).
std::u16string unquoted(std::u16string_view token) {
    std::u16string text;
    for (char16_t c : token)
        if (c != u'"') text += c;
    return text;
}

RunOptions& theRunOptions() {
    static RunOptions options;
    return options;
}

} // namespace

const RunOptions& runOptions() { return theRunOptions(); }

void setRunOptions(const RunOptions& options) { theRunOptions() = options; }

std::u16string_view argumentsOf(std::u16string_view commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == u'"') {
        i = commandLine.find(u'"', 1);
        i = i == std::u16string_view::npos ? commandLine.size() : i + 1;
    }
    while (i < commandLine.size() && !isBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

ParsedRunOptions parseRunOptions(std::u16string_view commandLine, unsigned accepted) {
    ParsedRunOptions parsed;
    RunOptions& options = parsed.options;
    std::u16string_view rest = commandLine;
    auto refuse = [&](std::u16string_view what) {
        parsed.ok = false;
        parsed.refused.assign(what);
        return parsed;
    };
    for (;;) {
        while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
        if (rest.empty()) break;
        // The folder is the rest of the line: spaces belong to it.
        if ((accepted & kSwitchFolder) && startsWithSwitch(rest, u"/D=")) {
            std::u16string_view folder = trimmed(rest.substr(3));
            if (folder.size() >= 2 && folder.front() == u'"' && folder.back() == u'"')
                folder = folder.substr(1, folder.size() - 2);
            if (folder.empty()) return refuse(rest);
            options.folderGiven = true;
            options.folder.assign(folder);
            break;
        }
        bool closed = false;
        const std::u16string_view token = nextToken(rest, closed);
        if (!closed) return refuse(token);
        // A whole switch in quotes is the switch.
        const std::u16string text = unquoted(token);
        const std::u16string_view view = text;
        auto is = [&](std::u16string_view name, RunSwitch which) {
            return (accepted & which) && view.size() == name.size() && startsWithSwitch(view, name);
        };
        if (is(u"/S", kSwitchSilent)) {
            options.silent = true;
        } else if (is(u"/FORCERESTART", kSwitchForceRestart)) {
            options.forceRestart = true;
        } else if (is(u"/NORESTART", kSwitchNoRestart)) {
            options.forceRestart = false;
        } else if ((accepted & kSwitchLog) && startsWithSwitch(view, u"/LOG=") && view.size() > 5) {
            options.logPath.assign(view.substr(5));
        } else {
            return refuse(token);
        }
    }
    parsed.ok = true;
    return parsed;
}

} // namespace nelvo
