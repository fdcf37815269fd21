// Shows the call data of a call and sets new call data from a text.
#pragma once

#include <ui/dialogs/CallDetailDlg.h>

#include <QString>

/// A modal dialog on the user-interface thread (see CCallDetailDlg).
class CCallDataDlg : public CCallDetailDlg {
public:
    static constexpr int IDD = 1081;
    static constexpr int IDC_TEXT = 1041;
    static constexpr int IDC_DATA = 2006;

    CCallDataDlg(QWidget *parent, CTapiCall *call);

protected:
    /// The viewer shows the call data; the text can be edited only when the
    /// call offers LINECALLFEATURE_SETCALLDATA, up to the address's
    /// dwMaxCallDataSize characters. "SetCallData" waits for a text.
    void OnInitDialog() override;

private:
    /// Sends the text in the user's 8-bit code page with its terminating zero
    /// (lineSetCallData), then shows the call data as now cached, also after
    /// a failure.
    void OnSetCallData();
    void ShowCallData();

    CHexEdit *data_ = nullptr;
    QString text_;
};
