// Dialog templates as data: the dialog's style, place and font, and its
// controls in tab order, all in dialog units. The resource layer registers
// the program's templates by number; dialogs built in code (message boxes,
// the colour dialog) make their own.
#pragma once

#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/text.h"
#include "platform/base/types.h"

struct DialogItemTemplate {
    CString className;    // WC_BUTTON, WC_EDIT, ... or any registered class
    int id = 0;
    CString text;
    DWORD style = 0;      // WS_CHILD and WS_VISIBLE are added unless the item opts out with hidden
    DWORD exStyle = 0;
    CRect place;          // dialog units: left, top, right, bottom
    bool hidden = false;
    std::vector<CString> items;   // combo boxes: the list, in order
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    CRect place;          // dialog units; the size is that of the client area
    CString caption;
    CString fontFace = u"MS Sans Serif";
    int pointSize = 8;
    std::vector<DialogItemTemplate> controls;

    // Convenience for templates written in code.
    DialogItemTemplate& Add(const char16_t* className, int id, const CString& text, DWORD style,
                            int x, int y, int cx, int cy, DWORD exStyle = 0);
};

// Templates by resource number. Registering a number again replaces it.
void RegisterDialogTemplate(UINT id, DialogTemplate tmpl);
const DialogTemplate* FindDialogTemplate(UINT id);

// Dialog base units of a font: the average width of the letters and the
// line height, as the platform measures them.
CSize DialogBaseUnits(const char16_t* face, int pointSize);
// One dialog-unit rectangle in pixels for the given base units.
CRect DialogUnitsToPixels(const CRect& dlu, CSize baseUnits);
