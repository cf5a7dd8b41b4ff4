// The skin is drawn at several scales: at 100 % in the skin folder itself,
// at the others in a folder named after the percentage inside it, with the
// same names ("skin\150\buttons\ok.png" beside "skin\buttons\ok.png"). Every
// picture of a set is its 100 % picture's size scaled by the program's one
// rounding rule. Free of Win32.
#pragma once

#include <string>

// The sets there are, in percent, smallest first.
constexpr int kSkinSetPercents[] = {100, 150, 200};

// The set a picture for `dpi` is taken from: the smallest drawn at least as
// large, so that a picture is only ever made smaller (sharper than made
// larger); beyond the largest set, the largest.
int SkinSetFor(int dpi);
// The DPI a set is drawn for (150 → 144).
int SkinSetDpi(int setPercent);
// A picture's side at `dpi`: its 100 % side scaled by the one rounding rule,
// except that a side of one pixel stays one: such a picture is a slice that
// its widget repeats in that direction.
int ScaledPictureLength(int length, int dpi);

// Where the set keeps a picture of the skin folder: "skin\buttons\ok.png"
// at 150 is "skin\150\buttons\ok.png". The 100 % set gives the path back;
// a path outside "skin\" gives an empty text.
std::wstring SkinSetPath(const std::wstring& relativePath, int setPercent);
