// Small routines several overlay modules share: layered-window transparency,
// twips per pixel, a guarded replace-all, the direction of a vector and
// rectangle normalisation; plus the exact rounding rules of the overlay.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Round to nearest, ties to even; Trunc toward zero. Both saturate to the
// 32-bit range (NaN gives 0), so no caller value can cause undefined behaviour.
int32_t RoundSat(double v);
int32_t TruncSat(double v);
// A 64-bit intermediate clamped to 32 bits.
int32_t Clamp32(int64_t v);
// GDI's drawing and region arithmetic holds coordinates of 27 bits; beyond, it
// overflows (a circle near the end of the 32-bit range fills a whole picture).
// No display reaches that far, so a coordinate clamped to this range changes no
// pixel that can be seen.
constexpr int32_t kGdiCoordinateLimit = 1 << 27;
int32_t ClampGdi(int64_t v);

// Alpha byte for a transparency percentage, clamped to 0..100:
// (100 - p) * 255 / 100 in integers (0 % -> 255, 1 % -> 252, 100 % -> 0).
BYTE TransparencyAlpha(int percent);

// Makes the window layered with the alpha of Percent; ClickThrough adds
// WS_EX_TRANSPARENT, otherwise it is removed. False, and nothing changed,
// when the system lacks SetLayeredWindowAttributes.
bool SetLayeredTransparency(HWND window, int percent, bool clickThrough);

// 1440 div the screen's logical pixels per inch (desktop metrics).
int TwipsPerPixelX();
int TwipsPerPixelY();
// Mean of the two, set once at start-up; InitTwipsPerPixel recomputes it from
// the desktop metrics currently installed (tests install their own).
extern double TwipsPerPixel;
void InitTwipsPerPixel();

// Direction of (-dx, dy) in [0, 2*pi]; the zero vector gives 3*pi/2.
double VectorAngle(int32_t dx, int32_t dy);

// Result := Text with every Pattern replaced by Value, leftmost first;
// nothing is replaced when Value contains Pattern or Pattern is empty.
void ReplaceAll(const std::string& text, const std::string& pattern, const std::string& value,
                std::string& result);

// Target gets the smaller/larger of Source's left/right and top/bottom.
void NormalizeRect(const RECT& source, RECT& target);
