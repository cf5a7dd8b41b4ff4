// Message boxes answered by the test instead of a person: while a
// RecordedPrompts lives, every message box the program shows (through
// AskUser) is recorded and answered with `answer`. The innermost one records;
// when it goes, the one it was made inside records again.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class ScopedSeams;

struct RecordedPrompt {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};

class RecordedPrompts {
public:
    explicit RecordedPrompts(int answer = IDOK);
    ~RecordedPrompts();
    RecordedPrompts(const RecordedPrompts&) = delete;
    RecordedPrompts& operator=(const RecordedPrompts&) = delete;

    // A copy, safe while other threads ask.
    std::vector<RecordedPrompt> All() const;
    std::vector<std::wstring> Texts() const;
    void Clear();
    void SetAnswer(int answer);

private:
    static int Ask(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

    mutable std::mutex lock_;
    std::vector<RecordedPrompt> prompts_;
    int answer_;
    RecordedPrompts* previous_;
    std::unique_ptr<ScopedSeams> seams_;
};
