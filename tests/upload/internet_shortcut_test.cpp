// The address read from an Internet-shortcut file the shell hands to
// "/uri": what the system's own profile reader would find, and nothing that
// is not a plain ASCII address.
#include "upload/internet_shortcut.h"

#include <gtest/gtest.h>

namespace {

std::string Utf16(const std::string& ascii, bool little) {
    std::string bytes = little ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
    for (const char c : ascii) bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
}

TEST(InternetShortcut, ReadsTheUrlAsTheProfileReaderFindsIt) {
    const std::string x = "http://files.example/x";
    struct Case {
        const char* name;
        std::string bytes;
        std::string url;
    };
    const Case cases[] = {
        {"as written", InternetShortcutBytes("http://h/ab/My%20Photo.png"), "http://h/ab/My%20Photo.png"},
        {"line feeds", "[InternetShortcut]\nURL=" + x + "\n", x},
        {"bare carriage returns, no last end", "[InternetShortcut]\rURL=" + x, x},
        {"any letter case, blanks and quotes", "[ internetSHORTCUT ]\r\n\t Url = \"" + x + "\" \r\n", x},
        {"single quotes", "[InternetShortcut]\nURL='" + x + "'\n", x},
        {"an unpaired quote stays", "[InternetShortcut]\nURL=\"" + x + "\n", "\"" + x},
        {"other sections and keys skipped",
         "URL=http://nosection/\n[Other]\nURL=http://other/\n[InternetShortcut]\nIconIndex=0\nURLX=y\nURL=" + x +
             "\nURL=http://second/\n",
         x},
        {"little-endian UTF-16", Utf16("[InternetShortcut]\r\nURL=" + x + "\r\n", true), x},
        {"big-endian UTF-16", Utf16("[InternetShortcut]\r\nURL=" + x + "\r\n", false), x},
        {"UTF-8 mark", "\xEF\xBB\xBF[InternetShortcut]\nURL=" + x + "\n", x},
        {"longest address", "[InternetShortcut]\nURL=" + std::string(kShortcutUrlLimit, 'a') + "\n",
         std::string(kShortcutUrlLimit, 'a')},
        // No usable address: nothing.
        {"no section", "URL=" + x + "\n", ""},
        {"no key", "[InternetShortcut]\nIconFile=x\n", ""},
        {"empty", "", ""},
        {"non-ASCII", "[InternetShortcut]\nURL=http://h/Caf\xC3\xA9\n", ""},
        {"control character", "[InternetShortcut]\nURL=http://h/a\x01" "b\n", ""},
        {"too long", "[InternetShortcut]\nURL=" + std::string(kShortcutUrlLimit + 1, 'a') + "\n", ""},
        {"too large a file",
         "[InternetShortcut]\nURL=" + x + "\n" + std::string(kShortcutFileLimitBytes, ';'), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.url, ShortcutFileUrl(c.bytes)) << c.name;
    }
}

}  // namespace
