// The fixed table of skin images: index name -> full path of the PNG file in
// the "skin" folder beside the executable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SkinCatalogueRow {
    const char* name;             // upper-case index name, e.g. "BG_TOP"
    const wchar_t* relativePath;  // e.g. L"skin\\background\\top.png"
};

// The 65 rows in the order the catalogue is filled.
const std::vector<SkinCatalogueRow>& SkinCatalogueRows();

// Fills the catalogue from the program folder (UTF-8, ending in a backslash)
// and checks that every file opens. On the first file (by byte-wise
// index-name order) that does not, it shows "Missing skin file: ..." (an
// owner-less error message box, through AskUser) and returns false. Called
// once at start-up; a later call refills it (which moves the stored paths).
bool LoadSkinCatalogue(const std::string& programFolder);

// The full path for an index name. An unknown name shows "Missing skin
// index: ..." and yields an empty string; never null.
const wchar_t* SkinPath(const char* name);

// Where the skin set of `setPercent` keeps the picture at `path` (a path of
// the loaded catalogue's skin folder), whether or not the file is there; an
// empty text for a path outside the skin folder.
std::wstring SkinSetFile(const std::wstring& path, int setPercent);
