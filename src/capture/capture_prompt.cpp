#include "capture/capture_prompt.h"

#include "base/window_registry.h"

#include <map>
#include <mutex>

#include "base/monitor_dpi.h"
#include "capture/capture_names.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"

namespace {

constexpr int kWidth = 316;
constexpr int kHeight = 175;

// Edit box window and dialog window -> their prompt, for the hooks. Prompts
// run on capture threads, possibly several at once.
WindowRegistry<CapturePrompt> prompts;

CapturePrompt* PromptOf(HWND edit) {
    return prompts.Find(edit);
}

// Enter and Escape end the dialog; every other character is the edit box's.
bool OnNameCharacter(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    if (wParam != VK_RETURN && wParam != VK_ESCAPE) return false;
    CapturePrompt* prompt = PromptOf(window);
    if (!prompt) return false;
    *result = 0;
    if (wParam == VK_RETURN)
        prompt->Accept();
    else
        prompt->Cancel();
    return true;
}

// Closing the dialog any other way (Alt+F4, a close message from anywhere,
// its destruction) is Cancel: its loop ends. The window closes as usual.
bool OnDialogClosing(HWND window, UINT, WPARAM, LPARAM, LRESULT*) {
    if (CapturePrompt* prompt = PromptOf(window)) prompt->Closed();
    return false;
}

// The dialog's keyboard goes to the name, also when it comes forward again.
bool OnDialogFocus(HWND window, UINT, WPARAM, LPARAM, LRESULT*) {
    CapturePrompt* prompt = PromptOf(window);
    if (!prompt) return false;
    SetFocus(prompt->NameEdit()->Window());
    return true;
}

void OnOk(void* prompt, WPARAM) {
    static_cast<CapturePrompt*>(prompt)->Accept();
}
void OnCancel(void* prompt, WPARAM) {
    static_cast<CapturePrompt*>(prompt)->Cancel();
}

void OnToggle(GUIToggle* toggle) {
    Settings().SetBool(L"RunCommandAfterScreenshot", toggle->IsSelected());
}

}  // namespace

