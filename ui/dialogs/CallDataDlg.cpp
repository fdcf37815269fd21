#include <ui/dialogs/CallDataDlg.h>

#include <app/TapiText.h>
#include <ui/controls/HexEdit.h>
#include <ui/dialogs/DialogParts.h>

#include "CTapiAddress.h"
#include "TapiCodePage.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <string>

CCallDataDlg::CCallDataDlg(QWidget *parent, CTapiCall *call) : CCallDetailDlg(parent, call)
{
    static const win::ControlTemplate controls[] = {
        {IDC_TEXT, win::ControlKind::Edit},
        {win::IDOK, win::ControlKind::PushButton, "SetCallData", win::Style::Disabled},
        {win::IDCANCEL, win::ControlKind::PushButton, "Close"},
    };
    data_ = AddHexViewer(IDC_DATA);
    AddControls(controls);
    BindText(IDC_TEXT, text_);
    OnNotify(IDC_TEXT, win::Notify::TextChange, [this] { EnableDlgItem(win::IDOK, !GetDlgItemText(IDC_TEXT).isEmpty()); });
    OnClicked(win::IDOK, [this] { OnSetCallData(); });

    auto *shown = new QGroupBox(QStringLiteral("Call Data"));
    auto *shownLayout = new QVBoxLayout(shown);
    shownLayout->addWidget(GetDlgItem(IDC_DATA));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(shown, 1);
    layout->addWidget(AddLabel(QStringLiteral("New call data:"), IDC_TEXT));
    layout->addWidget(GetDlgItem(IDC_TEXT));
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL}));
    setWindowTitle(QStringLiteral("Call Data"));
}

void CCallDataDlg::OnInitDialog()
{
    CCallDetailDlg::OnInitDialog();
    EnableDlgItem(IDC_TEXT, (FreshCallFeatures() & LINECALLFEATURE_SETCALLDATA) != 0);
    CTapiAddress *address = Call().GetAddress();
    const auto caps = address ? address->GetAddressCaps() : nullptr;
    if (caps && caps->dwMaxCallDataSize > 0) {
        // The text goes with its terminating zero: one character less fits.
        const DWORD limit = std::max<DWORD>(caps->dwMaxCallDataSize - 1, 1);
        LimitText(IDC_TEXT, limit > DWORD(std::numeric_limits<int>::max()) ? 0 : int(limit));
    }
    ShowCallData();
    EnableDlgItem(win::IDOK, false);
}

void CCallDataDlg::ShowCallData()
{
    const auto info = Call().GetCallInfo(false);
    ShowInfoField(*data_, info.get(), info ? info->dwCallDataOffset : 0, info ? info->dwCallDataSize : 0);
}

void CCallDataDlg::OnSetCallData()
{
    UpdateData(true);
    if (TakeOwner()) {
        // The bytes and their terminating zero.
        std::string bytes = EncodeAnsiText(ToTapiString(text_));
        const auto size = static_cast<DWORD>(bytes.size() + 1);
        WaitAndReport("lineSetCallData", Call().SetCallData(bytes.data(), size));
    }
    ShowCallData();
}
