#include <ui/dialogs/ForwardList.h>

#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/dialogs/ForwardDlg.h>
#include <ui/main/CommandSteps.h>
#include <window/Fonts.h>

#include "CTapiAddress.h"
#include "CTapiBuffer.h"
#include "CTapiCall.h"
#include "CTapiLine.h"
#include "TapiLists.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <span>

CForwardList::CForwardList(QWidget *parent, CTapiLine *line, ReleaseCall releaseCall)
    : win::Dialog(parent), line_(line), releaseCall_(std::move(releaseCall)),
      numAddresses_(line ? line->GetAddressCount() : 0)
{
    static const win::ControlTemplate controls[] = {
        {IDC_LIST, win::ControlKind::ListView},
        {IDC_ADD, win::ControlKind::PushButton, "&Add..."},
        {IDC_REMOVE, win::ControlKind::PushButton, "&Remove"},
        {IDC_REMOVE_ALL, win::ControlKind::PushButton, "R&emove all"},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Call forwarding"));

    auto *buttons = new QVBoxLayout;
    for (int id : {IDC_ADD, IDC_REMOVE, IDC_REMOVE_ALL})
        buttons->addWidget(GetDlgItem(id));
    buttons->addStretch();
    buttons->addWidget(GetDlgItem(win::IDOK));
    buttons->addWidget(GetDlgItem(win::IDCANCEL));
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(GetDlgItem(IDC_LIST), 1);
    layout->addLayout(buttons);

    OnClicked(IDC_ADD, [this] { OnAdd(); });
    OnClicked(IDC_REMOVE, [this] { OnRemove(); });
    OnClicked(IDC_REMOVE_ALL, [this] { OnRemoveAll(); });
}

CForwardList::~CForwardList() = default;

void CForwardList::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    struct Column {
        const char *heading;
        int width;
    };
    static const Column oneAddress[] = {{"Type", 225}, {"Destination", 225}};
    static const Column addresses[] = {{"Address", 70}, {"Type", 230}, {"Destination", 150}};
    win::ListView view = View(IDC_LIST);
    int width = 0;
    for (const Column &column :
         HasAddressColumn() ? std::span<const Column>(addresses) : std::span<const Column>(oneAddress)) {
        view.InsertColumn(view.GetColumnCount(), QString::fromUtf8(column.heading), column.width);
        width += column.width;
    }
    // Room for every column and the frame.
    GetDlgItem(IDC_LIST)->setMinimumWidth(
        width + 2 * GetDlgItem(IDC_LIST)->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4);
    win::Dialog::OnInitDialog();
    Rebuild();
}

void CForwardList::Rebuild()
{
    win::ListView view = View(IDC_LIST);
    view.DeleteAllItems();
    entries_.clear();
    for (DWORD i = 0; i < numAddresses_; ++i)
        MergeAddress(i);
    for (const ForwardingEntry &entry : entries_) {
        QString type = ForwardModeName(entry.mode);
        if (entry.mode == LINEFORWARDMODE_UNCOND && entry.destination.isEmpty())
            type += QStringLiteral(" (DND)");
        const QStringList cells = HasAddressColumn() ? QStringList{entry.addressName, type, entry.destination}
                                                     : QStringList{type, entry.destination};
        view.InsertItem(0, cells[0]);
        for (int column = 1; column < cells.size(); ++column)
            view.SetItemText(0, column, cells[column]);
        view.SetItemData(0, static_cast<std::uint64_t>(entry.serial));
    }
}

void CForwardList::MergeAddress(DWORD index)
{
    CTapiAddress *address = line_ ? line_->GetAddress(index) : nullptr;
    if (!address)
        return;
    const auto status = address->GetAddressStatus(true);
    if (!status)
        return;
    std::erase_if(entries_, [index](const ForwardingEntry &e) { return e.addressKey == int(index); });
    const std::vector<CTapiForwardEntry> records = TapiForwardEntries(status.get());
    if (records.empty())
        return;
    const QString name = CutText(ToQString(address->GetAddressName()), ForwardingEntry::kMaxNameChars);
    for (const CTapiForwardEntry &record : records) {
        ForwardingEntry entry;
        entry.serial = counter_++;
        entry.mode = record.mode;
        entry.destination = CutText(ToQString(record.destination), ForwardingEntry::kMaxAddressChars);
        entry.caller = CutText(ToQString(record.caller), ForwardingEntry::kMaxAddressChars);
        entry.addressName = name;
        entry.addressKey = int(index);
        entries_.push_back(std::move(entry));
    }
}

void CForwardList::OnAdd()
{
    CForwardDlg dialog(this, line_);
    if (dialog.DoModal() != win::IDOK)
        return;
    ForwardingEntry added;
    added.serial = counter_++;
    added.mode = dialog.GetMode();
    added.addressKey = dialog.GetForwardAll() ? ForwardingEntry::kAllAddresses : int(dialog.GetAddressId());
    added.caller = CutText(dialog.GetCaller(), ForwardingEntry::kMaxAddressChars);
    added.destination = CutText(dialog.GetDestination(), ForwardingEntry::kMaxAddressChars);
    std::vector<ForwardingEntry> wanted = entries_;
    wanted.push_back(added);
    ForwardEntries(added.addressKey, wanted, DWORD(dialog.GetRings()));
}

void CForwardList::OnRemove()
{
    std::vector<ForwardingEntry> remaining = entries_;
    int key = 0;
    bool first = true;
    win::ListView view = View(IDC_LIST);
    for (int row : view.GetSelItems()) {
        const auto serial = static_cast<int>(view.GetItemData(row));
        const auto found = std::find_if(remaining.begin(), remaining.end(),
                                        [serial](const ForwardingEntry &e) { return e.serial == serial; });
        if (found == remaining.end())
            continue;
        key = first || key == found->addressKey ? found->addressKey : ForwardingEntry::kAllAddresses;
        first = false;
        remaining.erase(found);
    }
    ForwardEntries(key, remaining, 0);
}

void CForwardList::OnRemoveAll()
{
    Forward(ForwardingEntry::kAllAddresses, nullptr, 0);
}

void CForwardList::ForwardEntries(int key, const std::vector<ForwardingEntry> &entries, DWORD rings)
{
    const auto list = BuildForwardList(entries, key);
    // Sending no list instead would cancel the forwarding.
    if (!list) {
        ClearStatus();
        ReportResult("lineForward", LINEERR_NOMEM);
        return;
    }
    Forward(key, list, rings);
}

void CForwardList::Forward(int key, const std::shared_ptr<CTapiBuffer> &list, DWORD rings)
{
    ClearStatus();
    if (!line_)
        return;
    CTapiCall *consultation = nullptr;
    const DWORD result = line_->Forward(DWORD(key), list ? list->As<LINEFORWARDLIST>() : nullptr, rings, &consultation);
    if (ReportStoredOutcome("lineForward", result) != 0 || !consultation)
        return;
    consultation->Drop();
    if (releaseCall_)
        releaseCall_(consultation);
}
