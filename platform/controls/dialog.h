// The dialog base class. For now only what a dialog object needs to exist
// without a window: its template number and its parent.
#pragma once

#include "platform/base/types.h"

class CWnd;

class CDialog {
public:
    explicit CDialog(UINT nIDTemplate = 0, CWnd* pParent = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}
    virtual ~CDialog() = default;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
