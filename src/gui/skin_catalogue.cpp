#include "gui/skin_catalogue.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <share.h>
#include <string>

#include "base/product.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "gui/skin_sets.h"

namespace {

void ReportError(const wchar_t* text) {
    AskUser(nullptr, text, kProductName, MB_ICONERROR);
}

// Ordered byte-wise by index name: the first missing file reported is the
// one whose name sorts first.
std::map<std::string, std::wstring>& Catalogue() {
    static auto* catalogue = new std::map<std::string, std::wstring>;  // lives until exit
    return *catalogue;
}

// The program folder the catalogue was last filled from.
std::wstring& CatalogueFolder() {
    static auto* folder = new std::wstring;  // lives until exit
    return *folder;
}

bool CanOpen(const std::wstring& path) {
    FILE* file = _wfsopen(path.c_str(), L"rb", _SH_DENYNO);
    if (!file) return false;
    fclose(file);
    return true;
}

}  // namespace

const std::vector<SkinCatalogueRow>& SkinCatalogueRows() {
    static const std::vector<SkinCatalogueRow> rows = {
        {"BG_TOP", L"skin\\background\\top.png"},
        {"BG_MIDDLE", L"skin\\background\\middle.png"},
        {"BG_BOTTOM", L"skin\\background\\bottom.png"},
        {"BTN_CLOSE", L"skin\\buttons\\close.png"},
        {"BTN_CLOSE_HOVER", L"skin\\buttons\\close_hover.png"},
        {"BTN_SETTINGS", L"skin\\buttons\\settings.png"},
        {"BTN_SETTINGS_HOVER", L"skin\\buttons\\settings_hover.png"},
        {"BTN_SCREENSHOT", L"skin\\buttons\\screenshot.png"},
        {"BTN_SCREENSHOT_HOVER", L"skin\\buttons\\screenshot.png"},
        {"BTN_WNDGRAB", L"skin\\buttons\\windowgrab.png"},
        {"BTN_WNDGRAB_HOVER", L"skin\\buttons\\windowgrab.png"},
        {"MAIN_GLOW", L"skin\\background\\glow.png"},
        {"BTN_LOGO", L"skin\\buttons\\vantorel.png"},
        {"BTN_LOGO_HOVER", L"skin\\buttons\\vantorel_hover.png"},
        {"DROP_NORMAL", L"skin\\droparea\\normal.png"},
        {"DROP_UPLOADING", L"skin\\droparea\\uploading.png"},
        {"DROP_ERROR", L"skin\\droparea\\error.png"},
        {"DROP_CANCEL", L"skin\\droparea\\cancel.png"},
        {"DROP_CANCEL_HOVER", L"skin\\droparea\\cancel_hover.png"},
        {"IMAGE_HISTORY_HEADER", L"skin\\history\\heading.png"},
        {"PROG_LEFT", L"skin\\progress\\left.png"},
        {"PROG_CENTER", L"skin\\progress\\center.png"},
        {"PROG_RIGHT", L"skin\\progress\\right.png"},
        {"SETTINGS_HEADING", L"skin\\settings\\heading.png"},
        {"SETTINGS_ACCOUNT", L"skin\\settings\\account.png"},
        {"SETTINGS_GENERAL", L"skin\\settings\\general.png"},
        {"SETTINGS_COPYRIGHT", L"skin\\settings\\copyright.png"},
        {"SETTINGS_LOGIN", L"skin\\settings\\login.png"},
        {"SETTINGS_LOGIN_HOVER", L"skin\\settings\\login_hover.png"},
        {"SETTINGS_LOGOUT", L"skin\\settings\\logout.png"},
        {"SETTINGS_LOGOUT_HOVER", L"skin\\settings\\logout_hover.png"},
        {"TOGGLE_CLEAR", L"skin\\toggle\\clear.png"},
        {"HI_DEFAULT_THUMB", L"skin\\history\\no_thumb.png"},
        {"HI_THUMB_MASK", L"skin\\history\\thumb_mask.png"},
        {"HI_THUMB_OVERLAY", L"skin\\history\\thumb_overlay.png"},
        {"HI_BTN_COPYURL", L"skin\\buttons\\copyurl.png"},
        {"HI_BTN_COPYURL_HOVER", L"skin\\buttons\\copyurl_hover.png"},
        {"HI_BTN_DELETE", L"skin\\buttons\\delete.png"},
        {"HI_BTN_DELETE_HOVER", L"skin\\buttons\\delete_hover.png"},
        {"HI_BTN_RETRY", L"skin\\buttons\\retry.png"},
        {"HI_BTN_RETRY_HOVER", L"skin\\buttons\\retry_hover.png"},
        {"HI_FAILED_THUMB", L"skin\\history\\failed.png"},
        {"HI_HIGHLIGHT", L"skin\\history\\highlight.png"},
        {"BTN_SEARCH", L"skin\\buttons\\search.png"},
        {"BTN_SEARCH_HOVER", L"skin\\buttons\\search_hover.png"},
        {"SB_BG_TOP", L"skin\\scrollbar\\bg_top.png"},
        {"SB_BG_MIDDLE", L"skin\\scrollbar\\bg_middle.png"},
        {"SB_BG_BOTTOM", L"skin\\scrollbar\\bg_bottom.png"},
        {"SB_TOP", L"skin\\scrollbar\\top.png"},
        {"SB_MIDDLE", L"skin\\scrollbar\\middle.png"},
        {"SB_BOTTOM", L"skin\\scrollbar\\bottom.png"},
        {"TGL_SELECTED", L"skin\\toggle\\selected.png"},
        {"TGL_CLEAR", L"skin\\toggle\\clear.png"},
        {"TGL_SELECTED_HOVER", L"skin\\toggle\\selected_hover.png"},
        {"TGL_CLEAR_HOVER", L"skin\\toggle\\clear_hover.png"},
        {"TOAST_BG", L"skin\\toast\\background.png"},
        {"TOAST_SUCCESS", L"skin\\toast\\success.png"},
        {"TOAST_FAILURE", L"skin\\toast\\failure.png"},
        {"SS_TOP_LEFT", L"skin\\screenshot\\top_left.png"},
        {"SS_TOP_RIGHT", L"skin\\screenshot\\top_right.png"},
        {"SS_BOTTOM_LEFT", L"skin\\screenshot\\bottom_left.png"},
        {"SS_BOTTOM_RIGHT", L"skin\\screenshot\\bottom_right.png"},
        {"SS_UPLOAD", L"skin\\screenshot\\upload.png"},
        {"INPUT_GLOW", L"skin\\background\\glow_input.png"},
        {"BTN_OK", L"skin\\buttons\\ok.png"},
        {"BTN_OK_HOVER", L"skin\\buttons\\ok_hover.png"},
        {"BTN_CANCEL", L"skin\\buttons\\cancel.png"},
        {"BTN_CANCEL_HOVER", L"skin\\buttons\\cancel_hover.png"},
        {"SHORTCUTS_HEADING", L"skin\\settings\\shortcuts_heading.png"},
        {"SHORTCUTS_CARD", L"skin\\settings\\shortcuts.png"},
        {"SHORTCUTS_DONE", L"skin\\settings\\done.png"},
        {"SHORTCUTS_DONE_HOVER", L"skin\\settings\\done_hover.png"},
        {"COUNTDOWN_BG", L"skin\\countdown\\background.png"},
    };
    return rows;
}

