#include "app/history_search.h"

#include <algorithm>
#include <cstdint>

#include "app/app_state.h"
#include "app/history_list.h"
#include "app/main_commands.h"
#include "base/product.h"
#include "base/shell_open.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "history/history_row.h"
#include "upload/copy_url.h"

namespace {

// The search button sits at the right end of the history's heading; the
// box and the count line take the top of the list's place, which moves
// down by HistorySearch::kBandHeight. All at 96 DPI.
constexpr int kButtonX = 250, kButtonY = 113, kButtonSide = 14;
constexpr int kBoxX = 52, kBoxY = 142, kBoxWidth = 214, kBoxHeight = 18;
constexpr int kCountX = 54, kCountY = 163, kCountWidth = 210, kCountHeight = 15;
// Behind the highlighted entry, as high as its thumbnail.
constexpr int kHighlightWidth = 200, kHighlightHeight = 69;
constexpr int kBoxText = 0x222222;
constexpr int kBoxBackground = 0xEEEEEE;
constexpr std::uint32_t kCountColour = 0xA5A5A5;

HistorySearch* Current() { return App().historySearch; }

void ToggleFromButton(void*, WPARAM) {
    if (HistorySearch* search = Current()) {
        if (search->IsOpen()) search->Close();
        else search->Open();
    }
}

// The box calls this before each edit: the text is read once the edit is
// done, from the window's queue.
void OnBoxEdited() {
    HistorySearch* search = Current();
    if (!search || !search->Box()) return;
    PostToWindowThread(search->Box()->ParentWindow(), [] {
        if (HistorySearch* now = Current()) now->TextChanged();
    });
}

// The character a key that the search takes would also type into the box.
WPARAM CharacterOf(WPARAM key) {
    switch (key) {
    case VK_ESCAPE: return 27;
    case VK_RETURN: return '\r';
    case 'C': return 'C' - '@';  // Ctrl+C
    case 'F': return 'F' - '@';  // Ctrl+F, which the box would refuse with a beep
    default: return 0;
    }
}

bool OnBoxKeyDown(HWND, UINT, WPARAM key, LPARAM, LRESULT* result) {
    HistorySearch* search = Current();
    if (!search) return false;
    const bool used = search->OnKey(key);
    search->DropCharacter(used ? CharacterOf(key) : 0);
    if (!used) return false;
    *result = 0;
    return true;
}

bool OnBoxCharacter(HWND, UINT, WPARAM character, LPARAM, LRESULT* result) {
    HistorySearch* search = Current();
    if (!search || !search->DropsCharacter(character)) return false;
    *result = 0;
    return true;
}

// 100000 as "100,000".
std::wstring Grouped(std::size_t number) {
    std::wstring digits = std::to_wstring(number);
    for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), L",");
    }
    return digits;
}

bool IsDown(int key) { return GetKeyState(key) < 0; }

}  // namespace

HistorySearch::HistorySearch(HINSTANCE instance, GUIPage* page, GUIScrollArea* list)
    : window_(list->ParentWindow()), list_(list) {
    auto button = std::make_unique<GUIButton>(window_, instance, Scaled(kButtonX), Scaled(kButtonY),
                                              Scaled(kButtonSide), Scaled(kButtonSide), SkinPath("BTN_SEARCH"),
                                              SkinPath("BTN_SEARCH_HOVER"));
    button->SetClickFunction(ToggleFromButton);

    auto box = std::make_unique<GUIEdit>(window_, instance, Scaled(kBoxX), Scaled(kBoxY), Scaled(kBoxWidth),
                                         Scaled(kBoxHeight), L"");
    box->SetTextColour(kBoxText);
    box->SetSelectionColours(kBoxBackground, kBoxText);
    box->SetBorderColour(0x000000);
    box->SetBackgroundColour(kBoxBackground);
    box->SetMaxLength(static_cast<int>(kMaxSearchCharacters));
    box->SetChangeFunction(OnBoxEdited);
    box->SetMessageHandler(WM_KEYDOWN, OnBoxKeyDown);
    box->SetMessageHandler(WM_CHAR, OnBoxCharacter);
    box->Show(SW_HIDE);

    auto countLine = std::make_unique<GUIText>(window_, instance, Scaled(kCountX), Scaled(kCountY),
                                               Scaled(kCountWidth), Scaled(kCountHeight), L"");
    countLine->SetColour(kCountColour);
    countLine->SetFont({{L"Calibri", 10, 400}, {L"Lucida Sans Unicode", 9, 400}});
    countLine->Show(SW_HIDE);

    button_ = page->AddChild(std::move(button));
    box_ = page->AddChild(std::move(box));
    countLine_ = page->AddChild(std::move(countLine));
    list_->SetHighlightImage(
        std::make_unique<GUIImage>(window_, instance, 0, 0, Scaled(kHighlightWidth), Scaled(kHighlightHeight),
                                   SkinPath("HI_HIGHLIGHT")),
        POINT{0, 0});
}

