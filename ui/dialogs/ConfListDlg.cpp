#include <ui/dialogs/ConfListDlg.h>

#include <app/TapiText.h>
#include <window/Fonts.h>

#include <QVBoxLayout>

#include <cstdint>
#include <vector>

CConfListDlg::CConfListDlg(QWidget *parent, CTapiCall *call) : win::Dialog(parent), ref_(call->Ref()), call_(call)
{
    AddControl({IDC_CALLS, win::ControlKind::ListBox});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GetDlgItem(IDC_CALLS));
    setWindowTitle(QStringLiteral("Conference List"));
}

QString CConfListDlg::EntryText(const CTapiCall *call, bool owner, const QString &state)
{
    const auto identity = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(call) & 0xFFFFFFFFu);
    return (owner ? QString::asprintf("Owner x%lx - ", identity) : QString::asprintf("   Member x%lx - ", identity)) +
           state;
}

void CConfListDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiFixed));
    win::Dialog::OnInitDialog();
    std::vector<CTapiCall *> calls;
    if (call_->GetConferenceRelatedCalls(calls) != 0)
        return;
    win::ListControl list = Items(IDC_CALLS);
    // The calls are used here only, before the window handles another message.
    for (CTapiCall *call : calls) {
        const auto info = call->GetCallInfo();
        const bool owner = info && info->dwOrigin == LINECALLORIGIN_CONFERENCE;
        const QString text = EntryText(call, owner, ToQString(call->GetCallStateText()));
        if (owner)
            list.InsertString(0, text);
        else
            list.AddString(text);
    }
}
