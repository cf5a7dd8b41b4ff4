// The small skinned dialog that names a capture: a prompt line, an edit box
// with the proposed name, an error line, OK and Cancel, and, when a
// post-capture command is configured, a toggle that switches it on or off.
// It runs on the capture's thread, with a message loop of its own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class SkinnableWindow;
class GUIButton;
class GUIEdit;
class GUIImage;
class GUIText;
class GUIToggle;

class CapturePrompt {
public:
    // Answers true to let OK close the dialog.
    using Validator = bool (*)(CapturePrompt& prompt);

    CapturePrompt(HINSTANCE instance, const std::wstring& caption, const std::wstring& promptText,
                  const std::wstring& defaultName);
    ~CapturePrompt();
    CapturePrompt(const CapturePrompt&) = delete;
    CapturePrompt& operator=(const CapturePrompt&) = delete;

    void SetValidator(Validator validator) { validator_ = validator; }
    // Shows the dialog with the whole name selected and runs until OK or
    // Cancel; true for OK.
    bool Run();
    std::wstring GetText() const;
    // Puts `text` in the error line.
    void ShowError(const std::wstring& text);

    // OK (the button or Enter in the edit box) and Cancel (the button or
    // Escape).
    void Accept();
    void Cancel();
    // The dialog is closing, not by OK or Cancel: the same as Cancel.
    void Closed();

    SkinnableWindow* Window() const { return window_.get(); }
    GUIEdit* NameEdit() const { return nameEdit_; }
    GUIText* ErrorText() const { return errorText_; }
    GUIButton* OkButton() const { return okButton_; }
    GUIButton* CancelButton() const { return cancelButton_; }
    // Null when no post-capture command is configured.
    GUIToggle* RunCommandToggle() const { return runCommandToggle_; }

private:
    void End(bool accepted);

    Validator validator_ = nullptr;
    std::unique_ptr<SkinnableWindow> window_;
    // Owned by the window, which paints them.
    GUIText* promptText_ = nullptr;
    GUIEdit* nameEdit_ = nullptr;
    GUIText* errorText_ = nullptr;
    GUIButton* okButton_ = nullptr;
    GUIButton* cancelButton_ = nullptr;
    GUIImage* glow_ = nullptr;
    GUIToggle* runCommandToggle_ = nullptr;
    bool accepted_ = false;
    bool ended_ = false;
};

// The file-name check the capture attaches: shows the first problem found
// in the error line and keeps the dialog open.
bool ValidateCaptureFileName(CapturePrompt& prompt);
