#include "gui/image_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "base/utf.h"
#include "gui/premultiply.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

namespace {

// True when another thread can take the image mutex right now.
bool MutexIsFree() {
    bool free = false;
    std::thread([&] {
        if (ImageLibraryMutex().try_lock()) {
            free = true;
            ImageLibraryMutex().unlock();
        }
    }).join();
    return free;
}

class ImageLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { InitImageLibrary(); }
    std::wstring Png(const std::string& name, int width, int height,
                     const std::vector<std::uint8_t>& rgba) {
        const std::string path = temp_.File(name);
        EXPECT_TRUE(WritePng(path, width, height, rgba));
        return Utf8ToWide(path);
    }
    TempDir temp_;
};

TEST(ImageLibrary, InitialisingTwiceKeepsTheLockHeld) {
    InitImageLibrary();
    ASSERT_TRUE(ImageLibraryReady());
    LockImageLibrary();
    InitImageLibrary();  // must neither wait for the lock nor replace it
    EXPECT_FALSE(MutexIsFree());
    UnlockImageLibrary();
    EXPECT_TRUE(MutexIsFree());
}

TEST(Premultiply, ScalesColourByAlphaAndTruncates) {
    std::uint8_t pixels[] = {
        50, 100, 200, 128,  // B, G, R, A
        255, 255, 255, 0,   // transparent: colour dropped
        255, 1, 254, 255,   // opaque: unchanged
        1, 254, 255, 254,   // 254 * 254 / 255 = 253.0..., 1 * 254 / 255 = 0.99...
    };
    PremultiplyAlpha(pixels, 4);
    const std::uint8_t expected[] = {25, 50, 100, 128, 0, 0, 0, 0, 255, 1, 254, 255, 0, 253, 254, 254};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(expected[i], pixels[i]) << "byte " << i;
}

TEST_F(ImageLibraryTest, LoadsPremultipliedBottomUpDib) {
    // Top row: the colour pixel and a fully transparent one; bottom row opaque blue.
    const std::vector<std::uint8_t> rgba = {
        200, 100, 50, 128, 10, 20, 30, 0,
        0, 0, 255, 255, 0, 0, 255, 255,
    };
    const std::wstring path = Png("pixels.png", 2, 2, rgba);
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    SIZE size{};
    ASSERT_TRUE(LoadImageBitmap(path.c_str(), &bitmap, &bits, &size));
    ASSERT_NE(nullptr, bitmap);
    ASSERT_NE(nullptr, bits);
    EXPECT_EQ(2, size.cx);
    EXPECT_EQ(2, size.cy);

    DIBSECTION dib{};
    ASSERT_EQ(static_cast<int>(sizeof dib), GetObjectW(bitmap, sizeof dib, &dib));
    EXPECT_EQ(32, dib.dsBm.bmBitsPixel);
    EXPECT_EQ(2, dib.dsBmih.biHeight);  // positive: bottom-up
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), dib.dsBmih.biCompression);
    EXPECT_EQ(bits, dib.dsBm.bmBits);

    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    // First row in memory is the picture's bottom row.
    const std::uint8_t blue[] = {255, 0, 0, 255};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(blue[i % 4], bytes[i]) << "bottom row byte " << i;
    const std::uint8_t top[] = {25, 50, 100, 128, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(top[i], bytes[8 + i]) << "top row byte " << i;
    DeleteObject(bitmap);
    EXPECT_TRUE(MutexIsFree());
}

TEST_F(ImageLibraryTest, LoadsOneImageAfterAnother) {
    const std::wstring red = Png("red.png", 3, 1, SolidRgba(3, 1, 255, 0, 0, 255));
    const std::wstring green = Png("green.png", 1, 4, SolidRgba(1, 4, 0, 255, 0, 255));
    for (int round = 0; round < 3; ++round) {
        HBITMAP bitmap = nullptr;
        void* bits = nullptr;
        SIZE size{};
        ASSERT_TRUE(LoadImageBitmap(red.c_str(), &bitmap, &bits, &size));
        EXPECT_EQ(3, size.cx);
        EXPECT_EQ(0xFFFF0000u, static_cast<std::uint32_t*>(bits)[2]);
        DeleteObject(bitmap);
        ASSERT_TRUE(LoadImageBitmap(green.c_str(), &bitmap, &bits, &size));
        EXPECT_EQ(4, size.cy);
        EXPECT_EQ(0xFF00FF00u, static_cast<std::uint32_t*>(bits)[3]);
        DeleteObject(bitmap);
    }
    // The optional outputs may be left out.
    HBITMAP bitmap = nullptr;
    ASSERT_TRUE(LoadImageBitmap(red.c_str(), &bitmap));
    DeleteObject(bitmap);
}

// Resampled for a monitor at 150 % (the sizes for other scales are the skin
// catalogue's test): no dark fringe where opaque red meets transparent black,
// as the colour is premultiplied before it is resampled.
TEST_F(ImageLibraryTest, ScalesForAMonitorsDpiWithoutFringes) {
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool red = (x + y) % 2 == 0;
            rgba.insert(rgba.end(), {std::uint8_t(red ? 255 : 0), 0, 0, std::uint8_t(red ? 255 : 0)});
        }
    }
    const std::wstring path = Png("checks.png", 5, 7, rgba);
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    SIZE size{};
    ASSERT_TRUE(LoadImageBitmap(path.c_str(), &bitmap, &bits, &size, 144));
    ASSERT_EQ(8, size.cx);
    ASSERT_EQ(11, size.cy);
    int partial = 0;
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < size.cx * size.cy; ++i) {
        const std::uint32_t alpha = pixels[i] >> 24, red = (pixels[i] >> 16) & 0xFF;
        // Premultiplied red over nothing: red equals alpha wherever it shows.
        ASSERT_LE(red, alpha) << "pixel " << i;
        ASSERT_GE(red + 1, alpha) << "pixel " << i;
        ASSERT_EQ(0u, pixels[i] & 0xFFFF) << "pixel " << i;
        if (alpha > 0 && alpha < 255) ++partial;
    }
    EXPECT_GT(partial, 0);  // resampled, not copied pixel for pixel
    DeleteObject(bitmap);
    EXPECT_TRUE(MutexIsFree());
}

TEST_F(ImageLibraryTest, FailuresGiveNullBitmapAndReleaseTheMutex) {
    const std::string garbage = temp_.File("garbage.png");
    ASSERT_TRUE(WriteBytes(garbage, "an error page, not a picture"));
    const std::string png = EncodePng(8, 8, SolidRgba(8, 8, 1, 2, 3, 255));
    const std::string truncated = temp_.File("truncated.png");
    ASSERT_TRUE(WriteBytes(truncated, png.substr(0, png.size() - 40)));
    const std::wstring paths[] = {Utf8ToWide(temp_.File("absent.png")), Utf8ToWide(garbage),
                                  Utf8ToWide(truncated), L""};
    for (const std::wstring& path : paths) {
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
        EXPECT_FALSE(LoadImageBitmap(path.c_str(), &bitmap));
        EXPECT_EQ(nullptr, bitmap);
        EXPECT_TRUE(MutexIsFree());
    }
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    EXPECT_FALSE(LoadImageBitmap(nullptr, &bitmap));
    EXPECT_EQ(nullptr, bitmap);
}

TEST_F(ImageLibraryTest, LockIsHeldAgainstOtherThreads) {
    LockImageLibrary();
    EXPECT_FALSE(MutexIsFree());
    UnlockImageLibrary();
    EXPECT_TRUE(MutexIsFree());
}

}  // namespace
