#include "app/clipboard_upload.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "app/app_state.h"
#include "app/capture_commands.h"
#include "app/instance_handoff.h"
#include "app/main_commands.h"
#include "base/clock.h"
#include "base/file_io.h"
#include "base/product.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "capture/capture_names.h"
#include "capture/capture_save.h"
#include "capture/raw_image.h"
#include "gui/gui_drop_area.h"
#include "gui/image_library.h"
#include "gui/skinnable_window.h"

namespace {

// More paths than anyone copies at once, and the longest path Windows has.
constexpr UINT kMostPaths = 10000;
constexpr std::size_t kLongestPath = 32767;
// Another program may hold the clipboard for a moment.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenPause = 20;  // ms

constexpr wchar_t kNothingThere[] = L"The clipboard holds no image, file or folder to upload";

// The clipboard, open for as long as this lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(kOpenPause);
        }
    }
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// A clipboard memory block, locked while this lives.
class LockedData {
public:
    explicit LockedData(HANDLE data) : data_(data) {
        if (data_) bytes_ = static_cast<const std::uint8_t*>(GlobalLock(data_));
        if (bytes_) size_ = GlobalSize(data_);
    }
    ~LockedData() {
        if (bytes_) GlobalUnlock(data_);
    }
    LockedData(const LockedData&) = delete;
    LockedData& operator=(const LockedData&) = delete;
    const std::uint8_t* bytes() const { return bytes_; }
    std::size_t size() const { return size_; }

private:
    HANDLE data_;
    const std::uint8_t* bytes_ = nullptr;
    std::size_t size_ = 0;
};

bool CopyDroppedPaths(std::vector<std::wstring>& paths) {
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop) return false;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count && index < kMostPaths; ++index) {
        const UINT length = DragQueryFileW(drop, index, nullptr, 0);
        if (length == 0 || length > kLongestPath) continue;
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, index, &path[0], length + 1));
        if (!path.empty()) paths.push_back(path);
    }
    return !paths.empty();
}

UINT PngFormat() {
    static const UINT format = RegisterClipboardFormatW(L"PNG");
    return format;
}

// The first picture the clipboard offers that can be read. A refused one
// is remembered, in case nothing else is there.
bool CopyPicture(ClipboardContent& content) {
    if (PngFormat() && IsClipboardFormatAvailable(PngFormat())) {
        LockedData data(GetClipboardData(PngFormat()));
        PngExtent extent;
        const ClipboardImageResult checked = CheckPng(data.bytes(), data.size(), extent);
        if (checked == ClipboardImageResult::kImage) {
            content.png.assign(data.bytes(), data.bytes() + extent.length);
            content.kind = ClipboardContent::kPng;
            return true;
        }
        content.problem = checked;
    }
    for (UINT format : {UINT(CF_DIBV5), UINT(CF_DIB)}) {
        if (!IsClipboardFormatAvailable(format)) continue;
        LockedData data(GetClipboardData(format));
        const ClipboardImageResult read = ReadDib(data.bytes(), data.size(), content.bitmap);
        if (read == ClipboardImageResult::kImage) {
            content.kind = ClipboardContent::kBitmap;
            return true;
        }
        content.problem = read;
    }
    return false;
}

bool CopyTextPath(std::vector<std::wstring>& paths) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
    LockedData data(GetClipboardData(CF_UNICODETEXT));
    if (!data.bytes()) return false;
    // Up to the terminating zero, never past the block.
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data.bytes());
    const std::size_t most = std::min(data.size() / sizeof(wchar_t), kLongestPath + 8);
    std::size_t length = 0;
    while (length < most && text[length]) ++length;
    if (length == most) return false;
    std::wstring path;
    if (!ClipboardTextPath(std::wstring(text, length), path)) return false;
    paths.push_back(path);
    return true;
}

