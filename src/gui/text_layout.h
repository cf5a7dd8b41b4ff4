// Measuring and drawing a line of text with a FontFace into a 32-bit
// premultiplied picture. Used by GUIText; the edit box measures through it.
#pragma once

#include <cstdint>
#include <string>

#include "gui/font_face.h"

struct TextExtent {
    int width = 0;
    int height = 0;
};

// Width and height in pixels of `text` with `spacing` extra pixels after
// every glyph; (0, 0) for the empty text or a null face.
TextExtent MeasureLine(FontFace* face, const std::wstring& text, int spacing);

struct LineLayout {
    int start = 0;          // pen position of the first glyph
    bool overflow = false;  // cut with "..." at the right edge
};

// Draws `text` into `pixels` (width * height words 0xAARRGGBB, bottom-up
// rows as in a DIB section), colour 0xRRGGBB premultiplied by coverage.
// Pixels without coverage are left alone; nothing is drawn with a null face.
void DrawLine(FontFace* face, const std::wstring& text, int spacing, std::uint32_t colour,
              const LineLayout& layout, std::uint32_t* pixels, int width, int height);
