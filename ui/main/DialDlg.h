// Asks for one number for a call command: digits to dial, an extension to park
// the call at (empty for a non-directed park) or a number to redirect it to.
// "Translate" runs the number through the line's dialing rules.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

class CTapiLine;

/// A modal dialog on the user-interface thread. The mode is the LINECALLFEATURE_
/// value of the command it serves: LINECALLFEATURE_DIAL, _PARK or _REDIRECT (any
/// other value is taken as dial). It issues no call request itself.
class CDialDlg : public win::Dialog {
public:
    static constexpr int IDD = 1083;
    static constexpr int IDC_NUMBER = 2007;
    static constexpr int IDC_INSTRUCTIONS = 2015;
    static constexpr int IDC_TRANSLATE = 1012;
    /// The most characters the user can type as the number.
    static constexpr int kNumberLimit = 100;
    /// Bytes of the LINETRANSLATEOUTPUT that "Translate" hands to TAPI.
    static constexpr DWORD kTranslateOutputSize = 1024;

    /// `line` is used only by "Translate" and may be null (translation then
    /// does nothing). The line is not owned and must outlive the dialog.
    CDialDlg(QWidget *parent, CTapiLine *line, DWORD mode);

    /// The number as the dialog ended with IDOK (possibly translated); empty
    /// for a non-directed park.
    const QString &GetNumber() const { return number_; }
    void SetNumber(const QString &number) { number_ = number; }
    DWORD GetMode() const { return mode_; }

protected:
    void OnInitDialog() override;

private:
    void OnNumberChange();
    /// Replaces the number by its dialable form (lineTranslateAddressW). A failure
    /// is reported as "lineTranslateAddress" in the main window's status line and
    /// leaves the number as typed.
    void OnTranslate();

    CTapiLine *line_;
    DWORD mode_;
    QString number_;
    QString instructions_;
};
