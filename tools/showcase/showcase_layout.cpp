#include "showcase_layout.h"

#include "base/utf.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_edit.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/image_library.h"
#include "gui/progress_bar.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"

namespace {

constexpr std::uint32_t kLightText = 0xC8CDD2;
constexpr std::uint32_t kDimText = 0x8A939C;
constexpr std::uint32_t kAccent = 0x3FB6E0;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Keeps a button or toggle in its hover look without the pointer on it: the
// leave notice that would end the hover is swallowed.
bool IgnoreMouseLeave(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = 0;
    return true;
}

void ForceHover(GUIObject* widget) {
    widget->SetMessageHandler(WM_MOUSELEAVE, IgnoreMouseLeave);
    SendMessageW(widget->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
}

// Runs the drop area's fade to its end at once, so the picture does not
// depend on how soon it is taken.
void FinishFade(GUIDropArea* area) {
    for (int tick = 0; tick < 64 && area->IsFading(); ++tick) {
        SendMessageW(area->Window(), WM_TIMER, GUIDropArea::kFadeTimer, 0);
    }
}

// A widget on the showcase's page, which owns it.
template <typename T, typename... Args>
T* OnPage(Showcase& showcase, Args&&... args) {
    return showcase.page->AddChild(std::make_unique<T>(std::forward<Args>(args)...));
}

GUIText* Label(Showcase& showcase, HWND parent, HINSTANCE instance, int x, int y, int width,
               const wchar_t* text, std::uint32_t colour, int alignment) {
    GUIText* label = OnPage<GUIText>(showcase, parent, instance, x, y, width, 15, text);
    label->SetColour(colour);
    label->SetAlignment(alignment);
    return label;
}

// The five buttons that sit on the window itself, where the main window has
// them at this height.
void AddWindowButtons(Showcase& showcase, HINSTANCE instance) {
    SkinnableWindow& window = *showcase.window;
    HWND main = window.MainWindow();
    const int h = kShowcaseHeight;
    struct Row {
        const char* normal;
        const char* hover;
        int x, y, width, height;
    };
    const Row rows[] = {
        {"BTN_CLOSE", "BTN_CLOSE_HOVER", 274, 24, 9, 5},
        {"BTN_SETTINGS", "BTN_SETTINGS_HOVER", 120, h - 72, 14, 15},
        {"BTN_SCREENSHOT", "BTN_SCREENSHOT_HOVER", 146, h - 71, 16, 13},
        {"BTN_WNDGRAB", "BTN_WNDGRAB_HOVER", 176, h - 71, 16, 13},
        {"BTN_LOGO", "BTN_LOGO_HOVER", 239, h - 53, 45, 8},
    };
    for (const Row& row : rows) {
        window.AddPainter(std::make_unique<GUIButton>(main, instance, row.x, row.y, row.width, row.height,
                                                      SkinPath(row.normal), SkinPath(row.hover)));
    }
}

// Glow, drop area, cancel button and progress bar, as on the upload page.
void AddUploadPanel(Showcase& showcase, HINSTANCE instance, ShowcaseState state) {
    HWND main = showcase.window->MainWindow();
    OnPage<GUIImage>(showcase, main, instance, 27, 19, 262, 52, SkinPath("MAIN_GLOW"));
    showcase.dropArea =
        OnPage<GUIDropArea>(showcase, main, instance, 42, 32, 232, 62, SkinPath("DROP_NORMAL"),
                            SkinPath("DROP_UPLOADING"), SkinPath("DROP_ERROR"));
    showcase.cancelButton = OnPage<GUIButton>(showcase, main, instance, 245, 57, 17, 17,
                                              SkinPath("DROP_CANCEL"), SkinPath("DROP_CANCEL_HOVER"));
    showcase.progressLeft = OnPage<GUIImage>(showcase, main, instance, 105, 73, 5, 10, SkinPath("PROG_LEFT"));
    showcase.progressCenter =
        OnPage<GUIImage>(showcase, main, instance, 110, 73, 1, 10, SkinPath("PROG_CENTER"));
    showcase.progressRight =
        OnPage<GUIImage>(showcase, main, instance, 111, 73, 5, 10, SkinPath("PROG_RIGHT"));

    const bool uploading = state == ShowcaseState::kUploading;
    if (uploading) {
        showcase.dropArea->SetState(kDropUploading);
        SetShowcaseProgress(showcase, 60);
    } else if (state == ShowcaseState::kError) {
        showcase.dropArea->SetState(kDropError);
    }
    FinishFade(showcase.dropArea);
    // The error picture would fall back to normal after a few seconds.
    KillTimer(showcase.dropArea->Window(), GUIDropArea::kErrorTimer);
    if (!uploading) {
        showcase.cancelButton->Show(SW_HIDE);
        showcase.progressLeft->Show(SW_HIDE);
        showcase.progressCenter->Show(SW_HIDE);
        showcase.progressRight->Show(SW_HIDE);
    }
}

// Texts, toggles, edit boxes and buttons, one of each state.
void AddWidgetRows(Showcase& showcase, HINSTANCE instance) {
    HWND main = showcase.window->MainWindow();
    Label(showcase, main, instance, 42, 102, 232, L"Left aligned text", kLightText, GUIText::kAlignLeft);
    Label(showcase, main, instance, 42, 118, 232, L"Centred text", kAccent, GUIText::kAlignCentre);
    Label(showcase, main, instance, 42, 134, 232, L"Right aligned text", kDimText, GUIText::kAlignRight);
    Label(showcase, main, instance, 42, 150, 232,
          L"A file name far too long for its line: holiday-photo-2024-05-14.jpg", kWhite,
          GUIText::kAlignLeft);

    GUIToggle* on = OnPage<GUIToggle>(showcase, main, instance, 42, 172, L"Toggle on");
    on->SetSelected(true);
    on->SetLabelColour(kLightText);
    GUIToggle* off = OnPage<GUIToggle>(showcase, main, instance, 160, 172, L"Toggle off");
    off->SetLabelColour(kLightText);

    GUIEdit* name = OnPage<GUIEdit>(showcase, main, instance, 42, 192, 110, 20, L"jordan");
    GUIEdit* password = OnPage<GUIEdit>(showcase, main, instance, 164, 192, 110, 20, L"secret");
    password->SetPassword(true);
    for (GUIEdit* edit : {name, password}) {
        edit->SetTextColour(0x1E2328);
        edit->SetBorderColour(0x59636E);
        edit->SetSelectionColours(0xFFFFFF, 0x2F9BD0);
    }

    OnPage<GUIButton>(showcase, main, instance, 42, 220, 56, 20, SkinPath("BTN_OK"),
                      SkinPath("BTN_OK_HOVER"));
    GUIButton* okHover = OnPage<GUIButton>(showcase, main, instance, 104, 220, 56, 20, SkinPath("BTN_OK"),
                                           SkinPath("BTN_OK_HOVER"));
    OnPage<GUIButton>(showcase, main, instance, 166, 220, 56, 20, SkinPath("BTN_CANCEL"),
                      SkinPath("BTN_CANCEL_HOVER"));
    OnPage<GUIButton>(showcase, main, instance, 42, 246, 0, 0, std::wstring(L"Text button"), kLightText,
                      kAccent);
    GUIButton* textHover = OnPage<GUIButton>(showcase, main, instance, 150, 246, 0, 0,
                                             std::wstring(L"Hovered text button"), kLightText, kAccent);
    ForceHover(okHover);
    ForceHover(textHover);
}

// The history heading image and a scroll area holding a few plain items.
void AddList(Showcase& showcase, HINSTANCE instance) {
    HWND main = showcase.window->MainWindow();
    OnPage<GUIImage>(showcase, main, instance, 45, 266, 227, 57, SkinPath("IMAGE_HISTORY_HEADER"));
    showcase.list = OnPage<GUIScrollArea>(showcase, main, instance, 52, 301, 216, 146);
    showcase.list->SetItemHeight(26);

    // Names alternate with a skin picture, so both kinds of item show.
    HWND content = showcase.list->ContentWindow();
    const wchar_t* names[] = {L"wizard-sketch.png", L"release-notes-banner.png",
                              L"quarterly-report.pdf", L"granite-texture.jpg"};
    const char* pictures[] = {"HI_BTN_COPYURL", "HI_BTN_COPYURL_HOVER", "HI_BTN_DELETE",
                              "HI_BTN_DELETE_HOVER"};
    const int pictureWidths[] = {65, 65, 20, 20};
    for (int i = 0; i < 4; ++i) {
        auto item = std::make_unique<GUIText>(content, instance, 0, 0, 190, 15, names[i]);
        item->SetColour(i % 2 ? kDimText : kLightText);
        showcase.listItems.push_back(std::move(item));
        showcase.listItems.push_back(
            std::make_unique<GUIImage>(content, instance, 0, 0, pictureWidths[i], 20, SkinPath(pictures[i])));
    }
    // Added bottom first: each new item goes to the top.
    for (auto item = showcase.listItems.rbegin(); item != showcase.listItems.rend(); ++item) {
        showcase.list->AddItem(item->get(), false);
    }
}

bool QuitOnClose(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    PostQuitMessage(0);
    *result = 0;
    return true;
}

bool QuitOnEscape(HWND, UINT, WPARAM key, LPARAM, LRESULT* result) {
    if (key != VK_ESCAPE) return false;
    PostQuitMessage(0);
    *result = 0;
    return true;
}

}  // namespace

Showcase::~Showcase() {
    if (list) {
        for (const auto& item : listItems) list->RemoveItem(item.get(), false);
    }
    window.reset();  // with the page and everything on it
    listItems.clear();
}

bool LoadShowcaseSkin(const std::wstring& skinFolder) {
    std::wstring parent;
    if (skinFolder.empty()) {
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        parent = exe;
    } else {
        parent = skinFolder;
        while (!parent.empty() && (parent.back() == L'\\' || parent.back() == L'/')) {
            parent.pop_back();
        }
    }
    const std::size_t slash = parent.find_last_of(L"\\/");
    parent = slash == std::wstring::npos ? L".\\" : parent.substr(0, slash + 1);
    InitImageLibrary();
    return LoadSkinCatalogue(WideToUtf8(parent));
}

std::unique_ptr<Showcase> BuildShowcase(HINSTANCE instance, ShowcaseState state, int x, int y) {
    auto showcase = std::make_unique<Showcase>();
    showcase->window = std::make_unique<SkinnableWindow>(
        instance, kShowcaseWidth, kShowcaseHeight, 1, L"liftorn toolkit showcase", 0, 0);
    SkinnableWindow& window = *showcase->window;
    if (!window.MainWindow()) return nullptr;
    window.SetMargins(17, 27, 37, 27, true);
    window.SetCornerSize(4, 4);
    window.SetResizeEdges(kResizeBottom);
    window.SetMinimumSize(316, 188);
    window.MoveTo(x, y);
    window.SetMessageHandler(WM_KEYDOWN, QuitOnEscape);
    window.SetMessageHandler(WM_CLOSE, QuitOnClose);
    if (!window.AddBackgroundTile(SkinPath("BG_TOP"), 0, 0) ||
        !window.AddBackgroundTile(SkinPath("BG_MIDDLE"), 0, -1) ||
        !window.AddBackgroundTile(SkinPath("BG_BOTTOM"), 0, 0)) {
        return nullptr;
    }

    AddWindowButtons(*showcase, instance);
    showcase->page = window.AddPainter(std::make_unique<GUIPage>(&window));
    AddUploadPanel(*showcase, instance, state);
    AddWidgetRows(*showcase, instance);
    AddList(*showcase, instance);
    return showcase;
}

void SetShowcaseProgress(Showcase& showcase, int percent) {
    SetProgressBar(showcase.progressCenter, showcase.progressRight, percent);
}

RECT ShowcaseProgressRect() { return RECT{105, 73, 110 + kProgressBarLength + 5, 83}; }
