// Saving captures: formats chosen by extension, transparency kept in PNG and
// flattened onto white otherwise, real GIF files, wide names, replacing an
// existing file, failures reported. Files are read back with the image
// library; tests/capture/identify_captures.sh also shows them to ImageMagick.
#include "capture/capture_save.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "base/utf.h"
#include "capture/raw_image.h"
#include "gui/image_library.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// What a saved file decodes to: rows top first, R G B A.
struct Decoded {
    int width = 0, height = 0;
    int channels = 0;  // as stored: 3 without alpha, 4 with
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(int x, int y) const { return &rgba[(y * width + x) * 4]; }
};

Decoded Decode(const std::wstring& path) {
    Decoded out;
    LockImageLibrary();
    ILuint image = ilGenImage();
    ilBindImage(image);
    if (ilLoadImage(path.c_str())) {
        out.width = ilGetInteger(IL_IMAGE_WIDTH);
        out.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const int format = ilGetInteger(IL_IMAGE_FORMAT);
        out.channels = format == IL_RGBA || format == IL_BGRA ? 4 : 3;
        std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(out.width) * out.height * 4);
        ilCopyPixels(0, 0, 0, out.width, out.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, bottomUp.data());
        out.rgba.resize(bottomUp.size());
        for (int y = 0; y < out.height; ++y) {
            std::copy_n(&bottomUp[(out.height - 1 - y) * out.width * 4], out.width * 4,
                        &out.rgba[y * out.width * 4]);
        }
    }
    ilDeleteImage(image);
    UnlockImageLibrary();
    return out;
}

// A capture as the screen code builds it (B G R A, bottom row first): the
// top half opaque red, the bottom left quarter opaque blue, the bottom right
// quarter half-transparent black (a shadow).
std::vector<std::uint8_t> Capture(bool shadow) {
    std::vector<std::uint8_t> bgra(kWidth * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {  // y counts from the top
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &bgra[((kHeight - 1 - y) * kWidth + x) * 4];
            if (y < kHeight / 2) {
                p[0] = 0, p[1] = 0, p[2] = 255, p[3] = 255;
            } else if (x < kWidth / 2 || !shadow) {
                p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 255;
            } else {
                p[0] = 0, p[1] = 0, p[2] = 0, p[3] = 128;
            }
        }
    }
    return BuildRawImage(bgra.data(), kWidth, kHeight);
}

