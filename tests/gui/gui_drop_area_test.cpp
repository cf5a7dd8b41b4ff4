#include "gui/gui_drop_area.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "base/window_task.h"
#include "gui/gui_image.h"
#include "gui/progress_bar.h"
#include "gui/skinnable_window.h"
#include "gui_test_support.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u;    // normal
constexpr std::uint32_t kGreen = 0xFF00FF00u;  // uploading
constexpr std::uint32_t kBlue = 0xFF0000FFu;   // error

// The area: x 10, y 10, 40 x 20.
constexpr int kX = 10, kY = 10, kWidth = 40, kHeight = 20;

// What the owner's functions were told, in order.
struct Calls {
    std::vector<std::pair<std::wstring, std::string>> files;  // path, first bytes of the stream
    std::vector<std::wstring> folders;
    std::vector<std::pair<int, int>> fadeStarts;
    std::vector<std::pair<int, int>> fadeEnds;
    std::vector<FILE*> keptStreams;
    // How the start hook rewrites (from, to); -1 keeps the value.
    int rewriteFrom = -1, rewriteTo = -1;
    // The fade end asks for this state again (like jobs still waiting).
    int restartAfterEnd = -1;
    GUIDropArea* area = nullptr;
};
Calls* calls = nullptr;

void OnFile(const wchar_t* path, FILE* stream) {
    std::string head;
    if (stream) {
        char buffer[16] = {};
        head.assign(buffer, fread(buffer, 1, sizeof buffer, stream));
        calls->keptStreams.push_back(stream);
    } else {
        head = "<none>";
    }
    calls->files.emplace_back(path, head);
}
void OnFolder(const wchar_t* path) { calls->folders.emplace_back(path); }
void OnFadeStart(int* from, int* to) {
    calls->fadeStarts.emplace_back(*from, *to);
    if (calls->rewriteFrom != -1) *from = calls->rewriteFrom;
    if (calls->rewriteTo != -1) *to = calls->rewriteTo;
}
void OnFadeEnd(int from, int to) {
    calls->fadeEnds.emplace_back(from, to);
    if (calls->restartAfterEnd != -1) calls->area->SetState(calls->restartAfterEnd);
}

// A drop handle as the shell builds it: DROPFILES, then the wide paths, each
// ended by a null, and one more null.
HGLOBAL MakeDrop(const std::vector<std::wstring>& paths) {
    size_t characters = 1;
    for (const auto& path : paths) characters += path.size() + 1;
    HGLOBAL handle = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(handle));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const auto& path : paths) {
        std::memcpy(out, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        out += path.size() + 1;
    }
    *out = L'\0';
    GlobalUnlock(handle);
    return handle;
}

class GUIDropAreaTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls = &calls_;
        window_ = std::make_unique<SkinnableWindow>(TestInstance(), 260, 120, 1, L"dropping",
                                                    WS_POPUP, 0);
        window_->Show(SW_SHOWNOACTIVATE);
        normal_ = Png("normal.png", kWidth, kHeight, kRed);
        uploading_ = Png("uploading.png", kWidth, kHeight, kGreen);
        error_ = Png("error.png", kWidth, kHeight, kBlue);
        area_ = window_->AddPainter(std::make_unique<GUIDropArea>(Main(), TestInstance(), kX, kY, kWidth,
                                                                  kHeight, normal_.c_str(),
                                                                  uploading_.c_str(), error_.c_str()));
        calls_.area = area_;
    }
    void TearDown() override {
        for (FILE* stream : calls_.keptStreams) fclose(stream);
        PumpMessages();
        calls = nullptr;
    }

    std::wstring Png(const char* name, int width, int height, std::uint32_t argb) {
        const std::string path = temp_.File(name);
        EXPECT_TRUE(WritePng(path, width, height,
                             SolidRgba(width, height, argb >> 16, argb >> 8, argb, argb >> 24)));
        return Utf8ToWide(path);
    }
    HWND Main() const { return window_->MainWindow(); }
    void Tick(UINT_PTR timer, int times = 1) {
        for (int i = 0; i < times; ++i) SendMessageW(area_->Window(), WM_TIMER, timer, 0);
    }
    std::uint32_t PaintedPixel() {
        window_->Relayout(nullptr);
        window_->PaintNow();
        return window_->BackBufferPixel(kX + 5, kY + 5);
    }
    void Hooks() {
        area_->SetFadeStartHook(OnFadeStart);
        area_->SetFadeEndFunction(OnFadeEnd);
        area_->SetFileFunction(OnFile);
        area_->SetFolderFunction(OnFolder);
    }
    // Whether the timer was running; stops it, so the test drives it by hand.
    bool StopTimer(UINT_PTR timer) { return KillTimer(area_->Window(), timer) != 0; }
    std::wstring Dropped(const std::string& name) { return Utf8ToWide(temp_.File(name)); }

    // Widgets made by a test and painted (and kept) by the window.
    template <class Widget, class... Arguments>
    Widget* Painted(Arguments&&... arguments) {
        return window_->AddPainter(std::make_unique<Widget>(std::forward<Arguments>(arguments)...));
    }

    TempDir temp_;
    Calls calls_;
    std::wstring normal_, uploading_, error_;
    std::unique_ptr<SkinnableWindow> window_;
    GUIDropArea* area_ = nullptr;  // the window's
};

