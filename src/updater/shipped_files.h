// What a package puts in the program folder: the files the updater saves
// before running an installer and puts back when it fails. Free of Win32.
#pragma once

#include <string>
#include <vector>

// The program, the window-grab helper, the updater and the uninstaller
// (which only an installed copy has).
const std::vector<std::wstring>& ShippedProgramFiles();
// The skin's folder beside the program; every file below it is the package's.
inline constexpr const wchar_t* kShippedSkinFolder = L"skin";
inline constexpr const wchar_t* kProgramFileName = L"liftorn.exe";
// An installed copy has it; a portable one (unpacked from the zip) not.
inline constexpr const wchar_t* kUninstallerFileName = L"uninstall.exe";

// True for a path relative to the program folder ("skin\\toast\\bg.png")
// that belongs to the package.
bool IsShippedFile(const std::wstring& relativePath);
