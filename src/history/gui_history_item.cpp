#include "history/gui_history_item.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <shellapi.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "base/scoped_win.h"
#include "base/shell_open.h"
#include "base/utf.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "history/thumbnail_check.h"
#include "history/thumbnail_fit.h"

namespace {

// Thumbnails are small; anything bigger is not one.
constexpr DWORD kMaxThumbnailBytes = 8u << 20;

// The mask's pixels and the overlay image, made by the first item and shared
// by all of them for the life of the process.
std::once_flag sharedOnce;
std::vector<std::uint8_t> thumbMask;
std::unique_ptr<GUIImage> thumbOverlay;

struct Pixels {
    std::vector<std::uint8_t> bgra;  // rows bottom-up, as the library keeps them
    int width = 0;
    int height = 0;
};

// Decodes into `out` with `load` (which fills the bound image). Call with the
// image library locked.
template <typename Load>
bool LoadBgraWith(Load load, Pixels& out) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool loaded = load() && ilConvertImage(IL_BGRA, IL_UNSIGNED_BYTE);
    if (loaded) {
        out.width = ilGetInteger(IL_IMAGE_WIDTH);
        out.height = ilGetInteger(IL_IMAGE_HEIGHT);
        loaded = out.width > 0 && out.height > 0;
    }
    if (loaded) {
        out.bgra.assign(static_cast<std::size_t>(out.width) * out.height * 4, 0);
        ilCopyPixels(0, 0, 0, out.width, out.height, 1, IL_BGRA, IL_UNSIGNED_BYTE,
                     out.bgra.data());
    }
    ilDeleteImages(1, &image);
    return loaded;
}

bool LoadLocked(const wchar_t* path, Pixels& out) {
    LockImageLibrary();
    const bool loaded = LoadBgraWith([path] { return path && *path && ilLoadImage(path); }, out);
    UnlockImageLibrary();
    return loaded;
}

// Decodes file bytes as the format their structure shows.
bool LoadBytesLocked(const std::string& bytes, ThumbnailFormat format, Pixels& out) {
    ILenum type = IL_TYPE_UNKNOWN;
    if (format == ThumbnailFormat::Png) type = IL_PNG;
    if (format == ThumbnailFormat::Jpeg) type = IL_JPG;
    if (format == ThumbnailFormat::Gif) type = IL_GIF;
    if (type == IL_TYPE_UNKNOWN) return false;
    LockImageLibrary();
    const bool loaded = LoadBgraWith(
        [&] { return ilLoadL(type, bytes.data(), static_cast<ILuint>(bytes.size())); }, out);
    UnlockImageLibrary();
    return loaded;
}

// Reads a small file whole; false when it is missing, empty or too big.
bool ReadSmallFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart <= kMaxThumbnailBytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size();
    }
    return ok;
}

// The thumbnail file, or the skin's default one when the file is missing or
// does not look like a whole image (the library may hang on damaged files).
Pixels LoadThumbnail(const std::wstring& path) {
    Pixels pixels;
    std::string bytes;
    if (ReadSmallFile(path, bytes) &&
        LoadBytesLocked(bytes, CompleteImageFormat(bytes), pixels)) {
        return pixels;
    }
    pixels = Pixels{};
    LoadLocked(SkinPath("HI_DEFAULT_THUMB"), pixels);
    return pixels;
}

HBITMAP CreateThumbBitmap(const std::vector<std::uint8_t>& bgra) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kThumbBox;
    info.bmiHeader.biHeight = kThumbBox;  // bottom-up, like the library's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::copy(bgra.begin(), bgra.end(), static_cast<std::uint8_t*>(bits));
    return bitmap;
}

void LoadSharedArt(HWND parentWindow, HINSTANCE instance) {
    Pixels mask;
    if (LoadLocked(SkinPath("HI_THUMB_MASK"), mask)) {
        thumbMask = FitThumbnailPixels(mask.bgra.data(), mask.width, mask.height,
                                       FitThumbnail(mask.width, mask.height));
    }
    thumbOverlay = std::make_unique<GUIImage>(parentWindow, instance, 0, 0, kThumbBox, kThumbBox,
                                              SkinPath("HI_THUMB_OVERLAY"));
}

void ShowControl(GUIObject* control, int command) {
    if (control) control->Show(command);
}

}  // namespace

GUIHistoryItem::GUIHistoryItem(HWND parentWindow, HINSTANCE instance)
    : GUIObject(instance, parentWindow) {}

GUIHistoryItem* GUIHistoryItem::CreateItem(HWND parentWindow, HINSTANCE instance,
                                           const std::string& dataFolder, const std::string& url,
                                           const std::wstring& fileName, const std::string& /*size*/,
                                           const std::string& date, const std::string& thumb, long long rowId,
                                           const wchar_t* shortcutFile) {
    auto* item = new GUIHistoryItem(parentWindow, instance);
    item->thumbPath_ = Utf8ToWide(dataFolder + "thumbs\\" + thumb);
    item->url_ = WidenLatin1(url);
    item->fileName_ = fileName;
    item->rowId_ = rowId;
    // An empty name means no shortcut, as null does.
    if (shortcutFile && *shortcutFile) {
        item->shortcutPath_ = Utf8ToWide(dataFolder) + L"urls\\" + shortcutFile;
    }
    InitImageLibrary();
    item->PrepareThumbnail();
    item->CreateDateText(date);
    return item;
}