bool LoadSkinCatalogue(const std::string& programFolder) {
    // The program folder is kept as UTF-8 so install paths outside the ANSI
    // code page survive; files are opened through the wide form.
    const std::wstring folder = Utf8ToWide(programFolder);
    auto& catalogue = Catalogue();
    CatalogueFolder() = folder;
    for (const SkinCatalogueRow& row : SkinCatalogueRows()) {
        catalogue[row.name] = folder + row.relativePath;
    }
    for (const auto& [name, path] : catalogue) {
        if (CanOpen(path)) continue;
        wchar_t text[3000];
        _snwprintf(text, 3000, L"Missing skin file: %ls\nExpected path: %ls",
                   Utf8ToWide(name).c_str(), path.c_str());
        text[2999] = L'\0';
        ReportError(text);
        return false;
    }
    return true;
}

const wchar_t* SkinPath(const char* name) {
    const auto& catalogue = Catalogue();
    const auto found = catalogue.find(name ? name : "");
    if (found != catalogue.end()) return found->second.c_str();
    char text[1024];
    snprintf(text, sizeof text, "Missing skin index: %s", name ? name : "");
    ReportError(Utf8ToWide(text).c_str());
    return L"";
}

std::wstring SkinSetFile(const std::wstring& path, int setPercent) {
    const std::wstring& folder = CatalogueFolder();
    if (folder.empty() || path.compare(0, folder.size(), folder) != 0) return std::wstring();
    const std::wstring relative = SkinSetPath(path.substr(folder.size()), setPercent);
    return relative.empty() ? relative : folder + relative;
}
