// Fonts for the toolkit's own text rendering: the font file of an installed
// Windows font, read through GDI and rasterised with FreeType, and the
// process-wide default font chosen at start-up.
#pragma once

#include <windows.h>

#include "base/scoped_win.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct FontSpec {
    std::wstring faceName;  // compared exactly with the face Windows picks
    int pixelSize = 0;
    int weight = 400;       // a Windows font weight (FW_NORMAL = 400)
};

// One rendered character. The coverage rows belong to the face and stay
// valid only until the next LoadGlyph on it.
struct GlyphImage {
    int advance = 0;  // pen advance in whole pixels (26.6 value / 64, truncated)
    int left = 0;     // bitmap_left: first column relative to the pen
    int top = 0;      // bitmap_top: first row's height above the baseline
    int width = 0;    // columns of coverage
    int rows = 0;     // rows of coverage
    int pitch = 0;    // bytes from one coverage row to the next (may be negative)
    const unsigned char* coverage = nullptr;  // 8-bit coverage, top row first
};

// A loaded font: the GDI font (kept only because it gave us the file), the
// whole font file in memory, a FreeType library of its own and the face over
// that memory at one pixel size. Shared by the widgets that use it, so the
// file and face stay valid for as long as any of them does.
class FontFace {
public:
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Renders `character` (light hinting, 8-bit coverage). False when the
    // face cannot load it. Hold Lock() around this and the use of `glyph`:
    // faces are shared by windows on different threads.
    bool LoadGlyph(wchar_t character, GlyphImage* glyph);
    std::mutex& Lock() { return lock_; }

    // The face's vertical / horizontal size in pixels (y_ppem / x_ppem).
    int PixelHeight() const;
    int PixelWidth() const;
    // The face Windows chose for the request (GetTextFaceW).
    const std::wstring& FaceName() const { return faceName_; }
    std::size_t FileSize() const { return file_.size(); }

private:
    friend std::shared_ptr<FontFace> LoadFontFromWindows(const FontSpec&, bool);
    FontFace() = default;
    // Loads afresh: the font file, a FreeType instance and the face.
    static std::shared_ptr<FontFace> Load(const FontSpec& wanted, bool exactFace);

    ScopedGdiObject<HFONT> gdiFont_;
    std::vector<unsigned char> file_;
    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    std::wstring faceName_;
    std::mutex lock_;
};

// An installed font by face name. With `exactFace` a request that Windows
// answers with another face (the font is not installed) fails; without it
// whatever face Windows substitutes is taken. Null on failure. Loaded once
// per request and shared for the life of the process (the answer, null
// included, is remembered).
std::shared_ptr<FontFace> LoadFontFromWindows(const FontSpec& wanted, bool exactFace = true);

// The first entry of `fonts` that loads, or null.
std::shared_ptr<FontFace> LoadFirstFont(const std::vector<FontSpec>& fonts);

// The fonts tried at start-up, in order.
std::vector<FontSpec> StartupFontList();

// Makes the first loadable entry of `fonts` the process-wide default font and
// returns true. When none loads it returns false; an earlier default stays in
// place, and if there was none the system's interface font (the message font
// of the non-client metrics, whatever face Windows resolves it to) becomes
// the default, so text never silently disappears.
bool SetDefaultFonts(const std::vector<FontSpec>& fonts);

// The process-wide default font, or null.
std::shared_ptr<FontFace> DefaultFont();
// The default font's face at its size scaled to `dpi` (the default font
// itself at 96 DPI, or when the scaled size does not load).
std::shared_ptr<FontFace> DefaultFontAt(int dpi);

// `fonts` with every size scaled from 96 DPI to `dpi`.
std::vector<FontSpec> ScaledFonts(std::vector<FontSpec> fonts, int dpi);

// The description of the system's interface font (the message font of the
// non-client metrics); an empty face name when Windows does not tell.
FontSpec SystemInterfaceFontSpec();

// Forgets the default font (for tests that start from none).
void ResetDefaultFont();
