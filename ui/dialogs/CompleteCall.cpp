#include <ui/dialogs/CompleteCall.h>

#include <ui/dialogs/DialogParts.h>
#include <window/Fonts.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "TapiLists.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr ValueText kModes[] = {
    {LINECALLCOMPLMODE_CAMPON, "Camp On"},
    {LINECALLCOMPLMODE_CALLBACK, "Call back"},
    {LINECALLCOMPLMODE_INTRUDE, "Intrude"},
    {LINECALLCOMPLMODE_MESSAGE, "Message"},
};

} // namespace

CCompleteCall::CCompleteCall(QWidget *parent, CTapiCall *call) : win::Dialog(parent), call_(call)
{
    static const win::ControlTemplate controls[] = {
        {IDC_PARTY_NAME, win::ControlKind::Static},
        {IDC_PARTY_NUMBER, win::ControlKind::Static},
        {IDC_MODE, win::ControlKind::DropDownList, "", win::Style::Sorted},
        {IDC_MESSAGE, win::ControlKind::DropDownList, "", win::Style::Sorted | win::Style::Disabled},
        {win::IDOK, win::ControlKind::DefaultButton, "Complete", win::Style::Disabled},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Complete a Call"));

    auto *party = new QGroupBox(QStringLiteral("Call to complete"));
    auto *partyLayout = new QVBoxLayout(party);
    partyLayout->addWidget(GetDlgItem(IDC_PARTY_NAME));
    partyLayout->addWidget(GetDlgItem(IDC_PARTY_NUMBER));
    auto *fields = new QGridLayout;
    fields->addWidget(AddLabel(QStringLiteral("Completion Mode:"), IDC_MODE), 0, 0);
    fields->addWidget(GetDlgItem(IDC_MODE), 0, 1);
    fields->addWidget(AddLabel(QStringLiteral("Message Identifier:"), IDC_MESSAGE), 1, 0);
    fields->addWidget(GetDlgItem(IDC_MESSAGE), 1, 1);
    fields->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(party);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL}));

    BindText(IDC_PARTY_NAME, party_.name);
    BindText(IDC_PARTY_NUMBER, party_.number);
    OnNotify(IDC_MODE, win::Notify::SelChange, [this] { OnSelectionChange(); });
    OnNotify(IDC_MESSAGE, win::Notify::SelChange, [this] { OnSelectionChange(); });
}

void CCompleteCall::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    party_ = PartyOf(*call_);
    win::Dialog::OnInitDialog();
    FillLists();
    if (Items(IDC_MODE).GetCount() > 0)
        Items(IDC_MODE).SetCurSel(0);
    OnSelectionChange();
}

void CCompleteCall::FillLists()
{
    CTapiAddress *address = call_->GetAddress();
    const auto caps = address ? address->GetAddressCaps() : nullptr;
    if (!caps)
        return;
    win::ListControl modes = Items(IDC_MODE);
    for (const ValueText &mode : kModes) {
        if (caps->dwCallCompletionModes & mode.value)
            modes.SetItemData(modes.AddString(QString::fromUtf8(mode.text)), mode.value);
    }
    win::ListControl messages = Items(IDC_MESSAGE);
    DWORD index = 0;
    for (const std::string &text : TapiCompletionMessages(caps.get()))
        messages.SetItemData(messages.AddString(QString::fromLocal8Bit(text.data(), qsizetype(text.size()))), index++);
}

void CCompleteCall::OnSelectionChange()
{
    win::ListControl modes = Items(IDC_MODE);
    const int mode = modes.GetCurSel();
    if (mode < 0) {
        EnableDlgItem(win::IDOK, false);
        return;
    }
    if (modes.GetItemData(mode) == LINECALLCOMPLMODE_MESSAGE) {
        EnableDlgItem(IDC_MESSAGE);
        GotoDlgCtrl(IDC_MESSAGE);
        EnableDlgItem(win::IDOK, Items(IDC_MESSAGE).GetCurSel() >= 0);
        return;
    }
    EnableDlgItem(IDC_MESSAGE, false);
    EnableDlgItem(win::IDOK);
}

void CCompleteCall::OnOK()
{
    win::ListControl modes = Items(IDC_MODE);
    win::ListControl messages = Items(IDC_MESSAGE);
    const int mode = modes.GetCurSel();
    const int message = messages.GetCurSel();
    if (mode < 0)
        return;
    completionMode_ = DWORD(modes.GetItemData(mode));
    messageId_ = message >= 0 ? DWORD(messages.GetItemData(message)) : kNoMessage;
    EndDialog(win::IDOK);
}
