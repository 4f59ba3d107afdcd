// The dialog class: a window made from a template, with data exchange, the
// dialog manager's keyboard handling and the application's dialog colours.
//
// Call flow of a modal run: DoModal → owner disabled → CreateFromTemplate
// (window, font, controls in template order) → WM_INITDIALOG → OnInitDialog
// (UpdateData(FALSE) → DoDataExchange) → focus on the first tab stop →
// modal loop → OnOK (UpdateData(TRUE)) / OnCancel → EndDialog → window
// destroyed → owner enabled and active again → result.
//
// Keys reach the dialog manager (PreTranslateMessage → IsDialogMessage)
// before the focused control: Tab and Shift+Tab move through the WS_TABSTOP
// controls in template order, Enter presses the default button, Esc is
// Cancel, each unless the control's WM_GETDLGCODE asks for the key.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/types.h"
#include "platform/controls/ctrlconst.h"
#include "platform/controls/dlgtemplate.h"
#include "platform/win/wnd.h"

class CDialog;

// One pass of data exchange. On a failed read the pass stops (Fail), the
// focus goes to the control concerned and UpdateData returns FALSE.
class CDataExchange {
public:
    CDataExchange(CDialog* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
    // The control's handle; null (and the pass failed) when the dialog has
    // no such control.
    HWND PrepareCtrl(int id);
    void Fail() { m_bFailed = true; }

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    bool m_bFailed = false;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
// Writing selects the first item that begins with the value, without regard
// to case; reading gives the selected item's text (empty when none is).
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
// Seconds since 1970 UTC, shown in local time.
void DDX_DateTimeCtrl(CDataExchange* pDX, int id, std::int32_t& value);
void DDX_DateTimeCtrl(CDataExchange* pDX, int id, std::int64_t& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Check(CDataExchange* pDX, int id, bool& value);

// The application-wide dialog colours: background of dialogs, static text
// and tick boxes, and their text colour.
void SetDialogBkColor(COLORREF background = RGB(192, 192, 192), COLORREF text = RGB(0, 0, 0));
// Back to the system colours.
void ResetDialogBkColor();
bool GetDialogColors(COLORREF* background, COLORREF* text);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate = 0, CWnd* pParent = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}
    ~CDialog() override = default;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    // A template given here wins over m_nIDTemplate (it must outlive the run).
    void SetTemplate(const DialogTemplate* tmpl) { m_pTemplate = tmpl; }
    const DialogTemplate* GetTemplate() const;

    // Modal run; IDOK, IDCANCEL or EndDialog's value; -1 when the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    using CWnd::Create;  // keep the generic form reachable beside this one
    // Modeless: creates the window and returns FALSE when that fails.
    BOOL Create(UINT nIDTemplate, CWnd* pParent = nullptr);
    BOOL CreateIndirect(const DialogTemplate& tmpl, CWnd* pParent = nullptr);
    void EndDialog(int result);
    BOOL IsModal() const { return m_bModal; }

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void OnOK();
    virtual void OnCancel();
    // Control colours: the application's dialog colours for the dialog, static
    // text and buttons, the platform's for the rest.
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    // Focus and the default button.
    void GotoDlgCtrl(CWnd* ctrl);
    void NextDlgCtrl();
    void PrevDlgCtrl();
    void SetDefID(UINT id);
    DWORD GetDefID() const;
    // The next (or previous) enabled, visible WS_TABSTOP control after ctrl,
    // in template order, wrapping.
    CWnd* GetNextDlgTabItem(CWnd* ctrl, BOOL previous = FALSE) const;
    BOOL IsDialogMessage(MSG* msg);
    // Push buttons: the focused one looks like the default, else the DM_SETDEFID one.
    void UpdateDefaultButtonLook(CWnd* focus);

    // A message box owned by this dialog (caption null: "Error").
    int MessageBox(const char16_t* text, const char16_t* caption = nullptr, UINT type = MB_OK);

    void SetDlgItemText(int id, const CString& text);
    CString GetDlgItemText(int id) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    // Dialog units to pixels with this dialog's font.
    void MapDialogRect(CRect* rect) const;
    CSize GetBaseUnits() const { return m_baseUnits; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    void PostNcDestroy() override;

private:
    BOOL CreateFromTemplate(const DialogTemplate& tmpl, CWnd* owner);
    LRESULT OnEraseBkgnd(CDC* dc);
    void FocusControl(CWnd* ctrl);

    const DialogTemplate* m_pTemplate = nullptr;
    CFont m_font;
    CSize m_baseUnits{6, 13};
    UINT m_defId = IDOK;
    bool m_bModal = false;
    bool m_bEnded = false;
    int m_nResult = -1;
    HWND m_hWndFocus = nullptr;
};

// Controls call this when they take the focus, so the dialog's default
// button look follows it.
void NotifyDialogFocus(CWnd* ctrl);
