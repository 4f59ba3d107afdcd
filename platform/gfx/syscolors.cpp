#include "platform/gfx/syscolors.h"

#include <array>
#include <memory>

#include "platform/gfx/gdiobj.h"

namespace {

// The classic desktop scheme.
constexpr std::array<COLORREF, kSysColorCount> kClassic = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25, unused
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

struct Table {
    std::array<COLORREF, kSysColorCount> colors = kClassic;
    std::array<std::unique_ptr<CBrush>, kSysColorCount> brushes;
};

Table& table() {
    static Table t;
    return t;
}

bool valid(int index) { return index >= 0 && index < kSysColorCount; }

}  // namespace

COLORREF GetSysColor(int index) {
    return valid(index) ? table().colors[index] : RGB(0, 0, 0);
}

CBrush* GetSysColorBrush(int index) {
    if (!valid(index)) return nullptr;
    auto& b = table().brushes[index];
    if (!b) {
        b = std::make_unique<CBrush>(table().colors[index]);
        b->MakePermanent();
    }
    return b.get();
}

bool SetSysColor(int index, COLORREF color) {
    if (!valid(index)) return false;
    table().colors[index] = color & 0x00FFFFFF;
    // The brush keeps its handle, so contexts and classes holding it see the change.
    if (auto& b = table().brushes[index]) static_cast<BrushData*>(b->GetSafeHandle())->color = color & 0x00FFFFFF;
    return true;
}

void ResetSysColors() {
    for (int i = 0; i < kSysColorCount; ++i) SetSysColor(i, kClassic[i]);
}
