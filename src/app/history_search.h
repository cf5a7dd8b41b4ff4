// Finding an upload in the history as you type. The search button in the
// history's heading, or Ctrl+F, opens a box above the list; each change of
// its text is searched on the search thread, and the list then shows only
// the entries that match, newest first, with "N of M uploads" under the box.
// Up and Down move a highlight through the list; Enter, Ctrl+C (with Shift,
// the short link) and Delete act on the highlighted entry as its link and
// buttons do. Escape, or emptying the box, shows the whole list again,
// scrolled where it was. Uploads and deletions carry on meanwhile.
//
// Main thread only; the search thread's answers are posted to it and
// dropped when the text has changed since.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/display_scale.h"
#include "gui/gui_scroll_area.h"
#include "history/search_worker.h"

class GUIButton;
class GUIEdit;
class GUIPage;
class GUIText;

class HistorySearch {
public:
    // The box and the count line take this much above the list while open.
    static constexpr int kBandHeight = 40;

    // Adds the button, the box and the count line to `page` (hidden but the
    // button) and gives `list` its highlight. Entries of `list` are rows.
    HistorySearch(HINSTANCE instance, GUIPage* page, GUIScrollArea* list);
    ~HistorySearch();
    HistorySearch(const HistorySearch&) = delete;
    HistorySearch& operator=(const HistorySearch&) = delete;

    // Opens the box and puts the keyboard there (already open: selects its
    // text). Nothing while the settings page shows.
    void Open();
    // Shows the whole list again where it was and puts the box away.
    void Close();
    bool IsOpen() const { return open_; }
    // The list shows the answer to a search rather than every entry.
    bool IsFiltered() const { return filtered_; }
    int BandHeight() const { return open_ ? Scaled(kBandHeight) : 0; }

    // While open, the list's changes come through here. A new upload joins
    // the history and shows if it matches; a deleted entry has been taken
    // off the list already.
    void EntryAdded(const ScrollEntry& entry);
    void EntryRemoved(const void* entry);

    // A key pressed in the box or on the main window; true when used.
    bool OnKey(WPARAM key);
    // The box is to drop `character` if it comes next (a key the search
    // used also types one); 0 drops nothing.
    void DropCharacter(WPARAM character) { droppedCharacter_ = character; }
    // Whether the box drops this character.
    bool DropsCharacter(WPARAM character);
    // The box's text may have changed (posted by its change function).
    void TextChanged();
    // An answer from the search thread.
    void OnAnswer(SearchResult answer);

    GUIButton* Button() const { return button_; }
    GUIEdit* Box() const { return box_; }
    GUIText* CountLine() const { return countLine_; }
    // An answer is awaited for the text in the box.
    bool IsSearching() const { return waiting_; }
    // The memory of the prepared keys, and how often they were prepared.
    std::size_t IndexBytes() const { return worker_ ? worker_->IndexBytes() : 0; }
    std::size_t IndexBuilds() const { return worker_ ? worker_->IndexBuilds() : 0; }

private:
    void Submit(const std::string& text);
    void ShowWholeList();
    void RememberPlace();
    std::size_t TotalCount() const;
    void ShowCount();
    std::wstring CountText() const;
    void MoveHighlight(int step);
    ScrollEntry Highlighted() const;
    // The next entry below `index` that is not collapsing, or null.
    const void* EntryAfter(std::size_t index) const;
    void DeleteHighlighted();
    void LayOut();

    // A 96-DPI length at the main window's DPI (which follows its monitor).
    int Scaled(int length) const { return ScaleLength(length, list_ ? list_->WindowDpi() : kBaseDpi); }

    HWND window_ = nullptr;
    GUIScrollArea* list_ = nullptr;
    GUIButton* button_ = nullptr;
    GUIEdit* box_ = nullptr;
    GUIText* countLine_ = nullptr;
    std::unique_ptr<SearchWorker> worker_;

    bool open_ = false;
    bool filtered_ = false;
    bool waiting_ = false;
    unsigned generation_ = 0;
    WPARAM droppedCharacter_ = 0;
    std::wstring text_;
    std::string utf8Text_;
    std::vector<std::string> words_;
    // The whole list while the box is open: what it held when the box
    // opened, the uploads that came since (top first) and the entries of
    // the first that were deleted since (sorted).
    std::shared_ptr<const SearchEntries> base_;
    SearchEntries added_;
    std::vector<const void*> removed_;
    // The whole list itself while the list shows an answer, kept up to date.
    std::vector<ScrollEntry> whole_;
    // Where the whole list was scrolled: the entry at the top, how far into
    // it, and the offset itself for when that entry is gone.
    ScrollEntry placeEntry_;
    int placeWithin_ = 0;
    int placeOffset_ = 0;
};

// Builds the search for the upload page's history list (App().historySearch
// points at it until it is destroyed).
std::unique_ptr<HistorySearch> CreateHistorySearch(HINSTANCE instance);
