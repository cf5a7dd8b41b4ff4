// Another process on the desktop, for tests of what the program accepts from
// outside. Usage:
//   foreign_sender post|send WINDOW MESSAGE WPARAM LPARAM [WPARAM LPARAM ...]
// WINDOW, WPARAM and LPARAM are numbers (decimal or 0x hex); MESSAGE is a
// number or the name of a registered message. One message goes out for each
// pair, in order. "send" waits up to 5 s for each reply and prints it. Exit
// code 0 when every message was delivered.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

unsigned long long Number(const wchar_t* text) { return std::wcstoull(text, nullptr, 0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: foreign_sender post|send WINDOW MESSAGE WPARAM LPARAM [WPARAM LPARAM ...]\n");
        return 64;
    }
    const bool post = std::wstring(argv[1]) == L"post";
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(Number(argv[2])));
    const UINT message = iswdigit(argv[3][0]) ? static_cast<UINT>(Number(argv[3])) : RegisterWindowMessageW(argv[3]);
    int failures = 0;
    for (int i = 4; i + 1 < argc; i += 2) {
        const WPARAM wParam = static_cast<WPARAM>(Number(argv[i]));
        const LPARAM lParam = static_cast<LPARAM>(Number(argv[i + 1]));
        DWORD_PTR reply = 0;
        if (post) {
            if (!PostMessageW(window, message, wParam, lParam)) ++failures;
        } else if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &reply)) {
            std::printf("%llu\n", static_cast<unsigned long long>(reply));
        } else {
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
