// The capture's texts and small records: the name check and its messages,
// offered names, formats, the post-capture arguments, the raw image block
// and the window-grab outline.
#include "capture/capture_names.h"

#include <gtest/gtest.h>

#include "capture/grab_outline.h"
#include "capture/raw_image.h"

namespace {

TEST(CaptureNamesTest, NameCheckAndItsMessages) {
    struct Case {
        std::wstring name;
        NameProblem problem;
    } cases[] = {
        {L"shot.PNG", NameProblem::kNone},
        {L"shot.jpg", NameProblem::kNone},
        {L"shot.GiF", NameProblem::kNone},
        {L".png", NameProblem::kNone},
        {L"my.shot.png", NameProblem::kNone},
        {L"shot.tiff", NameProblem::kWrongExtension},
        {L"shot.png.txt", NameProblem::kWrongExtension},
        {L"shot.", NameProblem::kWrongExtension},
        {L"shot", NameProblem::kNoExtension},
        {L"", NameProblem::kNoExtension},
        {L"a/b.png", NameProblem::kForbiddenCharacter},
        {L"a\\b", NameProblem::kForbiddenCharacter},  // the first problem only
        {L"c:x.png", NameProblem::kForbiddenCharacter},
        {L"what?.png", NameProblem::kForbiddenCharacter},
        {L"\"q\".png", NameProblem::kForbiddenCharacter},
        {L"<a>.png", NameProblem::kForbiddenCharacter},
        {L"a|b.png", NameProblem::kForbiddenCharacter},
        {L"a*.png", NameProblem::kForbiddenCharacter},
        // Names Windows keeps for devices, control characters, overlong.
        {L"CON.png", NameProblem::kUnusableName},
        {L"nul.PNG", NameProblem::kUnusableName},
        {L"COM1.png", NameProblem::kUnusableName},
        {L"lpt9.gif", NameProblem::kUnusableName},
        {L"tab\there.png", NameProblem::kUnusableName},
        {L"bell\x07.jpg", NameProblem::kUnusableName},
        {std::wstring(252, L'x') + L".png", NameProblem::kUnusableName},
        {std::wstring(251, L'x') + L".png", NameProblem::kNone},
        {L"CONSOLE.png", NameProblem::kNone},
        {L"nul .PNG", NameProblem::kUnusableName},
        {L"com1.tar.jpg", NameProblem::kUnusableName},
        {L"LPT\u00b9.gif", NameProblem::kUnusableName},
        {L"COM10.png", NameProblem::kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.problem, CheckCaptureName(c.name)) << c.name;
    }
    EXPECT_STREQ(L"Files cannot contain any of: \\ / : * ? \" < > |",
                 NameProblemMessage(NameProblem::kForbiddenCharacter));
    EXPECT_STREQ(L"No extension given.", NameProblemMessage(NameProblem::kNoExtension));
    EXPECT_STREQ(L"Valid extensions: png, jpg and gif.", NameProblemMessage(NameProblem::kWrongExtension));
    EXPECT_STREQ(L"Windows cannot use this name for a file.", NameProblemMessage(NameProblem::kUnusableName));
    EXPECT_STREQ(L"", NameProblemMessage(NameProblem::kNone));
}

TEST(CaptureNamesTest, FormatsAndOfferedNames) {
    EXPECT_EQ(CaptureFormat::kPng, FormatOfName(L"a.b.PnG"));
    EXPECT_EQ(CaptureFormat::kJpeg, FormatOfName(L"x.JPG"));
    EXPECT_EQ(CaptureFormat::kGif, FormatOfName(L"x.gif"));
    EXPECT_EQ(CaptureFormat::kUnknown, FormatOfName(L"x.jpeg"));
    EXPECT_EQ(CaptureFormat::kUnknown, FormatOfName(L"png"));

    EXPECT_EQ(L"abc.png", DefaultCaptureName(L"a/b:c", false));
    EXPECT_EQ(L"capture.png", DefaultCaptureName(L"", false));
    EXPECT_EQ(L"capture.png", DefaultCaptureName(L"Some window", true));
    EXPECT_EQ(L"Notepad - notes.txt.png", DefaultCaptureName(L"Notepad - notes.txt", false));
    EXPECT_EQ(L"capture.png", DefaultCaptureName(L"\\/:*?\"<>|", false));
    EXPECT_EQ(L"tabline.png", DefaultCaptureName(L"tab\tline\n", false));
    EXPECT_EQ(L"_CON.png", DefaultCaptureName(L"CON", false));
    EXPECT_EQ(L"_aux .png", DefaultCaptureName(L"aux ", false));
    // Only the first 41 characters of a title are read.
    const std::wstring longTitle(60, L'x');
    EXPECT_EQ(std::wstring(41, L'x') + L".png", DefaultCaptureName(longTitle, false));
}

TEST(CaptureNamesTest, PrivateFileNames) {
    const CaptureClock clock{2024, 1, 31, 23, 5, 9};
    EXPECT_EQ(L"capture-20240131-230509-1.png", PrivateCaptureFileName(clock, 1, CaptureFormat::kPng));
    EXPECT_EQ(L"capture-20240131-230509-12.jpg", PrivateCaptureFileName(clock, 12, CaptureFormat::kJpeg));
    EXPECT_EQ(L"capture-20240131-230509-3.gif", PrivateCaptureFileName(clock, 3, CaptureFormat::kGif));
    EXPECT_EQ(L"capture-20240131-230509-3.png", PrivateCaptureFileName(clock, 3, CaptureFormat::kUnknown));
    // A picture from the clipboard is sent under its time, a name the
    // capture rules accept.
    EXPECT_EQ(L"clipboard 2024-01-31 23.05.09.png", ClipboardPictureName(clock));
    EXPECT_EQ(NameProblem::kNone, CheckCaptureName(ClipboardPictureName(clock)));
}

TEST(CaptureNamesTest, TheFirstPercentOneBecomesOneQuotedArgument) {
    EXPECT_EQ(L"-i \"C:\\d\\shot.png\" -o %1", SubstituteCapturePath(L"-i %1 -o %1", L"C:\\d\\shot.png"));
    EXPECT_EQ(L"--quiet", SubstituteCapturePath(L"--quiet", L"C:\\x.png"));
    EXPECT_EQ(L"", SubstituteCapturePath(L"", L"C:\\x.png"));
    EXPECT_EQ(L"\"C:\\a b.png\"", SubstituteCapturePath(L"%1", L"C:\\a b.png"));
    // Quoted by the user already (what a bare path needed): kept as one.
    EXPECT_EQ(L"/o \"C:\\a b.png\"", SubstituteCapturePath(L"/o \"%1\"", L"C:\\a b.png"));
}

TEST(RawImageTest, HeaderAndPixelOrder) {
    // Two pixels, B G R A each.
    const std::uint8_t bgra[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const auto block = BuildRawImage(bgra, 2, 1);
    const std::vector<std::uint8_t> expected = {2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0,
                                                0, 4, 1, 3, 2, 1, 4, 7, 6, 5, 8};
    EXPECT_EQ(expected, block);
    const auto wide = BuildRawImage(bgra, 0x102, 0);
    EXPECT_TRUE(wide.empty());
    EXPECT_TRUE(BuildRawImage(nullptr, 1, 1).empty());
    EXPECT_TRUE(BuildRawImage(bgra, 16385, 16384).empty());  // refused, not allocated
}

TEST(RawImageTest, FlatteningLaysStraightColourOverWhite) {
    const std::uint8_t bgra[16] = {0, 0, 0, 128, 10, 20, 30, 255, 200, 100, 50, 0, 255, 0, 0, 64};
    auto block = BuildRawImage(bgra, 4, 1);
    FlattenRawOntoWhite(block);
    const std::vector<std::uint8_t> pixels(block.begin() + kRawHeaderSize, block.end());
    const std::vector<std::uint8_t> expected = {
        127, 127, 127, 255,  // half-transparent black shadow: grey
        30,  20,  10,  255,  // opaque: unchanged
        255, 255, 255, 255,  // transparent: white
        191, 191, 255, 255,  // blue at a quarter: (255 * 64 + 255 * 191) / 255 = 255
    };
    EXPECT_EQ(expected, pixels);
    EXPECT_EQ(4, block[0]);  // the header stays
}

TEST(GrabOutlineTest, TransparencyRulesAndMargin) {
    EXPECT_TRUE(GrabMayKeepTransparency(true, true, 0x00CF0000, false));
    EXPECT_FALSE(GrabMayKeepTransparency(false, true, 0x00CF0000, false));  // before Vista
    EXPECT_FALSE(GrabMayKeepTransparency(true, false, 0x00CF0000, false));  // setting off
    EXPECT_FALSE(GrabMayKeepTransparency(true, true, 0x00800000, false));   // border only
    EXPECT_FALSE(GrabMayKeepTransparency(true, true, 0x80000000, false));   // popup
    EXPECT_FALSE(GrabMayKeepTransparency(true, true, 0x00CF0000, true));    // maximised

    // Overlay starting at (-100, 0): window at screen (50, 60)-(250, 160).
    const CaptureRect window{50, 60, 250, 160};
    const GrabOutline plain = OutlineForWindow(window, {-100, 0}, false);
    EXPECT_EQ((CapturePoint{150, 60}), plain.anchor);
    EXPECT_EQ((CapturePoint{349, 159}), plain.current);
    EXPECT_EQ(kGrabBorderOpaque, plain.border);
    const GrabOutline glass = OutlineForWindow(window, {-100, 0}, true);
    EXPECT_EQ((CapturePoint{120, 30}), glass.anchor);
    EXPECT_EQ((CapturePoint{379, 189}), glass.current);
    EXPECT_EQ(kGrabBorderTransparent, glass.border);
}

}  // namespace
