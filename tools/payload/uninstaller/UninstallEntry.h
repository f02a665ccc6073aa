#pragma once
// The machine's record of the installation: the uninstall entry under
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuentNelvo,
// which only an administrator can write. The uninstaller runs only for the
// folder it names: a copy of the program elsewhere (a download folder beside
// a planted device tool) would otherwise start that folder's programs as
// administrator, under the publisher's signature.

#include <string>
#include <string_view>

namespace nelvo::uninstall {

// The program at the start of a command line: the text inside the first
// pair of quotes when it begins with one, otherwise the whole text (setup
// writes UninstallString quoted; earlier versions did not).
std::wstring commandProgram(std::wstring_view commandLine);

// The folder of the entry's UninstallString, with its trailing "\"; empty
// when there is no entry or it names no folder.
std::wstring recordedInstallFolder();

// Whether two folders (each ending with "\") are the same, as the file
// system compares names.
bool sameFolder(const std::wstring& a, const std::wstring& b);

} // namespace nelvo::uninstall