TEST_F(GUIDropAreaTest, StartsNormalAndIgnoresRequestsThatChangeNothing) {
    EXPECT_EQ(kDropNormal, area_->State());
    EXPECT_EQ(kRed, PaintedPixel());
    EXPECT_EQ(0u, window_->BackBufferPixel(kX + kWidth, kY + 5));
    area_->SetState(kDropNormal);
    area_->SetState(7);
    area_->SetState(-1);
    EXPECT_FALSE(area_->IsFading());
    EXPECT_FALSE(StopTimer(GUIDropArea::kFadeTimer));
    EXPECT_EQ(HTTRANSPARENT, SendMessageW(area_->Window(), WM_NCHITTEST, 0, 0));
    EXPECT_EQ(1, SendMessageW(area_->Window(), WM_ERASEBKGND, 0, 0));
}

TEST_F(GUIDropAreaTest, CrossFadeTakesSeventeenTicksAndReportsBothEnds) {
    Hooks();
    area_->SetState(kDropUploading);
    EXPECT_TRUE(StopTimer(GUIDropArea::kFadeTimer));
    EXPECT_FALSE(StopTimer(GUIDropArea::kErrorTimer));
    EXPECT_TRUE(area_->IsFading());
    EXPECT_EQ(kDropUploading, area_->NextState());
    EXPECT_EQ(kRed, PaintedPixel());  // alpha 0 so far

    Tick(GUIDropArea::kFadeTimer, 8);
    EXPECT_EQ(120, area_->FadeAlpha());
    ASSERT_EQ(1u, calls_.fadeStarts.size());  // asked once, at the start
    EXPECT_EQ(std::make_pair(0, 1), calls_.fadeStarts[0]);
    const std::uint32_t blended = PaintedPixel();
    EXPECT_EQ(0xFFu, blended >> 24);
    EXPECT_NEAR(135, static_cast<int>((blended >> 16) & 0xFF), 2);
    EXPECT_NEAR(120, static_cast<int>((blended >> 8) & 0xFF), 2);

    Tick(GUIDropArea::kFadeTimer, 8);
    EXPECT_EQ(240, area_->FadeAlpha());
    EXPECT_TRUE(calls_.fadeEnds.empty());
    EXPECT_EQ(kDropNormal, area_->State());
    Tick(GUIDropArea::kFadeTimer);
    ASSERT_EQ(1u, calls_.fadeEnds.size());
    EXPECT_EQ(std::make_pair(0, 1), calls_.fadeEnds[0]);
    EXPECT_EQ(kDropUploading, area_->State());
    EXPECT_FALSE(area_->IsFading());
    EXPECT_EQ(0, area_->FadeAlpha());
    EXPECT_EQ(kGreen, PaintedPixel());
    EXPECT_EQ(1u, calls_.fadeStarts.size());
}

