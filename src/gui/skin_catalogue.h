// The fixed table of skin images: index name -> full path of the PNG file in
// the "skin" folder beside the executable.
#pragma once

#include <cstddef>
#include <vector>

struct SkinCatalogueRow {
    const char* name;             // upper-case index name, e.g. "BG_TOP"
    const wchar_t* relativePath;  // e.g. L"skin\\background\\top.png"
};

// The 62 rows in the order the catalogue is filled.
const std::vector<SkinCatalogueRow>& SkinCatalogueRows();

// Fills the catalogue from App().programFolder and checks that every file
// opens. On the first file (by byte-wise index-name order) that does not, it
// shows "Missing skin file: ..." and returns false. Called once at start-up;
// a later call refills it (which moves the stored paths).
bool LoadSkinCatalogue();

// The full path for an index name. An unknown name shows "Missing skin
// index: ..." and yields an empty string; never null.
const wchar_t* SkinPath(const char* name);

// Where the catalogue's error texts go. The default is an owner-less error
// message box captioned "vantorel liftorn"; tests capture the text instead.
using SkinErrorReporter = void (*)(const wchar_t* text);
// Installs `reporter` (null restores the message box) and returns the
// previous one.
SkinErrorReporter SetSkinErrorReporter(SkinErrorReporter reporter);
