#include "updater/update_commands.h"

std::wstring ArgumentsAfterProgram(const std::wstring& commandLine) {
    std::size_t at = 0;
    if (at < commandLine.size() && commandLine[at] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        at = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (at < commandLine.size() && commandLine[at] != L' ' && commandLine[at] != L'\t') ++at;
    }
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    return commandLine.substr(at);
}

std::wstring InstallerCommandLine(const std::wstring& installer, const std::wstring& programFolder, bool portable) {
    std::wstring folder = programFolder;
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    const bool absolute = folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\' &&
                          ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
    if (!absolute || folder.find(L'"') != std::wstring::npos) return std::wstring();
    std::wstring line = L"\"" + installer + L"\" /S";
    if (portable) line += L" /PORTABLE";
    return line + L" /D=" + folder;
}
