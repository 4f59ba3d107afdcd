#include "platform/controls/dlgtemplate.h"

#include <map>

#include "platform/gfx/dc.h"

DialogItemTemplate& DialogTemplate::Add(const char16_t* className, int id, const CString& text,
                                        DWORD style, int x, int y, int cx, int cy, DWORD exStyle) {
    DialogItemTemplate item;
    item.className = className;
    item.id = id;
    item.text = text;
    item.style = style;
    item.exStyle = exStyle;
    item.place = CRect(x, y, x + cx, y + cy);
    controls.push_back(std::move(item));
    return controls.back();
}

namespace {
std::map<UINT, DialogTemplate>& Registry() {
    static std::map<UINT, DialogTemplate> templates;
    return templates;
}
}  // namespace

void RegisterDialogTemplate(UINT id, DialogTemplate tmpl) { Registry()[id] = std::move(tmpl); }

const DialogTemplate* FindDialogTemplate(UINT id) {
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : &it->second;
}

CSize DialogBaseUnits(const char16_t* face, int pointSize) {
    CFont font;
    if (!font.CreatePointFont(pointSize * 10, face)) return CSize(6, 13);
    CDC dc;
    dc.SelectObject(&font);
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    CSize ext = dc.GetTextExtent(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int cx = (ext.cx / 26 + 1) / 2;
    int cy = tm.tmHeight;
    return CSize(cx > 0 ? cx : 6, cy > 0 ? cy : 13);
}

static int MulDivRound(int v, int num, int den) {
    long long p = (long long)v * num;
    return int(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
}

CRect DialogUnitsToPixels(const CRect& dlu, CSize base) {
    return CRect(MulDivRound(dlu.left, base.cx, 4), MulDivRound(dlu.top, base.cy, 8),
                 MulDivRound(dlu.right, base.cx, 4), MulDivRound(dlu.bottom, base.cy, 8));
}
