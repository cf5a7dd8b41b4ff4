// The resources linked into the executable: the icon groups (every size, with
// real alpha, in the order the shell indexes them), the two menus, the
// version record and the manifest. The test executable carries the same
// resource script as the program, so it inspects its own module.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <winver.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "base/product.h"
#include "resource_ids.h"

namespace {

const int kIconGroups[] = {IDI_MAIN,       IDI_TRAY_NORMAL,     IDI_TRAY_UPLOADING,
                           IDI_TRAY_ERROR, IDI_TASK_SCREENSHOT, IDI_TASK_WINDOWGRAB};
const int kIconSizes[] = {16, 32, 48};

HMODULE Self() { return GetModuleHandleW(nullptr); }

std::wstring SelfPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

// Top-down 32-bit pixels of an icon's colour bitmap; empty when unreadable.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgra;
};

IconPixels ReadIcon(HICON icon) {
    IconPixels out;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return out;
    BITMAP bitmap = {};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap)) {
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = bitmap.bmWidth;
        format.bmiHeader.biHeight = -bitmap.bmHeight;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        std::vector<unsigned char> bgra(size_t(bitmap.bmWidth) * bitmap.bmHeight * 4);
        HDC screen = GetDC(nullptr);
        const int rows = GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, bgra.data(), &format,
                                   DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        if (rows == bitmap.bmHeight) {
            out.width = bitmap.bmWidth;
            out.height = bitmap.bmHeight;
            out.bgra = std::move(bgra);
        }
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return out;
}

IconPixels LoadIconPixels(int id, int width, int height) {
    HICON icon = static_cast<HICON>(
        LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
    IconPixels pixels = ReadIcon(icon);
    if (icon) DestroyIcon(icon);
    return pixels;
}

// The raw bytes of a resource of this module, or null.
const unsigned char* ResourceData(LPCWSTR name, LPCWSTR type, DWORD* size) {
    HRSRC found = FindResourceW(Self(), name, type);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(Self(), found);
    if (!loaded) return nullptr;
    *size = SizeofResource(Self(), found);
    return static_cast<const unsigned char*>(LockResource(loaded));
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(list)->push_back(int(reinterpret_cast<ULONG_PTR>(name)));
    else
        reinterpret_cast<std::vector<int>*>(list)->push_back(-1);  // a named group has no place here
    return TRUE;
}

TEST(IconResources, EveryGroupHasEachSizeAsA32BitImage) {
    for (int id : kIconGroups) {
        DWORD groupSize = 0;
        const unsigned char* group = ResourceData(MAKEINTRESOURCEW(id), RT_GROUP_ICON, &groupSize);
        ASSERT_NE(group, nullptr) << "icon group " << id;
        for (int size : kIconSizes) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
            // The entry Windows picks for this size must be drawn at exactly that size,
            // not scaled from another one.
            const int imageId = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group), TRUE, size,
                                                            size, LR_DEFAULTCOLOR);
            ASSERT_NE(imageId, 0);
            DWORD imageSize = 0;
            const unsigned char* image = ResourceData(MAKEINTRESOURCEW(imageId), RT_ICON, &imageSize);
            ASSERT_NE(image, nullptr);
            ASSERT_GE(imageSize, sizeof(BITMAPINFOHEADER));
            BITMAPINFOHEADER header;
            memcpy(&header, image, sizeof header);
            EXPECT_EQ(header.biWidth, size);
            EXPECT_EQ(header.biHeight, 2 * size);  // colour and mask
            EXPECT_EQ(header.biBitCount, 32);
        }
    }
}

TEST(IconResources, LoadWithPerPixelAlpha) {
    for (int id : kIconGroups) {
        for (int size : kIconSizes) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
            const IconPixels pixels = LoadIconPixels(id, size, size);
            ASSERT_EQ(pixels.width, size);
            ASSERT_EQ(pixels.height, size);
            int clear = 0, opaque = 0, partial = 0;
            for (size_t i = 3; i < pixels.bgra.size(); i += 4) {
                const unsigned char alpha = pixels.bgra[i];
                if (alpha == 0) ++clear;
                else if (alpha == 255) ++opaque;
                else ++partial;
            }
            // Mostly a solid tile, with rounded corners and soft edges: proof that
            // the alpha channel survived, not just the one-bit mask.
            EXPECT_GT(opaque, size * size / 2);
            EXPECT_GT(partial, 0);
            EXPECT_GT(clear + partial, 4 * 2) << "the corners should let the background through";
            EXPECT_LT(pixels.bgra[3], 128) << "top-left corner";
        }
    }
}

TEST(IconResources, GroupsAreExactlyTheSixInShellOrder) {
    std::vector<int> names;
    EnumResourceNamesW(Self(), RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ(names, std::vector<int>(std::begin(kIconGroups), std::end(kIconGroups)));

    const std::wstring path = SelfPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 6u);
}

