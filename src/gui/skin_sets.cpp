#include "gui/skin_sets.h"

#include "base/display_scale.h"

namespace {
constexpr wchar_t kSkinFolder[] = L"skin\\";
constexpr std::size_t kSkinFolderLength = sizeof kSkinFolder / sizeof kSkinFolder[0] - 1;
}  // namespace

int SkinSetFor(int dpi) {
    const int wanted = UsableDpi(dpi);
    for (const int percent : kSkinSetPercents) {
        if (SkinSetDpi(percent) >= wanted) return percent;
    }
    return kSkinSetPercents[sizeof kSkinSetPercents / sizeof kSkinSetPercents[0] - 1];
}

int SkinSetDpi(int setPercent) {
    return setPercent * kBaseDpi / 100;
}

int ScaledPictureLength(int length, int dpi) {
    return length == 1 ? 1 : ScaleLength(length, dpi);
}

std::wstring SkinSetPath(const std::wstring& relativePath, int setPercent) {
    if (relativePath.compare(0, kSkinFolderLength, kSkinFolder) != 0) return std::wstring();
    if (setPercent == 100) return relativePath;
    return kSkinFolder + std::to_wstring(setPercent) + L"\\" + relativePath.substr(kSkinFolderLength);
}
