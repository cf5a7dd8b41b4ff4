#include "gui/font_face.h"

#include <map>
#include <tuple>

#include "base/display_scale.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

// FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT: an 8-bit coverage bitmap.
constexpr FT_Int32 kGlyphLoadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT;
constexpr DWORD kWholeFontFile = 0;

std::mutex defaultLock;
std::shared_ptr<FontFace>& DefaultSlot() {
    static auto* slot = new std::shared_ptr<FontFace>;
    return *slot;
}
// What the default font was asked as, to ask for it again at other sizes.
struct DefaultRequest {
    FontSpec wanted;
    bool exactFace = true;
};
DefaultRequest& DefaultRequestSlot() {
    static auto* slot = new DefaultRequest;
    return *slot;
}

FT_Face AsFace(void* face) { return static_cast<FT_Face>(face); }

// The face name GDI chose and, unless `exactFace` names another one, the
// whole font file behind `font` (a substitute is refused before its file is
// read: that is over half a megabyte for nothing).
bool ReadFontFile(HFONT font, const std::wstring* exactFace, std::wstring* chosenFace,
                  std::vector<unsigned char>* file) {
    ScopedMemoryDC memory;
    {
        ScopedWindowDC screen(nullptr);
        memory.reset(CreateCompatibleDC(screen.get()));
    }
    HDC dc = memory.get();
    if (!dc) return false;
    ScopedSelect selected(dc, font);
    wchar_t face[128] = {};
    const int length = GetTextFaceW(dc, 128, face);
    chosenFace->assign(face, length > 0 ? wcsnlen(face, 128) : 0);
    bool ok = false;
    const DWORD size = (exactFace && *exactFace != *chosenFace)
                           ? GDI_ERROR
                           : GetFontData(dc, kWholeFontFile, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 0) {
        file->resize(size);
        ok = GetFontData(dc, kWholeFontFile, 0, file->data(), size) == size;
    }
    return ok;
}

HFONT CreateGdiFont(const FontSpec& wanted) {
    // The GDI font only hands out the file, so its height hardly matters.
    ScopedWindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return CreateFontW(-MulDiv(72, dpi, 72), 0, 0, 0, wanted.weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH, wanted.faceName.c_str());
}

}  // namespace

