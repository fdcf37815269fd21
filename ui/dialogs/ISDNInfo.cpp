#include <ui/dialogs/ISDNInfo.h>

#include <ui/controls/HexEdit.h>
#include <ui/dialogs/DialogParts.h>

#include <QGroupBox>
#include <QVBoxLayout>

#include <utility>

CISDNInfo::CISDNInfo(QWidget *parent, CTapiCall *call) : CCallDetailDlg(parent, call)
{
    charging_ = AddHexViewer(IDC_CHARGING);
    lowLevel_ = AddHexViewer(IDC_LOWLEVEL);
    highLevel_ = AddHexViewer(IDC_HIGHLEVEL);
    AddControl({win::IDCANCEL, win::ControlKind::PushButton, "Close"});

    auto *layout = new QVBoxLayout(this);
    const std::pair<const char *, int> frames[] = {
        {"Charging Information", IDC_CHARGING},
        {"Low level compatibility information", IDC_LOWLEVEL},
        {"High level compatibility information", IDC_HIGHLEVEL},
    };
    for (const auto &[title, id] : frames) {
        auto *frame = new QGroupBox(QString::fromUtf8(title));
        auto *frameLayout = new QVBoxLayout(frame);
        frameLayout->addWidget(GetDlgItem(id));
        layout->addWidget(frame, 1);
    }
    layout->addLayout(ButtonRow(*this, {win::IDCANCEL}));
    setWindowTitle(QStringLiteral("ISDN Information (Q.931)"));
}

void CISDNInfo::OnInitDialog()
{
    CCallDetailDlg::OnInitDialog();
    const auto info = Call().GetCallInfo(false);
    const LINECALLINFO *i = info.get();
    ShowInfoField(*charging_, i, i ? i->dwChargingInfoOffset : 0, i ? i->dwChargingInfoSize : 0);
    ShowInfoField(*lowLevel_, i, i ? i->dwLowLevelCompOffset : 0, i ? i->dwLowLevelCompSize : 0);
    ShowInfoField(*highLevel_, i, i ? i->dwHighLevelCompOffset : 0, i ? i->dwHighLevelCompSize : 0);
}