HistorySearch::~HistorySearch() {
    // The widgets may be gone already (the page owns them); the thread stops
    // here, and an answer still queued for the window finds no search.
    if (App().historySearch == this) App().historySearch = nullptr;
    worker_.reset();
}

void HistorySearch::Open() {
    if (App().settingsShown || !list_) return;
    if (open_) {
        SetFocus(box_->Window());
        SendMessageW(box_->Window(), WM_CHAR, 1, 0);  // select what was typed
        return;
    }
    open_ = true;
    filtered_ = false;
    waiting_ = false;
    text_.clear();
    utf8Text_.clear();
    words_.clear();
    base_ = std::make_shared<const SearchEntries>(list_->Entries());
    added_.clear();
    removed_.clear();
    if (!worker_) {
        HWND window = window_;
        worker_ = std::make_unique<SearchWorker>(DescribeHistoryRow, [window](SearchResult answer) {
            auto shared = std::make_shared<SearchResult>(std::move(answer));
            PostToWindowThread(window, [shared] {
                if (HistorySearch* search = Current()) search->OnAnswer(std::move(*shared));
            });
        });
    }
    // The keys are prepared while the user starts typing.
    worker_->Submit({++generation_, base_, {}, {}, std::string()});

    box_->SetText(L"");
    box_->Show(SW_SHOW);
    countLine_->Show(SW_SHOW);
    ShowCount();
    LayOut();
    SetFocus(box_->Window());
}

void HistorySearch::Close() {
    if (!open_) return;
    ShowWholeList();
    open_ = false;
    list_->SetHighlight(nullptr);
    if (GetFocus() == box_->Window()) SetFocus(window_);
    box_->Show(SW_HIDE);
    countLine_->Show(SW_HIDE);
    base_.reset();
    added_.clear();
    removed_.clear();
    placeEntry_.reset();
    // The prepared keys go with the search.
    if (worker_) worker_->Submit({++generation_, nullptr, {}, {}, std::string()});
    LayOut();
}

void HistorySearch::LayOut() {
    RECT rect{};
    GetWindowRect(window_, &rect);
    LayOutHistory(rect.bottom - rect.top);
}

void HistorySearch::TextChanged() {
    if (!open_) return;
    const std::wstring text = box_->GetText();
    if (text == text_) return;
    text_ = text;
    utf8Text_ = WideToUtf8(text);
    words_ = SearchWords(utf8Text_);
    list_->SetHighlight(nullptr);
    if (words_.empty()) {
        ShowWholeList();
        return;
    }
    if (!filtered_ && !waiting_) RememberPlace();
    Submit(utf8Text_);
}

void HistorySearch::Submit(const std::string& text) {
    waiting_ = true;
    worker_->Submit({++generation_, base_, added_, removed_, text});
}

void HistorySearch::OnAnswer(SearchResult answer) {
    if (!open_ || answer.generation != generation_) return;  // the text changed since
    waiting_ = false;
    std::vector<ScrollEntry> held = list_->ReplaceItems(std::move(answer.matches), 0);
    if (filtered_) {
        worker_->Release(std::move(held));  // the last answer
    } else {
        whole_ = std::move(held);  // kept as it is, for when the search ends
    }
    filtered_ = true;
    ShowCount();
}

