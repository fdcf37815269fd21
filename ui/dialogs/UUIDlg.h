// Shows the user-to-user information a call received, sends new information
// to the other party and releases what was received.
#pragma once

#include <ui/dialogs/CallDetailDlg.h>

#include <QString>

/// A modal dialog on the user-interface thread (see CCallDetailDlg).
class CUUIDlg : public CCallDetailDlg {
public:
    static constexpr int IDD = 1082;
    static constexpr int IDC_TEXT = 1041;
    static constexpr int IDC_DATA = 2006;
    static constexpr int IDC_RELEASE = 1; ///< "ReleaseUUI"
    static constexpr int IDC_SEND = 3;    ///< "Send UUI"
    /// The most bytes sent, the terminating zero not counted.
    static constexpr DWORD kMaxSendBytes = 999;

    CUUIDlg(QWidget *parent, CTapiCall *call);

protected:
    /// The viewer shows the information received; "ReleaseUUI" follows
    /// LINECALLFEATURE_RELEASEUSERUSERINFO, the text and "Send UUI"
    /// LINECALLFEATURE_SENDUSERUSER; the text is limited to the line's
    /// dwUUISendUserUserInfoSize.
    void OnInitDialog() override;

private:
    /// lineReleaseUserUserInfo; then, also after a failure, "ReleaseUUI" is
    /// enabled only while the call still offers the release, and the viewer
    /// shows the information as now cached.
    void OnRelease();
    /// Sends the text (at most 999 bytes in the user's 8-bit code page) with a
    /// terminating zero (lineSendUserUserInfo). The viewer stays as it is.
    void OnSend();
    void ShowUserUserInfo();

    CHexEdit *data_ = nullptr;
    QString text_;
};