// Hands paths to the drop area exactly as a drop of them would.
void DropPaths(const std::vector<std::wstring>& paths) {
    if (!App().dropArea) return;
    if (HGLOBAL block = BuildDropBlock(paths)) {
        // The drop area frees the block (DragFinish).
        SendMessageW(App().dropArea->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    }
}

// Writes the picture to a new file of its own and queues it under the name
// of the moment it was read.
void QueuePicture(const ClipboardContent& content, const std::wstring& name) {
    const std::wstring path = ReserveCaptureFile(Utf8ToWide(App().dataFolder), CaptureFormat::kPng);
    bool saved = false;
    if (!path.empty() && content.kind == ClipboardContent::kPng) {
        saved = WriteFileAtomically(WideToUtf8(path),
                                    std::string(content.png.begin(), content.png.end()));
    } else if (!path.empty()) {
        const DibPicture& bitmap = content.bitmap;
        const std::vector<std::uint8_t> raw = BuildRawImage(bitmap.bgra.data(), bitmap.width, bitmap.height);
        LockImageLibrary();
        saved = SaveCaptureImage(raw, bitmap.hasAlpha, path);
        UnlockImageLibrary();
    }
    if (!saved) {
        if (!path.empty()) DeleteFileW(path.c_str());
        ShowCaptureFailure(name.c_str());
        return;
    }
    EnqueueCapturedFile(path.c_str(), name.c_str());
}

HWND Owner() { return App().mainWindow ? App().mainWindow->MainWindow() : nullptr; }

void Say(const wchar_t* text, UINT icon) { AskUser(Owner(), text, kProductName, icon); }

}  // namespace

bool ClipboardTextPath(const std::wstring& text, std::wstring& path) {
    const std::size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return false;
    std::wstring candidate = text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
    if (candidate.size() >= 2 && candidate.front() == L'"' && candidate.back() == L'"') {
        candidate = candidate.substr(1, candidate.size() - 2);
    }
    if (candidate.empty() || candidate.size() > kLongestPath) return false;
    if (candidate.find_first_of(L"\r\n\"*?<>|") != std::wstring::npos) return false;
    // A drive's root ("C:\...") or a network share ("\\server\share..."):
    // never a path relative to wherever this program happens to stand.
    const bool drive = candidate.size() >= 3 && iswalpha(candidate[0]) && candidate[1] == L':' &&
                       (candidate[2] == L'\\' || candidate[2] == L'/');
    const bool share = candidate.size() >= 3 && candidate[0] == L'\\' && candidate[1] == L'\\';
    if (!drive && !share) return false;
    if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    path = candidate;
    return true;
}

ClipboardContent ReadClipboard(HWND owner) {
    ClipboardContent content;
    OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen()) {
        content.kind = ClipboardContent::kBusy;
        return content;
    }
    // Everything is copied out before the clipboard closes, here.
    if (CopyDroppedPaths(content.paths)) {
        content.kind = ClipboardContent::kPaths;
    } else if (CopyPicture(content)) {
        // kind set with the picture
    } else if (CopyTextPath(content.paths)) {
        content.kind = ClipboardContent::kPaths;
    } else if (content.problem != ClipboardImageResult::kImage) {
        content.kind = ClipboardContent::kBadPicture;
    }
    return content;
}

void UploadFromClipboard() {
    // Named by the moment it was read, not by when the file is done.
    const SYSTEMTIME now = LocalTimeNow();
    const ClipboardContent content = ReadClipboard(Owner());
    switch (content.kind) {
    case ClipboardContent::kPaths:
        DropPaths(content.paths);
        return;
    case ClipboardContent::kPng:
    case ClipboardContent::kBitmap:
        QueuePicture(content, ClipboardPictureName(CaptureClock{now.wYear, now.wMonth, now.wDay, now.wHour,
                                                                now.wMinute, now.wSecond}));
        return;
    case ClipboardContent::kBusy:
        Say(L"Another program is using the clipboard. Please try again.", MB_ICONWARNING);
        return;
    case ClipboardContent::kBadPicture:
        Say(content.problem == ClipboardImageResult::kTooLarge
                ? L"The picture on the clipboard is too large to upload (more than 16384 pixels on a side)."
                : L"The picture on the clipboard cannot be read.",
            MB_ICONWARNING);
        return;
    case ClipboardContent::kNothing:
        Say(kNothingThere, MB_ICONINFORMATION);
        return;
    }
}
