#include "gui/text_layout.h"

#include <algorithm>

namespace {

// Caller holds the face's lock.
TextExtent MeasureLocked(FontFace* face, const std::wstring& text, int spacing) {
    TextExtent extent;
    if (!face || text.empty()) return extent;
    const int ppem = face->PixelHeight();
    extent.height = ppem + 1;
    GlyphImage glyph;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!face->LoadGlyph(text[i], &glyph)) continue;
        extent.width += glyph.advance + spacing;
        // A first glyph that starts left of the pen widens the line.
        if (i == 0 && glyph.left < 0) extent.width -= glyph.left;
        // Descenders make the line taller than the em.
        if (glyph.top - glyph.rows < 0) {
            extent.height = std::max(extent.height, ppem + glyph.rows - glyph.top + 1);
        }
    }
    return extent;
}

std::uint32_t Premultiplied(std::uint32_t colour, unsigned coverage) {
    const unsigned blue = (colour & 0xFF) * coverage / 255;
    const unsigned green = ((colour >> 8) & 0xFF) * coverage / 255;
    const unsigned red = ((colour >> 16) & 0xFF) * coverage / 255;
    return coverage << 24 | red << 16 | green << 8 | blue;
}

// Copies the glyph's coverage with its pen at `pen`; the baseline lies
// `baseline` rows below the top of the picture.
void CopyGlyph(const GlyphImage& glyph, int pen, int baseline, std::uint32_t colour,
               std::uint32_t* pixels, int width, int height) {
    const int originX = pen + glyph.left;
    const int columns = std::min(glyph.width, width - originX);
    for (int r = 0; r < glyph.rows; ++r) {
        const int y = baseline + r - glyph.top;
        if (y < 0 || y >= height) continue;
        const unsigned char* source = glyph.coverage + static_cast<std::ptrdiff_t>(r) * glyph.pitch;
        std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(height - 1 - y) * width;
        for (int c = 0; c < columns; ++c) {
            const unsigned coverage = source[c];
            if (coverage > 0) row[originX + c] = Premultiplied(colour, coverage);
        }
    }
}

}  // namespace

TextExtent MeasureLine(FontFace* face, const std::wstring& text, int spacing) {
    if (!face) return TextExtent{};
    std::lock_guard<std::mutex> lock(face->Lock());
    return MeasureLocked(face, text, spacing);
}

void DrawLine(FontFace* face, const std::wstring& text, int spacing, std::uint32_t colour,
              const LineLayout& layout, std::uint32_t* pixels, int width, int height) {
    if (!face || text.empty() || !pixels || width <= 0 || height <= 0) return;
    std::lock_guard<std::mutex> lock(face->Lock());
    const int baseline = face->PixelHeight();
    const int reserve = layout.overflow ? MeasureLocked(face, L"...", spacing).width : 0;
    const std::size_t none = text.size() + 3;
    std::size_t cut = none;
    int pen = layout.start;
    GlyphImage glyph;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (cut != none && i >= cut) break;
        if (!face->LoadGlyph(text[i], &glyph)) continue;
        // The glyph that would cross the reserve and the two after it
        // become the three full stops.
        if (layout.overflow && cut == none && pen + glyph.advance >= width - reserve) cut = i + 3;
        if (cut != none && !face->LoadGlyph(L'.', &glyph)) continue;
        if (pen + glyph.left < 0) {
            if (i != 0) continue;
            pen -= glyph.left;
        }
        if (pen + glyph.left >= width) break;
        CopyGlyph(glyph, pen, baseline, colour, pixels, width, height);
        pen += glyph.advance + spacing;
    }
}
