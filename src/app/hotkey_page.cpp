#include "app/hotkey_page.h"

#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/product.h"
#include "base/user_prompt.h"
#include "config/hotkey_text.h"
#include "gui/gui_button.h"
#include "gui/gui_image.h"
#include "gui/gui_key_field.h"
#include "gui/gui_page.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"

namespace {

constexpr int kLabelColour = 0xEEEEEE;
constexpr int kWarningColour = 0xF5B971;
constexpr int kHintColour = 0xA5A5A5;
constexpr int kLinkColour = 0x5EEAD4;
constexpr int kLinkHover = 0xFFFFFF;
constexpr int kFieldText = 0x222222;
constexpr int kFieldBackground = 0xEEEEEE;
constexpr int kFieldListening = 0xCCFBF1;

// Rows inside the card at (45, 92): 72 pixels each from row 28.
constexpr int kCardTop = 92;
constexpr int kFirstRow = kCardTop + 28;
constexpr int kRowHeight = 72;
constexpr int kTextLeft = 55;
constexpr int kFieldLeft = 170;
constexpr int kFieldWidth = 93;
constexpr int kStatusWidth = 208;
// These places are at 96 DPI, scaled to the main window's.
int Px(int length) { return MainWindowScale(length); }

constexpr wchar_t kSnippingQuestion[] =
    L"Windows opens its own screen snipping when Print Screen is pressed, so vantorel liftorn never "
    L"sees the key.\n\nTurn that off and let Print Screen take vantorel liftorn's screenshots?";

struct Page {
    GUIPage* page = nullptr;
    GUIButton* link = nullptr;
    HotkeyRow rows[kHotkeyActionCount];
    bool refused[kHotkeyActionCount] = {};  // the last key pressed in the row needs a modifier
    bool shown = false;
};

Page& Shortcuts() {
    static Page page;
    return page;
}

HWND Parent() { return App().mainWindow->MainWindow(); }

int RowOf(const GUIKeyField* field) {
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        if (Shortcuts().rows[i].field == field) return i;
    }
    return -1;
}

// `text` in at most two lines of `width` pixels, broken between words.
void ShowWrapped(GUIText* const lines[2], const std::wstring& text) {
    std::wstring first, second;
    std::wstring word;
    bool full = false;
    auto place = [&](const std::wstring& next) {
        if (next.empty()) return;
        const std::wstring joined = first.empty() ? next : first + L" " + next;
        if (!full && lines[0]->MeasureText(joined).cx <= Px(kStatusWidth)) {
            first = joined;
        } else {
            full = true;
            second = second.empty() ? next : second + L" " + next;
        }
    };
    for (wchar_t c : text) {
        if (c == L' ') {
            place(word);
            word.clear();
        } else {
            word += c;
        }
    }
    place(word);
    for (int i = 0; i < 2; ++i) {
        // The line takes the size of its text: the old one is repainted too.
        lines[i]->Invalidate();
        lines[i]->SetText(i == 0 ? first : second);
        lines[i]->Show(lines[i]->Text().empty() ? SW_HIDE : SW_SHOW);
    }
}

void ShowRow(int index) {
    Page& page = Shortcuts();
    HotkeyRow& row = page.rows[index];
    const HotkeyStatus status = StatusOf(static_cast<HotkeyAction>(index));
    if (!row.field->IsListening()) row.field->SetText(FormatHotkey(status.key));
    const std::wstring text = page.refused[index] ? L"Add Ctrl, Alt or Win to that key" : HotkeyStateText(status);
    ShowWrapped(row.status, text);
    row.giveBack->Show(status.state == HotkeyState::kSnipping ? SW_SHOW : SW_HIDE);
}

bool OnKeyField(GUIKeyField* field, KeyFieldEvent event, unsigned modifiers, unsigned key) {
    const int index = RowOf(field);
    if (index < 0) return false;
    Page& page = Shortcuts();
    const HotkeyAction action = static_cast<HotkeyAction>(index);
    page.refused[index] = false;
    switch (event) {
    case KeyFieldEvent::kListening:
        // Pressing a registered shortcut must choose it, not run it.
        SuspendHotkeys(true);
        ShowRow(index);
        return true;
    case KeyFieldEvent::kChosen: {
        const Hotkey chosen{modifiers, key};
        if (!IsUsableHotkey(chosen)) {
            page.refused[index] = true;
            ShowRow(index);
            return false;
        }
        field->SetText(FormatHotkey(chosen));
        ChangeHotkey(action, chosen);
        return true;
    }
    case KeyFieldEvent::kCleared:
        field->SetText(FormatHotkey(Hotkey{}));
        ChangeHotkey(action, Hotkey{});
        return true;
    case KeyFieldEvent::kCancelled:
        SuspendHotkeys(false);
        RefreshHotkeyRows();
        return true;
    }
    return false;
}

