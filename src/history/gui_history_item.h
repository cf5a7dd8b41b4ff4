// The view of one history entry: a 69 x 69 masked thumbnail, the file name as
// a link to the upload, the date, a "copy URL" and a delete button. A failed
// upload (FailedUploadRow) shows in the skin's error colours instead: the
// failed tile, the file name, why it failed (up to two lines), Retry and
// Remove. The list keeps a few of these and binds each to whichever row
// comes into view, so their windows and bitmaps are made once and reused.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gui/gui_button.h"
#include "gui/gui_object.h"
#include "history/history_row.h"
#include "history/thumbnail_fit.h"

class GUIImage;
class GUIText;

class GUIHistoryItem : public GUIObject {
public:
    // Creates the controls, showing nothing yet. The copy action gets the
    // bound row's URL (a wide C string) as user data, the delete action this
    // item; both are called on the item's thread.
    // Retry and Remove get this item too; without them (null) a failed
    // entry shows no buttons.
    GUIHistoryItem(HWND parentWindow, HINSTANCE instance, ButtonClickFunction copyAction,
                   ButtonClickFunction deleteAction, ButtonClickFunction retryAction = nullptr,
                   ButtonClickFunction removeAction = nullptr);
    ~GUIHistoryItem() override;

    // Shows `row` with its prepared thumbnail (a failed row ignores it).
    void Bind(HistoryRowPtr row, const PreparedThumbnail& thumbnail);

    void Show(int command) override;
    void Paint(HDC target, const RECT& dirty) override;
    void ApplyPageVisibility(bool hidden) override;

    // The bound row, or null before the first Bind.
    const HistoryRowPtr& Row() const { return row_; }
    long long RowId() const { return row_ ? row_->rowId : 0; }
    const std::wstring& Url() const { return url_; }
    const std::wstring& FileName() const { return fileName_; }
    bool ShowsOverlay() const { return showOverlay_; }
    GUIButton* Title() const { return title_.get(); }
    GUIText* DateText() const { return dateText_.get(); }
    GUIButton* CopyButton() const { return copyButton_.get(); }
    GUIButton* DeleteButton() const { return deleteButton_.get(); }
    GUIImage* Thumbnail() const { return thumbnail_.get(); }
    bool ShowsFailure() const { return failedLook_; }
    GUIButton* RetryButton() const { return retryButton_.get(); }
    GUIButton* RemoveButton() const { return removeButton_.get(); }
    // The reason's two lines (the second may be empty).
    GUIText* ReasonText(int line) const { return line == 0 ? dateText_.get() : reasonSecond_.get(); }

    // The title's click: opens the bound URL in the browser.
    static void OpenLink(void* item, WPARAM keys);

private:
    std::unique_ptr<GUIButton> title_;
    std::unique_ptr<GUIText> dateText_;
    std::unique_ptr<GUIButton> copyButton_;
    std::unique_ptr<GUIButton> deleteButton_;
    std::unique_ptr<GUIImage> thumbnail_;
    std::unique_ptr<GUIImage> failedTile_;
    std::unique_ptr<GUIText> reasonSecond_;
    // Made when the view first shows a failed entry.
    std::unique_ptr<GUIButton> retryButton_;
    std::unique_ptr<GUIButton> removeButton_;
    ButtonClickFunction retryAction_ = nullptr;
    ButtonClickFunction removeAction_ = nullptr;
    // A 96-DPI length of the entry at its window's DPI (taken at creation).
    int Scaled(int length) const { return ScaleLength(length, dpi_); }

    int dpi_ = kBaseDpi;
    int thumbBox_ = kThumbBox;   // the thumbnail's side in pixels
    void* thumbBits_ = nullptr;  // the thumbnail bitmap's pixels, written on Bind
    HistoryRowPtr row_;
    std::wstring url_;
    std::wstring fileName_;
    bool showOverlay_ = false;
    bool failedLook_ = false;
    bool pageHidden_ = false;  // the last ApplyPageVisibility

    void SetLook(bool failed);
};


// Full paths of a row's files below `dataFolder` (UTF-8, ending in a
// backslash); empty when it has none.
std::wstring HistoryThumbPath(const std::string& dataFolder, const HistoryRow& row);
std::wstring HistoryShortcutPath(const std::string& dataFolder, const HistoryRow& row);