::testing::AssertionResult Near(const std::uint8_t* rgba, int r, int g, int b, int tolerance) {
    if (std::abs(rgba[0] - r) <= tolerance && std::abs(rgba[1] - g) <= tolerance &&
        std::abs(rgba[2] - b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got " << int{rgba[0]} << " " << int{rgba[1]} << " " << int{rgba[2]};
}

class CaptureSaveTest : public ::testing::Test {
protected:
    void SetUp() override { InitImageLibrary(); }
    bool Save(const std::vector<std::uint8_t>& raw, bool transparent, const std::string& name) {
        LockImageLibrary();
        const bool saved = SaveCaptureImage(raw, transparent, Utf8ToWide(temp.File(name)));
        UnlockImageLibrary();
        return saved;
    }
    TempDir temp;
};

TEST_F(CaptureSaveTest, PngKeepsRealTransparencyUpright) {
    ASSERT_TRUE(Save(Capture(true), true, "shot.png"));
    const Decoded png = Decode(Utf8ToWide(temp.File("shot.png")));
    ASSERT_EQ(kWidth, png.width);
    ASSERT_EQ(kHeight, png.height);
    EXPECT_EQ(4, png.channels);
    const std::uint8_t red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 255}, shadow[4] = {0, 0, 0, 128};
    EXPECT_EQ(0, std::memcmp(red, png.At(3, 2), 4));
    EXPECT_EQ(0, std::memcmp(blue, png.At(3, kHeight - 1), 4));
    EXPECT_EQ(0, std::memcmp(shadow, png.At(kWidth - 1, kHeight - 1), 4));
}

TEST_F(CaptureSaveTest, WithoutTransparencyTheAlphaChannelIsDropped) {
    ASSERT_TRUE(Save(Capture(false), false, "plain.PNG"));
    const Decoded png = Decode(Utf8ToWide(temp.File("plain.PNG")));
    EXPECT_EQ(3, png.channels);
    EXPECT_TRUE(Near(png.At(kWidth - 1, kHeight - 1), 0, 0, 255, 0));
}

TEST_F(CaptureSaveTest, JpegAndGifAreFlattenedOntoWhite) {
    ASSERT_TRUE(Save(Capture(true), true, "shot.png"));
    ASSERT_TRUE(Save(Capture(true), true, "shot.jpg"));
    ASSERT_TRUE(Save(Capture(true), true, "shot.gif"));
    const std::string jpegBytes = ReadBytes(temp.File("shot.jpg"));
    EXPECT_EQ(std::string("\xFF\xD8\xFF", 3), jpegBytes.substr(0, 3));
    EXPECT_EQ("GIF8", ReadBytes(temp.File("shot.gif")).substr(0, 4));
    for (const char* name : {"shot.jpg", "shot.gif"}) {
        const Decoded image = Decode(Utf8ToWide(temp.File(name)));
        ASSERT_EQ(kWidth, image.width) << name;
        ASSERT_EQ(kHeight, image.height) << name;
        EXPECT_EQ(3, image.channels) << name;
        // Away from the edges, where JPEG blurs the colours together.
        EXPECT_TRUE(Near(image.At(10, 5), 255, 0, 0, 8)) << name;
        EXPECT_TRUE(Near(image.At(5, 25), 0, 0, 255, 8)) << name;
        EXPECT_TRUE(Near(image.At(32, 25), 127, 127, 127, 8)) << name;  // shadow over white
    }
    // tests/capture/identify_captures.sh shows these to ImageMagick.
    if (const char* keep = std::getenv("LIFTORN_KEEP_CAPTURES")) {
        for (const char* name : {"shot.png", "shot.jpg", "shot.gif"}) {
            WriteBytes(std::string(keep) + "\\" + name, ReadBytes(temp.File(name)));
        }
    }
}

TEST_F(CaptureSaveTest, AGifOfFewColoursKeepsThemExactly) {
    ASSERT_TRUE(Save(Capture(false), false, "exact.gif"));
    const Decoded gif = Decode(Utf8ToWide(temp.File("exact.gif")));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool top = y < kHeight / 2;
            ASSERT_TRUE(Near(gif.At(x, y), top ? 255 : 0, 0, top ? 0 : 255, 0)) << x << "," << y;
        }
    }
}

TEST_F(CaptureSaveTest, ExistingFilesAreReplacedAndWideNamesWork) {
    for (const char* name : {"again.png", "again.jpg", "\xE5\x86\x99\xE7\x9C\x9F.gif"}) {
        ASSERT_TRUE(WriteBytes(temp.File(name), "old bytes"));
        ASSERT_TRUE(Save(Capture(false), false, name)) << name;
        const Decoded image = Decode(Utf8ToWide(temp.File(name)));
        EXPECT_EQ(kWidth, image.width) << name;
    }
    ASSERT_TRUE(Save(Capture(false), false, "\xE5\x86\x99\xE7\x9C\x9F.png"));
    EXPECT_EQ(kWidth, Decode(Utf8ToWide(temp.File("\xE5\x86\x99\xE7\x9C\x9F.png"))).width);
}

TEST_F(CaptureSaveTest, FailuresAreReportedAndLeaveNoFile) {
    for (const char* name : {"missing\\shot.png", "missing\\shot.gif", "missing\\shot.jpg"}) {
        EXPECT_FALSE(Save(Capture(false), false, name)) << name;
        EXPECT_FALSE(FileExists(temp.File(name))) << name;
    }
    EXPECT_FALSE(Save({}, false, "empty.png"));
    EXPECT_FALSE(Save(Capture(false), false, "shot.bmp"));
    EXPECT_FALSE(FileExists(temp.File("empty.png")));
    // The loader of the skin images still works after all this.
    ASSERT_TRUE(WritePng(temp.File("skin.png"), 2, 2, SolidRgba(2, 2, 1, 2, 3, 255)));
    HBITMAP bitmap = nullptr;
    EXPECT_TRUE(LoadImageBitmap(Utf8ToWide(temp.File("skin.png")).c_str(), &bitmap));
    if (bitmap) DeleteObject(bitmap);
}

}  // namespace