void HistorySearch::RememberPlace() {
    placeOffset_ = list_->ScrollOffset();
    const int height = std::max(1, list_->ItemHeight());
    const std::size_t top = static_cast<std::size_t>(placeOffset_ / height);
    const auto& items = list_->Items();
    placeEntry_ = top < items.size() ? items[top] : nullptr;
    placeWithin_ = placeOffset_ % height;
}

std::size_t HistorySearch::TotalCount() const {
    return base_ ? base_->size() + added_.size() - removed_.size() : 0;
}

void HistorySearch::ShowWholeList() {
    ++generation_;  // answers under way no longer count
    waiting_ = false;
    if (filtered_) {
        int offset = placeOffset_;
        const auto found = std::find(whole_.begin(), whole_.end(), placeEntry_);
        if (placeEntry_ && found != whole_.end()) {
            offset = static_cast<int>(found - whole_.begin()) * list_->ItemHeight() + placeWithin_;
        }
        worker_->Release(list_->ReplaceItems(std::move(whole_), offset));
        whole_.clear();
        filtered_ = false;
    }
    ShowCount();
}

void HistorySearch::ShowCount() {
    if (countLine_->SetText(CountText())) countLine_->Invalidate();
}

std::wstring HistorySearch::CountText() const {
    const std::size_t total = TotalCount();
    const wchar_t* uploads = total == 1 ? L" upload" : L" uploads";
    if (!filtered_) return Grouped(total) + uploads;
    const std::size_t shown =
        list_->Items().size() + list_->PendingInsertCount() - list_->PendingRemovalCount();
    if (shown > 0) return Grouped(shown) + L" of " + Grouped(total) + uploads;
    // The text as typed, cut short with an ellipsis where it would not fit.
    const auto line = [](const std::wstring& text) {
        return L"No upload matches \u201C" + text + L"\u201D";
    };
    if (countLine_->MeasureText(line(text_)).cx <= Scaled(kCountWidth)) return line(text_);
    std::size_t low = 0, high = text_.size();
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (countLine_->MeasureText(line(text_.substr(0, middle) + L"\u2026")).cx <= Scaled(kCountWidth)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    // Never cut a character in two halves.
    if (low > 0 && text_[low - 1] >= 0xD800 && text_[low - 1] <= 0xDBFF) --low;
    return line(text_.substr(0, low) + L"\u2026");
}

void HistorySearch::EntryAdded(const ScrollEntry& entry) {
    if (!entry) return;
    if (!open_) {
        list_->AddItem(entry, true);
        return;
    }
    added_.insert(added_.begin(), entry);
    if (filtered_) whole_.insert(whole_.begin(), entry);
    if (!filtered_ || Matches(BoundedFields(DescribeHistoryRow(entry.get())), words_)) {
        list_->AddItem(entry, true);
    }
    // An answer under way was asked for without it.
    if (waiting_) Submit(utf8Text_);
    ShowCount();
}

void HistorySearch::EntryRemoved(const void* entry) {
    if (!open_ || !entry) return;
    const auto added = std::find_if(added_.begin(), added_.end(),
                                    [entry](const ScrollEntry& e) { return e.get() == entry; });
    if (added != added_.end()) {
        added_.erase(added);
    } else {
        const auto at = std::lower_bound(removed_.begin(), removed_.end(), entry);
        const bool inBase = std::any_of(base_->begin(), base_->end(),
                                        [entry](const ScrollEntry& e) { return e.get() == entry; });
        if (inBase && (at == removed_.end() || *at != entry)) removed_.insert(at, entry);
    }
    if (filtered_) {
        const auto kept = std::find_if(whole_.begin(), whole_.end(),
                                       [entry](const ScrollEntry& e) { return e.get() == entry; });
        if (kept != whole_.end()) whole_.erase(kept);
    }
    if (placeEntry_.get() == entry) placeEntry_.reset();
    // An answer under way may still hold it.
    if (waiting_) Submit(utf8Text_);
    ShowCount();
}

const void* HistorySearch::EntryAfter(std::size_t index) const {
    const auto& items = list_->Items();
    for (std::size_t next = index + 1; next < items.size(); ++next) {
        if (!list_->IsPendingRemoval(items[next].get())) return items[next].get();
    }
    return nullptr;
}

void HistorySearch::MoveHighlight(int step) {
    const auto& items = list_->Items();
    const std::size_t now = list_->Highlight() ? list_->IndexOf(list_->Highlight())
                                               : GUIScrollArea::kNoIndex;
    const void* next = nullptr;
    if (step > 0) {
        next = now == GUIScrollArea::kNoIndex
                   ? (items.empty() ? nullptr
                      : list_->IsPendingRemoval(items[0].get()) ? EntryAfter(0)
                                                                 : items[0].get())
                   : EntryAfter(now);
        if (!next) return;  // at the last entry: it stays highlighted
    } else {
        if (now == GUIScrollArea::kNoIndex) return;
        for (std::size_t before = now; before-- > 0;) {
            if (!list_->IsPendingRemoval(items[before].get())) {
                next = items[before].get();
                break;
            }
        }
        // Above the first entry: back to the box, nothing highlighted.
    }
    list_->SetHighlight(next);
    if (next) list_->ScrollIntoView(list_->IndexOf(next));
}

ScrollEntry HistorySearch::Highlighted() const {
    const std::size_t index = list_->IndexOf(list_->Highlight());
    return index == GUIScrollArea::kNoIndex ? nullptr : list_->Items()[index];
}

void HistorySearch::DeleteHighlighted() {
    const auto row = std::static_pointer_cast<const HistoryRow>(Highlighted());
    if (!row) return;
    const std::wstring question = (row->failed ? L"Remove this failed upload?\n\n"
                                                : L"Delete this upload from the history?\n\n") +
                                  Utf8ToWide(row->fileName);
    if (AskUser(window_, question.c_str(), kProductName, MB_ICONQUESTION | MB_YESNO) != IDYES) return;
    const void* next = EntryAfter(list_->IndexOf(row.get()));
    if (DeleteHistoryRow(row)) list_->SetHighlight(next);
}

bool HistorySearch::OnKey(WPARAM key) {
    const bool control = IsDown(VK_CONTROL);
    if (key == 'F' && control) {
        Open();
        return true;
    }
    if (!open_) return false;
    const ScrollEntry highlighted = Highlighted();
    const auto row = std::static_pointer_cast<const HistoryRow>(highlighted);
    switch (key) {
    case VK_ESCAPE:
        Close();
        return true;
    case VK_DOWN:
        MoveHighlight(1);
        return true;
    case VK_UP:
        MoveHighlight(-1);
        return true;
    case VK_RETURN:
        if (!row || row->failed) return false;  // a failed upload has no link
        OpenWebAddress(WidenLatin1(row->url));
        return true;
    case VK_DELETE:
        if (!row) return false;
        DeleteHighlighted();
        return true;
    case 'C':
        if (!row || row->failed || !control) return false;
        // As the copy button with Ctrl held: Shift asks for the short link.
        CopyUrl(WidenLatin1(row->url).c_str(), IsDown(VK_SHIFT) ? kCopyShortenedKey : 0);
        return true;
    default:
        return false;
    }
}

bool HistorySearch::DropsCharacter(WPARAM character) {
    if (droppedCharacter_ == 0 || character != droppedCharacter_) return false;
    droppedCharacter_ = 0;
    return true;
}

std::unique_ptr<HistorySearch> CreateHistorySearch(HINSTANCE instance) {
    AppState& app = App();
    if (!app.mainPage || !app.historyList) return nullptr;
    auto search = std::make_unique<HistorySearch>(instance, app.mainPage, app.historyList);
    app.historySearch = search.get();
    return search;
}