CapturePrompt::CapturePrompt(HINSTANCE instance, const std::wstring& caption, const std::wstring& promptText,
                             const std::wstring& defaultName) {
    // Where the main window is, and drawn at the scale of the monitor there.
    const POINT at{Settings().GetInt(L"PositionX"), Settings().GetInt(L"PositionY")};
    const int dpi = DpiOfPoint(at);
    window_ = std::make_unique<SkinnableWindow>(instance, ScaleLength(kWidth, dpi), ScaleLength(kHeight, dpi), 1,
                                                caption.c_str(), 0, WS_EX_TOOLWINDOW, dpi);
    SkinnableWindow& window = *window_;
    window.SetMargins(17, 27, 37, 27, true);
    window.MoveTo(at.x, at.y);
    window.SetTopmost(Settings().GetBool(L"AlwaysOnTop"));
    window.SetCornerSize(4, 4);
    window.EnableBlur(true);
    window.AddBackgroundTile(SkinPath("BG_TOP"), 0, 0);
    window.AddBackgroundTile(SkinPath("BG_MIDDLE"), 0, -1);
    window.AddBackgroundTile(SkinPath("BG_BOTTOM"), 0, 0);

    HWND parent = window.MainWindow();
    // The prompt's boxes at 96 DPI, at the window's.
    const auto box = [&window](int x, int y, int width, int height) {
        return ScaleBox(LayoutBox{x, y, width, height}, window.Dpi());
    };
    const LayoutBox glow = box(27, 19, 262, 82);
    glow_ = window.AddPainter(std::make_unique<GUIImage>(parent, instance, glow.x, glow.y, glow.width, glow.height,
                                                         SkinPath("INPUT_GLOW")));
    promptText_ = window.AddPainter(
        std::make_unique<GUIText>(parent, instance, window.Scale(35), window.Scale(25), 0, 0, promptText));
    promptText_->SetColour(0xFFEAEAEA);
    // Measured in the window's font, so already at its scale.
    const int textHeight = promptText_->MeasureText(promptText).cy;

    const LayoutBox name = box(35, 33, 246, 17);
    nameEdit_ = window.AddPainter(std::make_unique<GUIEdit>(parent, instance, name.x, textHeight + name.y,
                                                            name.width, name.height, defaultName));
    nameEdit_->SetTextColour(0x222222);
    nameEdit_->SetSelectionColours(0xEEEEEE, 0x222222);
    nameEdit_->SetBorderColour(0);
    nameEdit_->SetBackgroundColour(0xEEEEEE);
    nameEdit_->SetMaxLength(256);

    errorText_ = window.AddPainter(std::make_unique<GUIText>(parent, instance, window.Scale(35),
                                                             textHeight + window.Scale(58), 0, 0, L""));
    errorText_->SetColour(0xFFFF2222);

    const LayoutBox cancel = box(225, 107, 56, 20), ok = box(161, 107, 56, 20);
    cancelButton_ = window.AddPainter(std::make_unique<GUIButton>(parent, instance, cancel.x, cancel.y, cancel.width,
                                                                  cancel.height, SkinPath("BTN_CANCEL"),
                                                                  SkinPath("BTN_CANCEL_HOVER")));
    okButton_ = window.AddPainter(std::make_unique<GUIButton>(parent, instance, ok.x, ok.y, ok.width, ok.height,
                                                              SkinPath("BTN_OK"), SkinPath("BTN_OK_HOVER")));

    if (!Settings().GetAdvanced(L"adv_screenshot_cmd").empty()) {
        runCommandToggle_ = window.AddPainter(std::make_unique<GUIToggle>(
            parent, instance, window.Scale(35), window.Scale(111), L"Run adv_cmd"));
        runCommandToggle_->SetLabelColour(0xFFFFFF);
        runCommandToggle_->SetSelected(Settings().GetBool(L"RunCommandAfterScreenshot"));
        runCommandToggle_->SetChangeFunction(OnToggle);
    }

    prompts.Add(nameEdit_->Window(), this);
    prompts.Add(window.MainWindow(), this);
    nameEdit_->SetMessageHandler(WM_CHAR, OnNameCharacter);
    window.SetMessageHandler(WM_CLOSE, OnDialogClosing);
    window.SetMessageHandler(WM_DESTROY, OnDialogClosing);
    window.SetMessageHandler(WM_SETFOCUS, OnDialogFocus);
    okButton_->SetClickFunction(OnOk);
    okButton_->SetUserData(this);
    cancelButton_->SetClickFunction(OnCancel);
    cancelButton_->SetUserData(this);
}

CapturePrompt::~CapturePrompt() {
    prompts.Remove(nameEdit_->Window());
    prompts.Remove(window_->MainWindow());
    // The window takes its widgets with it.
    window_.reset();
}

bool CapturePrompt::Run() {
    // Select-all, so typing replaces the proposed name.
    PostMessageW(nameEdit_->Window(), WM_CHAR, 1, 0);
    window_->Show(SW_SHOW);
    SetForegroundWindow(window_->MainWindow());
    SetFocus(nameEdit_->Window());
    window_->RunMessageLoop();
    return accepted_;
}

std::wstring CapturePrompt::GetText() const {
    return nameEdit_->GetText();
}

void CapturePrompt::ShowError(const std::wstring& text) {
    errorText_->SetText(text);
    window_->Invalidate(nullptr);
}

void CapturePrompt::Accept() {
    if (validator_ && !validator_(*this)) return;
    End(true);
}

void CapturePrompt::Cancel() {
    End(false);
}

void CapturePrompt::Closed() {
    if (!ended_) End(false);
}

void CapturePrompt::End(bool accepted) {
    ended_ = true;
    accepted_ = accepted;
    PostMessageW(window_->MainWindow(), WM_CLOSE, 0, 0);
    // A quit message of the thread: unlike one addressed to the window, it
    // cannot be dropped with the window's messages when the close destroys it.
    PostQuitMessage(0);
}

bool ValidateCaptureFileName(CapturePrompt& prompt) {
    const NameProblem problem = CheckCaptureName(prompt.GetText());
    if (problem == NameProblem::kNone) return true;
    prompt.ShowError(NameProblemMessage(problem));
    return false;
}
