// The message box: the text, a caption, an icon and the buttons MB_OK,
// MB_OKCANCEL or MB_YESNO ask for, as a modal dialog centred on its owner
// (or the screen). With MB_OK, Enter, Esc, a click on OK and closing the
// window all answer IDOK.
#pragma once

#include "platform/base/text.h"
#include "platform/controls/ctrlconst.h"

int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type = MB_OK);
// With the program's title as caption and the active window as owner.
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);
void SetMessageBoxAppTitle(const CString& title);
