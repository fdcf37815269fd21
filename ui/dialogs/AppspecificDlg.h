// Edits the application-specific value of a call as eight hexadecimal digits.
// The main window reads the value before and sets it after the dialog.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

/// A modal dialog on the user-interface thread; it knows no call.
class CAppspecificDlg : public win::Dialog {
public:
    static constexpr int IDD = 1098;
    static constexpr int IDC_VALUE = 2048;

    explicit CAppspecificDlg(QWidget *parent = nullptr);

    /// The value shown when the dialog opens; after IDOK the value entered
    /// (unchanged when the text was emptied).
    DWORD GetValue() const { return value_; }
    void SetValue(DWORD value) { value_ = value; }

    /// Whether `text` is an acceptable value: at most 8 hexadecimal digits
    /// (an empty text is acceptable and keeps the value).
    static bool IsValidHex(const QString &text);

protected:
    void OnInitDialog() override;
    /// Takes a valid text as the value and ends with IDOK; any other text gets
    /// a message box and the dialog stays open.
    void OnOK() override;

private:
    DWORD value_ = 0;
};
