#include <ui/dialogs/UUIDlg.h>

#include <app/TapiText.h>
#include <ui/controls/HexEdit.h>
#include <ui/dialogs/DialogParts.h>

#include "CTapiLine.h"
#include "TapiCodePage.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

CUUIDlg::CUUIDlg(QWidget *parent, CTapiCall *call) : CCallDetailDlg(parent, call)
{
    static const win::ControlTemplate controls[] = {
        {IDC_TEXT, win::ControlKind::Edit, "", win::Style::Disabled},
        {IDC_RELEASE, win::ControlKind::PushButton, "ReleaseUUI", win::Style::Disabled},
        {IDC_SEND, win::ControlKind::PushButton, "Send UUI", win::Style::Disabled},
        {win::IDCANCEL, win::ControlKind::PushButton, "Close"},
    };
    data_ = AddHexViewer(IDC_DATA);
    AddControls(controls);
    BindText(IDC_TEXT, text_);
    OnNotify(IDC_TEXT, win::Notify::TextChange,
             [this] { EnableDlgItem(IDC_SEND, !GetDlgItemText(IDC_TEXT).isEmpty()); });
    OnClicked(IDC_RELEASE, [this] { OnRelease(); });
    OnClicked(IDC_SEND, [this] { OnSend(); });

    auto *received = new QGroupBox(QStringLiteral("User to User Information"));
    auto *receivedLayout = new QVBoxLayout(received);
    receivedLayout->addWidget(GetDlgItem(IDC_DATA));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(received, 1);
    layout->addWidget(AddLabel(QStringLiteral("Information to send:"), IDC_TEXT));
    layout->addWidget(GetDlgItem(IDC_TEXT));
    layout->addLayout(ButtonRow(*this, {IDC_RELEASE, IDC_SEND, win::IDCANCEL}));
    setWindowTitle(QStringLiteral("User to User Information"));
}

void CUUIDlg::OnInitDialog()
{
    CCallDetailDlg::OnInitDialog();
    ShowUserUserInfo();
    const DWORD features = FreshCallFeatures();
    EnableDlgItem(IDC_RELEASE, (features & LINECALLFEATURE_RELEASEUSERUSERINFO) != 0);
    const bool canSend = (features & LINECALLFEATURE_SENDUSERUSER) != 0;
    EnableDlgItem(IDC_TEXT, canSend);
    EnableDlgItem(IDC_SEND, false);
    CTapiLine *line = Call().GetLine();
    if (const auto caps = line ? line->GetLineCaps() : nullptr) {
        // The text goes with its terminating zero: one character less fits.
        const DWORD size = caps->dwUUISendUserUserInfoSize;
        LimitText(IDC_TEXT, int(size > 1 ? std::min(size - 1, kMaxSendBytes) : kMaxSendBytes));
    }
}

void CUUIDlg::ShowUserUserInfo()
{
    const auto info = Call().GetCallInfo(false);
    ShowInfoField(*data_, info.get(), info ? info->dwUserUserInfoOffset : 0, info ? info->dwUserUserInfoSize : 0);
}

void CUUIDlg::OnRelease()
{
    if (TakeOwner())
        WaitAndReport("lineReleaseUserUserInfo", Call().ReleaseUserUserInfo());
    EnableDlgItem(IDC_RELEASE, (FreshCallFeatures() & LINECALLFEATURE_RELEASEUSERUSERINFO) != 0);
    ShowUserUserInfo();
}

void CUUIDlg::OnSend()
{
    UpdateData(true);
    if (!TakeOwner())
        return;
    std::string bytes = EncodeAnsiText(ToTapiString(text_));
    if (bytes.size() > kMaxSendBytes)
        bytes.resize(kMaxSendBytes);
    const auto size = static_cast<DWORD>(bytes.size() + 1);
    WaitAndReport("lineSendUserUserInfo", Call().SendUserUserInfo(bytes.c_str(), size));
}