FontFace::~FontFace() {
    if (face_) FT_Done_Face(AsFace(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool FontFace::LoadGlyph(wchar_t character, GlyphImage* glyph) {
    FT_Face face = AsFace(face_);
    if (FT_Load_Char(face, static_cast<FT_ULong>(character), kGlyphLoadFlags) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    glyph->advance = static_cast<int>(slot->advance.x / 64);
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->width = static_cast<int>(slot->bitmap.width);
    glyph->rows = static_cast<int>(slot->bitmap.rows);
    glyph->pitch = slot->bitmap.pitch;
    // A negative pitch means the buffer starts at the bottom row.
    glyph->coverage = slot->bitmap.buffer;
    if (glyph->pitch < 0 && glyph->coverage) {
        glyph->coverage -= static_cast<std::ptrdiff_t>(glyph->pitch) * (glyph->rows - 1);
    }
    return true;
}

int FontFace::PixelHeight() const { return AsFace(face_)->size->metrics.y_ppem; }
int FontFace::PixelWidth() const { return AsFace(face_)->size->metrics.x_ppem; }

namespace {

// Every text widget asks for one of a handful of fonts, and a loaded face
// holds the whole font file and a FreeType instance of its own: shared, one
// per request for the life of the process. Refusals are kept too, so a font
// that is not installed is asked for once, not once per widget.
struct FontKey {
    std::wstring faceName;
    int pixelSize;
    int weight;
    bool exactFace;
    bool operator<(const FontKey& other) const {
        return std::tie(faceName, pixelSize, weight, exactFace) <
               std::tie(other.faceName, other.pixelSize, other.weight, other.exactFace);
    }
};

std::mutex fontCacheLock;
std::map<FontKey, std::shared_ptr<FontFace>>& FontCache() {
    static auto* cache = new std::map<FontKey, std::shared_ptr<FontFace>>;
    return *cache;
}

}  // namespace

std::shared_ptr<FontFace> LoadFontFromWindows(const FontSpec& wanted, bool exactFace) {
    if (wanted.pixelSize <= 0) return nullptr;
    const FontKey key{wanted.faceName, wanted.pixelSize, wanted.weight, exactFace};
    std::lock_guard<std::mutex> lock(fontCacheLock);
    const auto known = FontCache().find(key);
    if (known != FontCache().end()) return known->second;
    std::shared_ptr<FontFace> font = FontFace::Load(wanted, exactFace);
    FontCache()[key] = font;
    return font;
}

std::shared_ptr<FontFace> FontFace::Load(const FontSpec& wanted, bool exactFace) {
    std::shared_ptr<FontFace> font(new FontFace);
    font->gdiFont_.reset(CreateGdiFont(wanted));
    if (!font->gdiFont_) return nullptr;
    // Windows answers a face it does not have with another one.
    if (!ReadFontFile(font->gdiFont_.get(), exactFace ? &wanted.faceName : nullptr, &font->faceName_,
                      &font->file_)) {
        return nullptr;
    }

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    font->library_ = library;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, font->file_.data(), static_cast<FT_Long>(font->file_.size()),
                           0, &face) != 0) {
        return nullptr;
    }
    font->face_ = face;
    // Calibri looks right a pixel wider than high; 0 means "as high".
    const FT_UInt width = wanted.faceName == L"Calibri" ? wanted.pixelSize + 1 : 0;
    if (FT_Set_Pixel_Sizes(face, width, static_cast<FT_UInt>(wanted.pixelSize)) != 0) return nullptr;
    return font;
}

std::shared_ptr<FontFace> LoadFirstFont(const std::vector<FontSpec>& fonts) {
    for (const FontSpec& wanted : fonts) {
        if (auto font = LoadFontFromWindows(wanted)) return font;
    }
    return nullptr;
}

std::vector<FontSpec> StartupFontList() {
    return {{L"Myriad Pro", 12, 400}, {L"Calibri", 12, 400}, {L"Lucida Sans Unicode", 11, 400}};
}

FontSpec SystemInterfaceFontSpec() {
    FontSpec wanted;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return wanted;
    const LOGFONTW& font = metrics.lfMessageFont;
    wanted.faceName = font.lfFaceName;
    // lfHeight is the character height in pixels when negative, the cell
    // height when positive; either is close enough for a pixel size.
    wanted.pixelSize = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    if (wanted.pixelSize == 0) wanted.pixelSize = 12;
    wanted.weight = font.lfWeight > 0 ? font.lfWeight : FW_NORMAL;
    return wanted;
}

bool SetDefaultFonts(const std::vector<FontSpec>& fonts) {
    for (const FontSpec& wanted : fonts) {
        std::shared_ptr<FontFace> font = LoadFontFromWindows(wanted);
        if (!font) continue;
        std::lock_guard<std::mutex> lock(defaultLock);
        DefaultSlot() = std::move(font);
        DefaultRequestSlot() = {wanted, true};
        return true;
    }
    std::lock_guard<std::mutex> lock(defaultLock);
    if (!DefaultSlot()) {
        // The system's face name is often an alias ("MS Shell Dlg"), so take
        // whatever face Windows resolves it to.
        const FontSpec system = SystemInterfaceFontSpec();
        if (!system.faceName.empty()) {
            DefaultSlot() = LoadFontFromWindows(system, false);
            DefaultRequestSlot() = {system, false};
        }
    }
    return false;
}

std::shared_ptr<FontFace> DefaultFontAt(int dpi) {
    std::shared_ptr<FontFace> base;
    DefaultRequest request;
    {
        std::lock_guard<std::mutex> lock(defaultLock);
        base = DefaultSlot();
        request = DefaultRequestSlot();
    }
    if (!base || UsableDpi(dpi) == kBaseDpi) return base;
    request.wanted.pixelSize = ScaleLength(request.wanted.pixelSize, dpi);
    std::shared_ptr<FontFace> scaled = LoadFontFromWindows(request.wanted, request.exactFace);
    return scaled ? scaled : base;
}

std::vector<FontSpec> ScaledFonts(std::vector<FontSpec> fonts, int dpi) {
    for (FontSpec& font : fonts) font.pixelSize = ScaleLength(font.pixelSize, dpi);
    return fonts;
}

std::shared_ptr<FontFace> DefaultFont() {
    std::lock_guard<std::mutex> lock(defaultLock);
    return DefaultSlot();
}

void ResetDefaultFont() {
    std::lock_guard<std::mutex> lock(defaultLock);
    DefaultSlot().reset();
}
