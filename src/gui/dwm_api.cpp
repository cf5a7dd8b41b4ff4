#include "gui/dwm_api.h"

namespace {

const DwmApi* replacementApi = nullptr;

DwmApi LoadFromLibrary() {
    DwmApi api;
    // Kept loaded for the life of the process, as a delay-loaded import is.
    HMODULE module = LoadLibraryW(L"dwmapi.dll");
    if (!module) return api;
    api.isCompositionEnabled = reinterpret_cast<decltype(api.isCompositionEnabled)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DwmIsCompositionEnabled")));
    api.enableBlurBehindWindow = reinterpret_cast<decltype(api.enableBlurBehindWindow)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DwmEnableBlurBehindWindow")));
    return api;
}

}  // namespace

const DwmApi* Dwm() {
    static const DwmApi library = LoadFromLibrary();
    const DwmApi* api = replacementApi ? replacementApi : &library;
    if (!api->isCompositionEnabled || !api->enableBlurBehindWindow) return nullptr;
    return api;
}

void OverrideDwm(const DwmApi* replacement) { replacementApi = replacement; }