TEST_F(GUIDropAreaTest, TheStartHookDecidesWhereTheFadeRuns) {
    Hooks();
    // Asked for uploading, the owner says normal: the fade ends on normal.
    calls_.rewriteTo = kDropNormal;
    area_->SetState(kDropUploading);
    StopTimer(GUIDropArea::kFadeTimer);
    Tick(GUIDropArea::kFadeTimer, 17);
    ASSERT_EQ(1u, calls_.fadeEnds.size());
    EXPECT_EQ(std::make_pair(0, 0), calls_.fadeEnds[0]);
    EXPECT_EQ(kDropNormal, area_->State());
    EXPECT_EQ(kRed, PaintedPixel());

    // The hook may also move the starting picture; unknown values keep it.
    calls_.rewriteFrom = kDropUploading;
    calls_.rewriteTo = 9;
    area_->SetState(kDropError);
    StopTimer(GUIDropArea::kFadeTimer);
    StopTimer(GUIDropArea::kErrorTimer);
    Tick(GUIDropArea::kFadeTimer, 1);
    EXPECT_EQ(kDropUploading, area_->State());
    EXPECT_EQ(kDropError, area_->NextState());
    Tick(GUIDropArea::kFadeTimer, 16);
    ASSERT_EQ(2u, calls_.fadeEnds.size());
    EXPECT_EQ(std::make_pair(1, 2), calls_.fadeEnds[1]);
    EXPECT_EQ(kBlue, PaintedPixel());
}

TEST_F(GUIDropAreaTest, ErrorFallsBackToNormalAfterItsDisplayTime) {
    Hooks();
    area_->SetState(kDropError);
    EXPECT_TRUE(StopTimer(GUIDropArea::kFadeTimer));
    EXPECT_TRUE(StopTimer(GUIDropArea::kErrorTimer));
    Tick(GUIDropArea::kFadeTimer, 17);
    EXPECT_EQ(kDropError, area_->State());
    EXPECT_EQ(kBlue, PaintedPixel());

    Tick(GUIDropArea::kErrorTimer);
    EXPECT_TRUE(area_->IsFading());
    EXPECT_EQ(kDropNormal, area_->NextState());
    EXPECT_TRUE(StopTimer(GUIDropArea::kFadeTimer));
    EXPECT_FALSE(StopTimer(GUIDropArea::kErrorTimer));  // it fires once
    Tick(GUIDropArea::kFadeTimer, 17);
    EXPECT_EQ(kDropNormal, area_->State());
    ASSERT_EQ(2u, calls_.fadeStarts.size());
    EXPECT_EQ(std::make_pair(2, 0), calls_.fadeStarts[1]);
    EXPECT_EQ(std::make_pair(2, 0), calls_.fadeEnds[1]);
}

TEST_F(GUIDropAreaTest, TheFadeEndCanStartTheNextFade) {
    Hooks();
    area_->SetState(kDropUploading);
    Tick(GUIDropArea::kFadeTimer, 17);
    ASSERT_EQ(kDropUploading, area_->State());

    // Back to normal while jobs still wait: the owner asks for uploading again
    // as soon as normal is reached.
    calls_.restartAfterEnd = kDropUploading;
    area_->SetState(kDropNormal);
    Tick(GUIDropArea::kFadeTimer, 17);
    EXPECT_EQ(std::make_pair(1, 0), calls_.fadeEnds.back());
    EXPECT_EQ(kDropNormal, area_->State());
    EXPECT_TRUE(area_->IsFading());
    EXPECT_EQ(kDropUploading, area_->NextState());
    EXPECT_TRUE(StopTimer(GUIDropArea::kFadeTimer));
}

TEST_F(GUIDropAreaTest, AskingForTheShownStateCancelsAFade) {
    Hooks();
    area_->SetState(kDropUploading);
    Tick(GUIDropArea::kFadeTimer, 3);
    area_->SetState(kDropNormal);
    EXPECT_FALSE(area_->IsFading());
    EXPECT_EQ(0, area_->FadeAlpha());
    EXPECT_FALSE(StopTimer(GUIDropArea::kFadeTimer));
    EXPECT_EQ(kRed, PaintedPixel());
    // The next fade starts over and asks the hook again.
    area_->SetState(kDropUploading);
    Tick(GUIDropArea::kFadeTimer, 1);
    EXPECT_EQ(15, area_->FadeAlpha());
    EXPECT_EQ(2u, calls_.fadeStarts.size());
}

