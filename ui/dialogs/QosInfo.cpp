#include <ui/dialogs/QosInfo.h>

#include <ui/controls/HexEdit.h>
#include <ui/dialogs/DialogParts.h>

#include <QGroupBox>
#include <QVBoxLayout>

namespace {

QGroupBox *Frame(const char *title, QWidget *viewer)
{
    auto *frame = new QGroupBox(QString::fromUtf8(title));
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(viewer);
    return frame;
}

} // namespace

CQosInfo::CQosInfo(QWidget *parent, CTapiCall *call) : CCallDetailDlg(parent, call)
{
    static const win::ControlTemplate controls[] = {
        {win::IDOK, win::ControlKind::PushButton, "Set QOS", win::Style::Disabled},
        {win::IDCANCEL, win::ControlKind::PushButton, "Close"},
    };
    sending_ = AddHexViewer(IDC_SENDING);
    receiving_ = AddHexViewer(IDC_RECEIVING);
    AddControls(controls);
    OnClicked(win::IDOK, [this] { OnSetQos(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame("Sending Flowspec", GetDlgItem(IDC_SENDING)), 1);
    layout->addWidget(Frame("Receiving Flowspec", GetDlgItem(IDC_RECEIVING)), 1);
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL}));
    setWindowTitle(QStringLiteral("Call Quality of Service"));
}

void CQosInfo::OnInitDialog()
{
    CCallDetailDlg::OnInitDialog();
    const auto info = Call().GetCallInfo(false);
    ShowInfoField(*sending_, info.get(), info ? info->dwSendingFlowspecOffset : 0,
                  info ? info->dwSendingFlowspecSize : 0);
    ShowInfoField(*receiving_, info.get(), info ? info->dwReceivingFlowspecOffset : 0,
                  info ? info->dwReceivingFlowspecSize : 0);
    EnableDlgItem(win::IDOK, (FreshCallFeatures() & LINECALLFEATURE_SETQOS) != 0);
}

void CQosInfo::OnSetQos()
{
    if (!TakeOwner())
        return;
    std::array<std::uint32_t, 8> sending = kFlowSpec;
    std::array<std::uint32_t, 8> receiving = kFlowSpec;
    constexpr auto size = static_cast<DWORD>(sizeof kFlowSpec);
    WaitAndReport("lineCallSetQualityOfService",
                  Call().SetQualityOfService(sending.data(), size, receiving.data(), size));
}
