// Edit > Enter Color: a colour typed as a style sheet writes it, for the current role.
#pragma once
#include <cstdint>

#include "framework/Afx.h"
#include "res/resource.h"

class CEnterColorDlg : public CDialog {
public:
    enum { IDD = IDD_ENTER_COLOR };

    // label: the role's name as its radio button says it, with a colon; rgb: its colour, 0xRRGGBB.
    CEnterColorDlg(const CString& label, uint32_t rgb, CWnd* parent)
        : CDialog(IDD, parent), m_label(label), m_rgb(rgb) {}
    ~CEnterColorDlg() override;

    // The colour that OK took (0xRRGGBB); the one given at construction otherwise.
    uint32_t GetColor() const { return m_rgb; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The swatch, the resulting hex text, the reason and OK follow the text as it is typed.
    void OnTextChange();
    HBRUSH OnCtlColorStatic(HWND control);

private:
    CString m_label;
    uint32_t m_rgb;
    bool m_readable = false;
    uint32_t m_shown = 0;      // the colour that the text reads as, while m_readable
    HBRUSH m_swatch = nullptr; // owned: m_shown's brush

    DECLARE_MESSAGE_MAP()
};
