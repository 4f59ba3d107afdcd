// The standard colour dialog. Full open (CC_FULLOPEN) it shows, beside the
// 48 basic and 16 custom colours, the hue/saturation spectrum with the
// luminance bar, the Hue/Sat/Lum and Red/Green/Blue fields and "Add to
// Custom Colors". Hue, saturation and luminance run from 0 to 240 (hue
// below 240). OK gives the current colour; Cancel leaves the result alone.
#pragma once

#include "platform/controls/dialog.h"
#include "platform/controls/edit.h"

struct CHOOSECOLOR {
    DWORD lStructSize = sizeof(CHOOSECOLOR);
    HWND hwndOwner = nullptr;
    COLORREF rgbResult = 0;
    COLORREF* lpCustColors = nullptr;   // 16 colours, read at start and written on OK
    DWORD Flags = 0;
};

// Control ids of the dialog.
constexpr int IDC_COLOR_HUE = 703;
constexpr int IDC_COLOR_SAT = 704;
constexpr int IDC_COLOR_LUM = 705;
constexpr int IDC_COLOR_RED = 706;
constexpr int IDC_COLOR_GREEN = 707;
constexpr int IDC_COLOR_BLUE = 708;
constexpr int IDC_COLOR_ADD = 712;
constexpr int IDC_COLOR_MIX = 719;

// Hue, saturation and luminance on the 0..240 scale and back.
void RgbToHls(COLORREF rgb, int* hue, int* lum, int* sat);
COLORREF HlsToRgb(int hue, int lum, int sat);

class CColorDialog : public CDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);

    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF colour);
    COLORREF GetCurrentColor() const { return m_current; }
    // The program-wide custom colours (16), used when m_cc.lpCustColors is null.
    static COLORREF* GetSavedCustomColors();
    static const COLORREF* BasicColors();   // 48, rows of 8

    // Where things are, client coordinates (for tests and hit testing).
    CRect BasicSwatchRect(int index) const;
    CRect CustomSwatchRect(int index) const;
    CRect SpectrumRect() const;
    CRect LuminanceRect() const;

    CHOOSECOLOR m_cc;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetFromHls(int hue, int lum, int sat);
    void UpdateFields();
    void OnFieldChanged(int id);
    void OnLButtonDown(CPoint pt);
    void Track(CPoint pt);
    void OnPaint();
    void BuildSpectrum();
    CEdit* Field(int id) const;

    DialogTemplate m_tmpl;
    COLORREF m_current = 0;
    int m_hue = 160, m_lum = 0, m_sat = 0;
    int m_selBasic = -1;
    int m_selCustom = -1;
    int m_nextCustom = 0;
    int m_tracking = 0;   // 1 spectrum, 2 luminance bar
    bool m_updating = false;
    COLORREF m_custom[16] = {};
    CBitmap m_spectrum;
};
