#include "history/gui_history_item.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "base/shell_open.h"
#include "base/utf.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"

namespace {

// The overlay image, shared by every entry for the life of the process.
GUIImage* SharedOverlay(HWND parentWindow, HINSTANCE instance) {
    static std::once_flag once;
    static std::unique_ptr<GUIImage>* overlay = new std::unique_ptr<GUIImage>;
    std::call_once(once, [&] {
        *overlay = std::make_unique<GUIImage>(parentWindow, instance, 0, 0, kThumbBox, kThumbBox,
                                              SkinPath("HI_THUMB_OVERLAY"));
    });
    return overlay->get();
}

HBITMAP CreateThumbBitmap(void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kThumbBox;
    info.bmiHeader.biHeight = kThumbBox;  // bottom-up, like the prepared rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

void ShowControl(GUIObject* control, int command) {
    if (control) control->Show(command);
}

}  // namespace

GUIHistoryItem::GUIHistoryItem(HWND parentWindow, HINSTANCE instance,
                               ButtonClickFunction copyAction, ButtonClickFunction deleteAction)
    : GUIObject(instance, parentWindow) {
    width_ = 200;
    height_ = 69;
    HBITMAP bitmap = CreateThumbBitmap(&thumbBits_);
    thumbnail_ = std::make_unique<GUIImage>(parentWindow, instance, 0, 0, kThumbBox, kThumbBox,
                                            bitmap, kThumbBox, kThumbBox);
    SharedOverlay(parentWindow, instance);

    dateText_ = std::make_unique<GUIText>(parentWindow, instance, 75, 18, 125, 20, L"");
    dateText_->SetColour(0xA5A5A5);
    if (dateText_->SetFont({{L"Myriad Pro", 10, 400}})) {
        dateText_->SetSpacing(1);
    } else {
        dateText_->SetFont({{L"Calibri", 10, 400}, {L"Lucida Sans Unicode", 9, 400}});
    }

    copyButton_ = std::make_unique<GUIButton>(parentWindow, instance, 75, 44, 65, 20,
                                              SkinPath("HI_BTN_COPYURL"),
                                              SkinPath("HI_BTN_COPYURL_HOVER"));
    copyButton_->SetClickFunction(copyAction);
    deleteButton_ = std::make_unique<GUIButton>(parentWindow, instance, 140, 44, 20, 20,
                                                SkinPath("HI_BTN_DELETE"),
                                                SkinPath("HI_BTN_DELETE_HOVER"));
    deleteButton_->SetClickFunction(deleteAction);
    deleteButton_->SetUserData(this);

    title_ = std::make_unique<GUIButton>(parentWindow, instance, 75, 2, 0, 0, L"", 0xE0E0E0,
                                         0xFFFFFF);
    title_->SetLabelFont({{L"Myriad Pro", 12, 700},
                          {L"Calibri", 12, 700},
                          {L"Lucida Sans Unicode", 11, 700}});
    title_->SetClickFunction(OpenLink);
    title_->SetUserData(this);
}

GUIHistoryItem::~GUIHistoryItem() = default;

void GUIHistoryItem::Bind(HistoryRowPtr row, const PreparedThumbnail& thumbnail) {
    row_ = std::move(row);
    if (!row_) return;
    url_ = WidenLatin1(row_->url);
    fileName_ = Utf8ToWide(row_->fileName);
    copyButton_->SetUserData(const_cast<wchar_t*>(url_.c_str()));

    title_->SetLabelText(fileName_);
    if (title_->Size().cx > 125) title_->Resize(125, title_->Size().cy);
    dateText_->SetText(WidenLatin1(row_->date));

    // GDI may still be drawing from the bitmap: let it finish first.
    GdiFlush();
    auto* bits = static_cast<std::uint8_t*>(thumbBits_);
    const std::size_t bytes = static_cast<std::size_t>(kThumbBox) * kThumbBox * 4;
    if (bits) {
        if (thumbnail.bgra.size() == bytes) {
            std::copy(thumbnail.bgra.begin(), thumbnail.bgra.end(), bits);
        } else {
            std::fill(bits, bits + bytes, std::uint8_t(0));
        }
    }
    showOverlay_ = thumbnail.showOverlay;
    // No invalidation: the list binds views while it paints them.
}

void GUIHistoryItem::Show(int command) {
    visible_ = command != 0;
    ShowControl(copyButton_.get(), command);
    ShowControl(deleteButton_.get(), command);
    ShowControl(title_.get(), command);
}

void GUIHistoryItem::ApplyPageVisibility(bool hidden) {
    copyButton_->ApplyPageVisibility(hidden);
    deleteButton_->ApplyPageVisibility(hidden);
    title_->ApplyPageVisibility(hidden);
}

void GUIHistoryItem::Paint(HDC target, const RECT& dirty) {
    if (!row_) return;
    thumbnail_->Move(x_, y_);
    thumbnail_->Paint(target, dirty);
    GUIImage* overlay = SharedOverlay(parentWindow_, instance_);
    if (showOverlay_ && overlay) {
        overlay->Move(x_, y_);
        overlay->Paint(target, dirty);
    }
    title_->Move(x_ + 75, y_ + 2);
    title_->Paint(target, dirty);
    dateText_->Move(x_ + 75, y_ + 21);
    dateText_->Paint(target, dirty);
    copyButton_->Move(x_ + 75, y_ + 44);
    copyButton_->Paint(target, dirty);
    deleteButton_->Move(x_ + 140, y_ + 44);
    deleteButton_->Paint(target, dirty);
}

void GUIHistoryItem::OpenLink(void* item, WPARAM /*keys*/) {
    auto* entry = static_cast<GUIHistoryItem*>(item);
    if (!entry || entry->url_.empty()) return;
    OpenWebAddress(entry->url_);
}

std::wstring HistoryThumbPath(const std::string& dataFolder, const HistoryRow& row) {
    if (row.thumb.empty()) return std::wstring();
    return Utf8ToWide(dataFolder + "thumbs\\" + row.thumb);
}

std::wstring HistoryShortcutPath(const std::string& dataFolder, const HistoryRow& row) {
    if (row.shortcut.empty()) return std::wstring();
    return Utf8ToWide(dataFolder + "urls\\" + row.shortcut);
}