TEST(IconResources, ShellIndexFourAndFiveAreTheJumpListTasks) {
    const std::wstring path = SelfPath();
    // The two task icons must be told apart, or the comparison below proves nothing.
    ASSERT_NE(LoadIconPixels(IDI_TASK_SCREENSHOT, 32, 32).bgra,
              LoadIconPixels(IDI_TASK_WINDOWGRAB, 32, 32).bgra);

    // Only the large icon is compared: Wine makes the small one by shrinking a
    // larger image instead of taking the 16 px one.
    for (int index = 0; index < 6; ++index) {
        SCOPED_TRACE("shell index " + std::to_string(index));
        HICON large = nullptr;
        ASSERT_EQ(ExtractIconExW(path.c_str(), index, &large, nullptr, 1), 1u);
        const IconPixels pixels = ReadIcon(large);
        DestroyIcon(large);
        ASSERT_GT(pixels.width, 0);
        EXPECT_EQ(pixels.bgra, LoadIconPixels(kIconGroups[index], pixels.width, pixels.height).bgra);
    }
}

// One menu entry as read back: its id (0 for a separator, -1 for a popup) and text.
struct Entry {
    int id;
    std::wstring text;
    bool operator==(const Entry& other) const { return id == other.id && text == other.text; }
};

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << entry.id << " \"" << std::string(entry.text.begin(), entry.text.end()) << "\"";
}

std::vector<Entry> Entries(HMENU menu) {
    std::vector<Entry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        wchar_t text[128] = {};
        GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        int id = int(GetMenuItemID(menu, i));
        if (info.hSubMenu) id = -1;
        else if (info.fType & MFT_SEPARATOR) id = 0;
        entries.push_back({id, text});
    }
    return entries;
}

const std::vector<Entry> kUploadEntries = {
    {CMD_SCREENSHOT, L"Upload &Screenshot"},
    {CMD_WINDOW_GRAB, L"Upload &Window Grab"},
    {CMD_UPLOAD_FILE, L"Upload F&ile"},
    {CMD_UPLOAD_FOLDER, L"Upload F&older"},
    {CMD_UPLOAD_CLIPBOARD, L"Upload from &clipboard"},
    {0, L""},
    {CMD_SCREENSHOT_IN_3, L"Screenshot in &3 seconds"},
    {CMD_SCREENSHOT_IN_10, L"Screenshot in 1&0 seconds"},
};

TEST(MenuResources, TrayMenu) {
    HMENU menu = LoadMenuW(Self(), MAKEINTRESOURCEW(IDM_TRAY));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(menu), (std::vector<Entry>{{-1, L"vantorel"}}));
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Entries(popup), (std::vector<Entry>{
                                  {CMD_BRING_TO_FRONT, L"&Bring to front"},
                                  {CMD_SHOW_HIDE, L"S&how liftorn"},
                                  {0, L""},
                                  {CMD_SETTINGS, L"&Settings"},
                                  {-1, L"&Upload"},
                                  {0, L""},
                                  {CMD_EXIT, L"E&xit"},
                              }));
    HMENU upload = GetSubMenu(popup, 4);
    ASSERT_NE(upload, nullptr);
    EXPECT_EQ(Entries(upload), kUploadEntries);
    DestroyMenu(menu);
}

TEST(MenuResources, UploadMenu) {
    HMENU menu = LoadMenuW(Self(), MAKEINTRESOURCEW(IDM_UPLOAD));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(menu), (std::vector<Entry>{{-1, L"Upload"}}));
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Entries(popup), kUploadEntries);
    DestroyMenu(menu);
}

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring path = SelfPath();
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
        ASSERT_GT(size, 0u);
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    }

    std::wstring String(const wchar_t* name) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

    std::vector<unsigned char> block;
};

TEST_F(VersionResource, NumbersAndTranslation) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(3, std::sscanf(kProductVersion, "%u.%u.%u", &major, &minor, &patch));
    EXPECT_EQ(fixed->dwFileVersionMS, major << 16 | minor);  // 1.2
    EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);          // .5.0
    EXPECT_EQ(fixed->dwProductVersionMS, major << 16 | minor);
    EXPECT_EQ(fixed->dwProductVersionLS, patch << 16);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionResource, Strings) {
    EXPECT_EQ(String(L"ProductName"), L"vantorel liftorn");
    EXPECT_EQ(String(L"FileDescription"), L"vantorel liftorn");
    EXPECT_EQ(String(L"CompanyName"), L"vantorel");
    EXPECT_EQ(String(L"OriginalFilename"), L"liftorn.exe");
    EXPECT_EQ(String(L"ProductVersion"), kProductVersionWide);
}

TEST(ManifestResource, IsOursAsksForCommonControlsSixAndEachMonitorsScaling) {
    DWORD size = 0;
    const unsigned char* data = ResourceData(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24), &size);
    ASSERT_NE(data, nullptr);
    const std::string manifest(reinterpret_cast<const char*>(data), size);
    // The toolchain's default manifest would lack our identity.
    EXPECT_NE(manifest.find("name=\"vantorel.liftorn\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // Each monitor's scale: per monitor v2, per monitor where v2 is
    // unknown (Windows 10 before 1703), and the older setting's per-monitor
    // form for Windows 8.1.
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
}

}  // namespace
