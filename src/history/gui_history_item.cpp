#include "history/gui_history_item.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "base/shell_open.h"
#include "base/utf.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"

namespace {

// The overlay image at a DPI, shared by every entry drawn at it for the life
// of the process (entries are made on the main window's thread only).
GUIImage* SharedOverlay(HWND parentWindow, HINSTANCE instance, int dpi) {
    static auto* overlays = new std::map<int, std::unique_ptr<GUIImage>>;
    std::unique_ptr<GUIImage>& overlay = (*overlays)[dpi];
    if (!overlay) {
        const int box = ScaleLength(kThumbBox, dpi);
        overlay = std::make_unique<GUIImage>(parentWindow, instance, 0, 0, box, box, SkinPath("HI_THUMB_OVERLAY"),
                                             dpi);
    }
    return overlay.get();
}

HBITMAP CreateThumbBitmap(int box, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = box;
    info.bmiHeader.biHeight = box;  // bottom-up, like the prepared rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

void ShowControl(GUIObject* control, int command) {
    if (control) control->Show(command);
}

// At 96 DPI, like every place in the entry below.
constexpr int kTextWidth = 125;
// The skin's error colours, as the drop area's error state shows them.
constexpr std::uint32_t kFailedTitleColour = 0xFEE2E2;
constexpr std::uint32_t kFailedReasonColour = 0xFCA5A5;
constexpr std::uint32_t kTitleColour = 0xE0E0E0;
constexpr std::uint32_t kDateColour = 0xA5A5A5;

// `text` in at most two lines that fit `width` in `font`'s measure: the
// first takes as many words as fit, the second the rest (cut at the width
// by the text widget when still too long).
std::pair<std::wstring, std::wstring> SplitIntoTwoLines(const std::wstring& text, const GUIText& font, int width) {
    if (font.MeasureText(text).cx <= width) return {text, std::wstring()};
    std::wstring::size_type cut = text.size();
    while ((cut = text.rfind(L' ', cut - 1)) != std::wstring::npos && cut > 0) {
        if (font.MeasureText(text.substr(0, cut)).cx <= width) {
            return {text.substr(0, cut), text.substr(cut + 1)};
        }
    }
    return {text, std::wstring()};
}

void SetDateFont(GUIText& text) {
    if (text.SetFont({{L"Myriad Pro", 10, 400}})) {
        text.SetSpacing(1);
    } else {
        text.SetFont({{L"Calibri", 10, 400}, {L"Lucida Sans Unicode", 9, 400}});
    }
}

}  // namespace

GUIHistoryItem::GUIHistoryItem(HWND parentWindow, HINSTANCE instance,
                               ButtonClickFunction copyAction, ButtonClickFunction deleteAction,
                               ButtonClickFunction retryAction, ButtonClickFunction removeAction)
    : GUIObject(instance, parentWindow), dpi_(WindowDpi()) {
    width_ = Scaled(200);
    height_ = Scaled(69);
    const int box = thumbBox_ = Scaled(kThumbBox);
    HBITMAP bitmap = CreateThumbBitmap(box, &thumbBits_);
    thumbnail_ = std::make_unique<GUIImage>(parentWindow, instance, 0, 0, box, box, bitmap, box, box);
    SharedOverlay(parentWindow, instance, dpi_);

    dateText_ = std::make_unique<GUIText>(parentWindow, instance, Scaled(75), Scaled(18), Scaled(kTextWidth),
                                          Scaled(20), L"");
    dateText_->SetColour(kDateColour);
    SetDateFont(*dateText_);
    reasonSecond_ = std::make_unique<GUIText>(parentWindow, instance, Scaled(75), Scaled(30), Scaled(kTextWidth),
                                              Scaled(14), L"");
    reasonSecond_->SetColour(kFailedReasonColour);
    SetDateFont(*reasonSecond_);
    failedTile_ = std::make_unique<GUIImage>(parentWindow, instance, 0, 0, box, box, SkinPath("HI_FAILED_THUMB"));

    copyButton_ = std::make_unique<GUIButton>(parentWindow, instance, Scaled(75), Scaled(44), Scaled(65), Scaled(20),
                                              SkinPath("HI_BTN_COPYURL"), SkinPath("HI_BTN_COPYURL_HOVER"));
    copyButton_->SetClickFunction(copyAction);
    deleteButton_ = std::make_unique<GUIButton>(parentWindow, instance, Scaled(140), Scaled(44), Scaled(20),
                                                Scaled(20), SkinPath("HI_BTN_DELETE"),
                                                SkinPath("HI_BTN_DELETE_HOVER"));
    deleteButton_->SetClickFunction(deleteAction);
    deleteButton_->SetUserData(this);
    retryAction_ = retryAction;
    removeAction_ = removeAction;
    title_ = std::make_unique<GUIButton>(parentWindow, instance, Scaled(75), Scaled(2), 0, 0, L"", kTitleColour,
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
    SetLook(row_->failed);

    title_->SetLabelText(fileName_);
    const int textWidth = Scaled(kTextWidth);
    if (title_->Size().cx > textWidth) title_->Resize(textWidth, title_->Size().cy);
    if (failedLook_) {
        const auto lines = SplitIntoTwoLines(Utf8ToWide(static_cast<const FailedUploadRow&>(*row_).reason),
                                             *dateText_, textWidth);
        dateText_->SetText(lines.first);
        reasonSecond_->SetText(lines.second);
        return;
    }
    dateText_->SetText(WidenLatin1(row_->date));

    // GDI may still be drawing from the bitmap: let it finish first.
    GdiFlush();
    auto* bits = static_cast<std::uint8_t*>(thumbBits_);
    const std::size_t bytes = static_cast<std::size_t>(thumbBox_) * thumbBox_ * 4;
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

// The colours and which pair of buttons is live follow the row's kind.
void GUIHistoryItem::SetLook(bool failed) {
    if (failed == failedLook_) return;
    failedLook_ = failed;
    if (failed && !retryButton_ && retryAction_ && removeAction_) {
        retryButton_ = std::make_unique<GUIButton>(parentWindow_, instance_, Scaled(75), Scaled(44), Scaled(65),
                                                   Scaled(20), SkinPath("HI_BTN_RETRY"),
                                                   SkinPath("HI_BTN_RETRY_HOVER"));
        retryButton_->SetClickFunction(retryAction_);
        retryButton_->SetUserData(this);
        // Remove looks like delete: the entry and the program's own copy go.
        removeButton_ = std::make_unique<GUIButton>(parentWindow_, instance_, Scaled(140), Scaled(44), Scaled(20),
                                                    Scaled(20), SkinPath("HI_BTN_DELETE"),
                                                    SkinPath("HI_BTN_DELETE_HOVER"));
        removeButton_->SetClickFunction(removeAction_);
        removeButton_->SetUserData(this);
        // Buttons are born visible: these stay hidden until the entry shows,
        // and follow a page that is hidden now.
        for (GUIButton* button : {retryButton_.get(), removeButton_.get()}) {
            button->Show(SW_HIDE);
            if (pageHidden_) button->ApplyPageVisibility(true);
        }
    }
    title_->SetLabelColours(failed ? kFailedTitleColour : kTitleColour, 0xFFFFFF);
    dateText_->SetColour(failed ? kFailedReasonColour : kDateColour);
    if (!failed) reasonSecond_->SetText(L"");
    if (visible_) Show(SW_SHOW);
}

void GUIHistoryItem::Show(int command) {
    visible_ = command != 0;
    const int normal = failedLook_ ? SW_HIDE : command;
    const int failed = failedLook_ ? command : SW_HIDE;
    ShowControl(copyButton_.get(), normal);
    ShowControl(deleteButton_.get(), normal);
    ShowControl(retryButton_.get(), failed);
    ShowControl(removeButton_.get(), failed);
    ShowControl(title_.get(), command);
}

void GUIHistoryItem::ApplyPageVisibility(bool hidden) {
    pageHidden_ = hidden;
    for (GUIObject* control : {static_cast<GUIObject*>(copyButton_.get()), static_cast<GUIObject*>(deleteButton_.get()),
                               static_cast<GUIObject*>(retryButton_.get()),
                               static_cast<GUIObject*>(removeButton_.get()), static_cast<GUIObject*>(title_.get())}) {
        if (control) control->ApplyPageVisibility(hidden);
    }
}

void GUIHistoryItem::Paint(HDC target, const RECT& dirty) {
    if (!row_) return;
    // Each part at its place in the entry; a missing one is skipped.
    const auto place = [&](GUIObject* part, int x, int y) {
        if (!part) return;
        part->Move(x_ + Scaled(x), y_ + Scaled(y));
        part->Paint(target, dirty);
    };
    place(title_.get(), 75, 2);
    if (failedLook_) {
        place(failedTile_.get(), 0, 0);
        place(dateText_.get(), 75, 18);
        place(reasonSecond_.get(), 75, 30);
        place(retryButton_.get(), 75, 44);
        place(removeButton_.get(), 140, 44);
        return;
    }
    place(thumbnail_.get(), 0, 0);
    if (showOverlay_) place(SharedOverlay(parentWindow_, instance_, dpi_), 0, 0);
    place(dateText_.get(), 75, 21);
    place(copyButton_.get(), 75, 44);
    place(deleteButton_.get(), 140, 44);
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
