// "Contrast": a modeless tool window of the main window with the WCAG 2 contrast of the text
// and link colours against the page background, brought up to date on every change.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "framework/Afx.h"
#include "res/resource.h"

class CContrastDlg : public CDialog {
public:
    enum { IDD = IDD_CONTRAST };
    // What stands behind the page's text.
    enum class Backdrop { Color, Picture, DefaultWhite, UnreadablePicture };

    explicit CContrastDlg(CWnd* owner) : CDialog(IDD, owner) {}

    // Shows table's colours against the backdrop, given by its luminances in ascending order:
    // the background colour's, white's, or every colour's of the picture (none if unreadable).
    void Show(const int32_t* table, Backdrop backdrop, std::span<const double> luminances,
              std::string_view pictureName);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {} // Enter never closes it, as it never closes the main window

private:
    void SetCellText(int id, const char* text);
};

// The luminances of every colour of bitmap, ascending, read in one pass over its pixels;
// false when its pixels could not be read.
bool ReadPictureLuminances(HBITMAP bitmap, std::vector<double>& luminances);