void GiveBackPrintScreen(void*, WPARAM) {
    if (AskUser(Parent(), kSnippingQuestion, kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (!StopWindowsSnipping()) {
        AskUser(Parent(), L"vantorel liftorn could not change this setting of Windows.", kProductName, MB_ICONERROR);
    }
    RefreshHotkeyRows();
}

std::unique_ptr<GUIText> Text(HINSTANCE instance, int x, int y, const std::wstring& text, int colour) {
    auto widget = std::make_unique<GUIText>(Parent(), instance, Px(x), Px(y), 0, 0, text);
    widget->SetColour(colour);
    return widget;
}

std::unique_ptr<GUIButton> Link(HINSTANCE instance, int x, int y, const std::wstring& text,
                                ButtonClickFunction click) {
    auto button = std::make_unique<GUIButton>(Parent(), instance, Px(x), Px(y), 0, 0, text, kLinkColour, kLinkHover);
    button->SetClickFunction(click);
    return button;
}

}  // namespace

void CreateHotkeyPage(HINSTANCE instance) {
    AppState& app = App();
    Page& shortcuts = Shortcuts();
    GUIPage* page = app.mainWindow->AddPainter(std::make_unique<GUIPage>(app.mainWindow));
    shortcuts.page = page;
    page->AddChild(std::make_unique<GUIImage>(Parent(), instance, Px(45), Px(30), Px(233), Px(50),
                                              SkinPath("SHORTCUTS_HEADING")));
    page->AddChild(std::make_unique<GUIImage>(Parent(), instance, Px(45), Px(kCardTop), Px(230), Px(250),
                                              SkinPath("SHORTCUTS_CARD")));
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        const int top = kFirstRow + i * kRowHeight;
        HotkeyRow& row = shortcuts.rows[i];
        page->AddChild(Text(instance, kTextLeft, top + 1, HotkeyActionLabel(static_cast<HotkeyAction>(i)), kLabelColour));
        auto field = std::make_unique<GUIKeyField>(Parent(), instance, Px(kFieldLeft), Px(top), Px(kFieldWidth),
                                                   Px(17), L"");
        field->SetTextColour(kFieldText);
        field->SetBorderColour(0x000000);
        field->SetColours(kFieldBackground, kFieldListening);
        field->SetModifierNamer(&FormatModifiers);
        field->SetKeyFunction(&OnKeyField);
        row.field = page->AddChild(std::move(field));
        row.status[0] = page->AddChild(Text(instance, kTextLeft, top + 22, L"", kWarningColour));
        row.status[1] = page->AddChild(Text(instance, kTextLeft, top + 37, L"", kWarningColour));
        row.giveBack = page->AddChild(Link(instance, kTextLeft, top + 52, L"Turn that off", &GiveBackPrintScreen));
        row.giveBack->Show(SW_HIDE);
    }
    page->AddChild(Text(instance, 53, 352, L"Click a box, then press the keys.", kHintColour));
    page->AddChild(Text(instance, 53, 368, L"Escape cancels, Backspace clears.", kHintColour));
    auto done = std::make_unique<GUIButton>(Parent(), instance, Px(188), Px(392), Px(75), Px(29),
                                            SkinPath("SHORTCUTS_DONE"), SkinPath("SHORTCUTS_DONE_HOVER"));
    done->SetClickFunction(&LeaveHotkeyPage);
    page->AddChild(std::move(done));
    page->SetShown(false, false);
    app.hotkeyPage = page;

    // The way in: a link on the settings page, beside the switches' title.
    if (app.settingsPage) {
        auto link = Link(instance, 0, 213, L"Keyboard shortcuts\u2026", &ShowHotkeyPage);
        link->Move(Px(268) - link->Size().cx, Px(213));
        shortcuts.link = app.settingsPage->AddChild(std::move(link));
    }
    SetHotkeyStatusListener(&RefreshHotkeyRows);
    RefreshHotkeyRows();
}

void ShowHotkeyPage(void*, WPARAM) {
    AppState& app = App();
    if (!app.settingsShown || !app.settingsPage || !app.hotkeyPage || HotkeyPageShown()) return;
    Shortcuts().shown = true;
    app.settingsPage->SetShown(false, true);
    app.hotkeyPage->SetShown(true, true);
    RefreshHotkeyRows();
}

void LeaveHotkeyPage(void*, WPARAM) {
    AppState& app = App();
    if (!HotkeyPageShown()) return;
    Shortcuts().shown = false;
    for (HotkeyRow& row : Shortcuts().rows) row.field->StopListening();
    app.hotkeyPage->SetShown(false, true);
    if (app.settingsShown && app.settingsPage) app.settingsPage->SetShown(true, true);
}

bool HotkeyPageShown() { return Shortcuts().shown; }

HotkeyRow HotkeyPageRow(HotkeyAction action) { return Shortcuts().rows[static_cast<int>(action)]; }

GUIButton* HotkeyPageLink() { return Shortcuts().link; }

void RefreshHotkeyRows() {
    if (!Shortcuts().page) return;
    for (int i = 0; i < kHotkeyActionCount; ++i) ShowRow(i);
}
