// One entry of the upload history list: a 69 x 69 masked thumbnail, the file
// name as a link to the upload, the date, a "copy URL" and a delete button.
// Made from a history row (on whichever thread reads or writes the row); its
// controls are added later on the main thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gui/gui_button.h"
#include "gui/gui_object.h"

class GUIImage;
class GUIText;

class GUIHistoryItem : public GUIObject {
public:
    // Builds the item from one row. `url`, `size`, `date` and `thumb` are
    // narrow: the URL and the date are widened byte by byte, the thumbnail
    // name is UTF-8 like the data folder. `shortcutFile` may be null or empty
    // (no shortcut). The thumbnail is dataFolder + "thumbs\" + thumb, or the
    // skin's default one when that file is missing or damaged. Never null.
    static GUIHistoryItem* CreateItem(HWND parentWindow, HINSTANCE instance, const std::string& dataFolder,
                                      const std::string& url, const std::wstring& fileName,
                                      const std::string& size, const std::string& date,
                                      const std::string& thumb, long long rowId, const wchar_t* shortcutFile);
    ~GUIHistoryItem() override;

    // Creates the title link and the two buttons. The copy action gets the
    // URL (a wide C string) as user data, the delete action this item.
    void CreateControls(ButtonClickFunction copyAction, ButtonClickFunction deleteAction);

    void Show(int command) override;
    void Paint(HDC target, const RECT& dirty) override;
    void ApplyPageVisibility(bool hidden) override;

    long long RowId() const { return rowId_; }
    const std::wstring& Url() const { return url_; }
    const std::wstring& ThumbPath() const { return thumbPath_; }
    // Empty when the upload has no shortcut file.
    const std::wstring& ShortcutPath() const { return shortcutPath_; }
    const std::wstring& FileName() const { return fileName_; }
    bool ShowsOverlay() const { return showOverlay_; }
    GUIButton* Title() const { return title_.get(); }
    GUIText* DateText() const { return dateText_.get(); }
    GUIButton* CopyButton() const { return copyButton_.get(); }
    GUIButton* DeleteButton() const { return deleteButton_.get(); }
    GUIImage* Thumbnail() const { return thumbnail_.get(); }

    // The history list's release function: deletes the item.
    static void Destroy(GUIObject* item);
    // The title's click: opens the URL in the browser.
    static void OpenLink(void* item, WPARAM keys);

private:
    GUIHistoryItem(HWND parentWindow, HINSTANCE instance);
    void PrepareThumbnail();
    void CreateDateText(const std::string& date);

    std::unique_ptr<GUIButton> title_;
    std::unique_ptr<GUIText> dateText_;
    std::unique_ptr<GUIButton> copyButton_;
    std::unique_ptr<GUIButton> deleteButton_;
    std::unique_ptr<GUIImage> thumbnail_;
    int thumbWidth_ = 0;
    int thumbHeight_ = 0;
    std::wstring url_;
    std::wstring thumbPath_;
    std::wstring shortcutPath_;
    std::wstring fileName_;
    long long rowId_ = 0;
    bool showOverlay_ = false;
};