TEST_F(GUIDropAreaTest, StateRequestsFromAnotherThreadArriveThroughTheWindowsThread) {
    GUIDropArea* area = area_;
    std::thread([&] {
        EXPECT_TRUE(PostToWindowThread(Main(), [area] { area->SetState(kDropError); }));
    }).join();
    EXPECT_FALSE(area_->IsFading());
    PumpMessages();
    EXPECT_TRUE(area_->IsFading());
    EXPECT_EQ(kDropError, area_->NextState());
    EXPECT_TRUE(StopTimer(GUIDropArea::kFadeTimer));
    EXPECT_TRUE(StopTimer(GUIDropArea::kErrorTimer));
}

TEST_F(GUIDropAreaTest, TheFadeRunsOnItsOwnTimer) {
    area_->SetState(kDropUploading);
    const DWORD start = GetTickCount();
    while (area_->IsFading() && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_EQ(kDropUploading, area_->State());
    EXPECT_GE(GetTickCount() - start, 300u);  // 17 ticks of 25 ms
}

TEST_F(GUIDropAreaTest, DroppedFilesAndFoldersReachTheirFunctions) {
    Hooks();
    ASSERT_TRUE(WriteBytes(temp_.File("one.txt"), "first file"));
    ASSERT_TRUE(WriteBytes(temp_.File("two.bin"), std::string("\x00\x01second", 8)));
    ASSERT_TRUE(CreateDirectoryW(Dropped("folder").c_str(), nullptr));
    HGLOBAL drop = MakeDrop({Dropped("one.txt"), Dropped("gone.txt"), Dropped("folder"),
                             Dropped("two.bin")});
    EXPECT_EQ(0, SendMessageW(area_->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
    EXPECT_EQ(0u, GlobalSize(drop));  // DragFinish freed the handle

    ASSERT_EQ(2u, calls_.files.size());
    EXPECT_EQ(Dropped("one.txt"), calls_.files[0].first);
    EXPECT_EQ("first file", calls_.files[0].second);
    EXPECT_EQ(Dropped("two.bin"), calls_.files[1].first);
    EXPECT_EQ(std::string("\x00\x01second", 8), calls_.files[1].second);
    ASSERT_EQ(1u, calls_.folders.size());
    EXPECT_EQ(Dropped("folder"), calls_.folders[0]);

    // The stream handed over keeps the file open until its taker closes it.
    EXPECT_FALSE(DeleteFileW(Dropped("one.txt").c_str()));
    ASSERT_EQ(2u, calls_.keptStreams.size());
    fclose(calls_.keptStreams[0]);
    calls_.keptStreams.erase(calls_.keptStreams.begin());
    EXPECT_TRUE(DeleteFileW(Dropped("one.txt").c_str()));

    // Something was accepted while normal: the fade to uploading starts.
    EXPECT_TRUE(area_->IsFading());
    EXPECT_EQ(kDropUploading, area_->NextState());
    EXPECT_TRUE(StopTimer(GUIDropArea::kFadeTimer));
}

TEST_F(GUIDropAreaTest, DropsThatBringNothingOrArriveMidUploadStartNoFade) {
    Hooks();
    HGLOBAL missing = MakeDrop({Dropped("nowhere.txt")});
    SendMessageW(area_->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(missing), 0);
    EXPECT_EQ(0u, GlobalSize(missing));
    EXPECT_TRUE(calls_.files.empty());
    EXPECT_TRUE(calls_.folders.empty());
    EXPECT_FALSE(area_->IsFading());
    EXPECT_FALSE(StopTimer(GUIDropArea::kFadeTimer));

    area_->SetState(kDropUploading);
    Tick(GUIDropArea::kFadeTimer, 17);
    ASSERT_TRUE(WriteBytes(temp_.File("later.txt"), "later"));
    HGLOBAL later = MakeDrop({Dropped("later.txt")});
    SendMessageW(area_->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(later), 0);
    EXPECT_EQ(1u, calls_.files.size());
    EXPECT_FALSE(area_->IsFading());

    // Nobody to take the stream: it is closed, so the file is free again.
    area_->SetFileFunction(nullptr);
    ASSERT_TRUE(WriteBytes(temp_.File("alone.txt"), "alone"));
    HGLOBAL alone = MakeDrop({Dropped("alone.txt")});
    SendMessageW(area_->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(alone), 0);
    EXPECT_TRUE(DeleteFileW(Dropped("alone.txt").c_str()));
}

TEST_F(GUIDropAreaTest, DrawsNothingWhenHiddenOrWithoutAPicture) {
    area_->Show(SW_HIDE);
    EXPECT_EQ(0u, PaintedPixel());
    area_->Show(SW_SHOW);
    EXPECT_EQ(kRed, PaintedPixel());

    // Without an error picture the error state is the normal one.
    auto* plain = Painted<GUIDropArea>(Main(), TestInstance(), kX, 50, kWidth, kHeight,
                                       normal_.c_str(), uploading_.c_str(), nullptr);
    plain->SetState(kDropError);
    EXPECT_FALSE(plain->IsFading());
    // A picture that does not load leaves the area blank.
    const std::wstring absent = Dropped("absent.png");
    Painted<GUIDropArea>(Main(), TestInstance(), 60, 50, kWidth, kHeight, normal_.c_str(),
                         absent.c_str(), error_.c_str());
    window_->Relayout(nullptr);
    window_->PaintNow();
    EXPECT_EQ(kRed, window_->BackBufferPixel(kX + 5, 55));
    EXPECT_EQ(0u, window_->BackBufferPixel(65, 55));
}

// The progress bar: left cap (105, 73) 5 x 10, a centre that repeats a
// 1-pixel picture, right cap 5 x 10 after it.
class ProgressBarTest : public GUIDropAreaTest {};

TEST_F(ProgressBarTest, CentreGrowsWithThePercentAndTheRightCapFollows) {
    EXPECT_EQ(0, ProgressCentreWidth(-1));  // no transfer yet: empty
    EXPECT_EQ(119, ProgressCentreWidth(130));

    const std::wstring leftPath = Png("left.png", 5, 10, kRed);
    const std::wstring centrePath = Png("centre.png", 1, 10, kGreen);
    const std::wstring rightPath = Png("right.png", 5, 10, kBlue);
    Painted<GUIImage>(Main(), TestInstance(), 105, 73, 5, 10, leftPath.c_str());
    GUIImage& centre = *Painted<GUIImage>(Main(), TestInstance(), 110, 73, 1, 10, centrePath.c_str());
    GUIImage& right = *Painted<GUIImage>(Main(), TestInstance(), 111, 73, 5, 10, rightPath.c_str());
    auto pixel = [&](int x) { return window_->BackBufferPixel(x, 78); };

    SetProgressBar(&centre, &right, 50);
    EXPECT_EQ(59, centre.Size().cx);
    EXPECT_EQ(10, centre.Size().cy);
    EXPECT_EQ(169, right.Position().x);
    EXPECT_EQ(73, right.Position().y);
    window_->Relayout(nullptr);
    window_->PaintNow();
    EXPECT_EQ(kRed, pixel(109));
    EXPECT_EQ(kGreen, pixel(110));
    EXPECT_EQ(kGreen, pixel(168));
    EXPECT_EQ(kBlue, pixel(169));
    EXPECT_EQ(kBlue, pixel(173));
    EXPECT_EQ(0u, pixel(174));

    SetProgressBar(&centre, &right, 0);
    window_->Relayout(nullptr);
    window_->PaintNow();
    EXPECT_EQ(kRed, pixel(109));
    EXPECT_EQ(kBlue, pixel(110));
    EXPECT_EQ(0u, pixel(115));

    SetProgressBar(&centre, &right, 100);
    EXPECT_EQ(119, centre.Size().cx);
    EXPECT_EQ(229, right.Position().x);
}

}  // namespace