void GUIHistoryItem::PrepareThumbnail() {
    const Pixels image = LoadThumbnail(thumbPath_);
    const ThumbnailFit fit = FitThumbnail(image.width, image.height);
    std::vector<std::uint8_t> box =
        FitThumbnailPixels(image.bgra.data(), image.width, image.height, fit);
    showOverlay_ = fit.showOverlay;
    thumbWidth_ = kThumbBox;
    thumbHeight_ = kThumbBox;

    std::call_once(sharedOnce, LoadSharedArt, parentWindow_, instance_);
    MaskAndPremultiply(box, thumbMask, showOverlay_);

    HBITMAP bitmap = CreateThumbBitmap(box);
    thumbnail_ = std::make_unique<GUIImage>(parentWindow_, instance_, (kThumbBox - thumbWidth_) / 2,
                                            (kThumbBox - thumbHeight_) / 2, thumbWidth_, thumbHeight_, bitmap,
                                            thumbWidth_, thumbHeight_);
}

void GUIHistoryItem::CreateDateText(const std::string& date) {
    dateText_ = std::make_unique<GUIText>(parentWindow_, instance_, 75, 18, 125, 20, WidenLatin1(date));
    dateText_->SetColour(0xA5A5A5);
    if (dateText_->SetFont({{L"Myriad Pro", 10, 400}})) {
        dateText_->SetSpacing(1);
    } else {
        dateText_->SetFont({{L"Calibri", 10, 400}, {L"Lucida Sans Unicode", 9, 400}});
    }
}

GUIHistoryItem::~GUIHistoryItem() = default;

void GUIHistoryItem::CreateControls(ButtonClickFunction copyAction,
                                    ButtonClickFunction deleteAction) {
    copyButton_ = std::make_unique<GUIButton>(parentWindow_, instance_, 75, 44, 65, 20,
                                              SkinPath("HI_BTN_COPYURL"), SkinPath("HI_BTN_COPYURL_HOVER"));
    copyButton_->SetClickFunction(copyAction);
    copyButton_->SetUserData(const_cast<wchar_t*>(url_.c_str()));

    deleteButton_ = std::make_unique<GUIButton>(parentWindow_, instance_, 140, 44, 20, 20,
                                                SkinPath("HI_BTN_DELETE"), SkinPath("HI_BTN_DELETE_HOVER"));
    deleteButton_->SetClickFunction(deleteAction);
    deleteButton_->SetUserData(this);

    title_ =
        std::make_unique<GUIButton>(parentWindow_, instance_, 75, 2, 0, 0, fileName_, 0xE0E0E0, 0xFFFFFF);
    title_->SetLabelFont({{L"Myriad Pro", 12, 700},
                          {L"Calibri", 12, 700},
                          {L"Lucida Sans Unicode", 11, 700}});
    if (title_->Size().cx > 125) title_->Resize(125, title_->Size().cy);
    title_->SetClickFunction(OpenLink);
    title_->SetUserData(this);

    const int command = visible_ ? SW_SHOW : SW_HIDE;
    ShowControl(copyButton_.get(), command);
    ShowControl(deleteButton_.get(), command);
    ShowControl(title_.get(), command);
}

void GUIHistoryItem::Show(int command) {
    visible_ = command != 0;
    ShowControl(copyButton_.get(), command);
    ShowControl(deleteButton_.get(), command);
    ShowControl(title_.get(), command);
}

void GUIHistoryItem::ApplyPageVisibility(bool hidden) {
    if (copyButton_) copyButton_->ApplyPageVisibility(hidden);
    if (deleteButton_) deleteButton_->ApplyPageVisibility(hidden);
    if (title_) title_->ApplyPageVisibility(hidden);
}

void GUIHistoryItem::Paint(HDC target, const RECT& dirty) {
    const int thumbX = x_ + (kThumbBox - thumbWidth_) / 2;
    const int thumbY = y_ + (kThumbBox - thumbHeight_) / 2;
    if (thumbnail_) {
        thumbnail_->Move(thumbX, thumbY);
        thumbnail_->Paint(target, dirty);
    }
    if (showOverlay_ && thumbOverlay) {
        thumbOverlay->Move(thumbX, thumbY);
        thumbOverlay->Paint(target, dirty);
    }
    if (title_) {
        title_->Move(x_ + 75, y_ + 2);
        title_->Paint(target, dirty);
    }
    dateText_->Move(x_ + 75, y_ + 21);
    dateText_->Paint(target, dirty);
    if (copyButton_) {
        copyButton_->Move(x_ + 75, y_ + 44);
        copyButton_->Paint(target, dirty);
    }
    if (deleteButton_) {
        deleteButton_->Move(x_ + 140, y_ + 44);
        deleteButton_->Paint(target, dirty);
    }
}

void GUIHistoryItem::Destroy(GUIObject* item) { delete item; }

void GUIHistoryItem::OpenLink(void* item, WPARAM /*keys*/) {
    auto* entry = static_cast<GUIHistoryItem*>(item);
    if (!entry) return;
    OpenWebAddress(entry->url_);
}
