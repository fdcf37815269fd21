#include <ui/workbench/OfficeView.h>

#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char *const kCallColumns[] = {"Call", "Call ID", "Line", "Address", "State", "Caller", "Called", "Connected",
                                    "Outside party"};

QString LineStatusText(DWORD flags)
{
    QStringList parts;
    parts << ((flags & LINEDEVSTATUSFLAGS_INSERVICE) ? QStringLiteral("in service") : QStringLiteral("out of service"));
    if (flags & LINEDEVSTATUSFLAGS_MSGWAIT)
        parts << QStringLiteral("message waiting");
    if (flags & LINEDEVSTATUSFLAGS_LOCKED)
        parts << QStringLiteral("locked");
    return parts.join(QStringLiteral(", "));
}

QTreeWidgetItem *Item(QTreeWidgetItem *parent, const QString &name, const QString &detail)
{
    auto *item = new QTreeWidgetItem(parent);
    item->setText(0, name);
    item->setText(1, detail);
    return item;
}

} // namespace

COfficeView::COfficeView(QWidget *parent) : QWidget(parent)
{
    office_ = new QTreeWidget(this);
    office_->setObjectName(QStringLiteral("office"));
    office_->setColumnCount(2);
    office_->setHeaderLabels({QStringLiteral("Office"), QStringLiteral("Details")});
    calls_ = new QTableWidget(0, int(std::size(kCallColumns)), this);
    calls_->setObjectName(QStringLiteral("calls"));
    QStringList headers;
    for (const char *column : kCallColumns)
        headers << QString::fromLatin1(column);
    calls_->setHorizontalHeaderLabels(headers);
    calls_->setSelectionBehavior(QAbstractItemView::SelectRows);
    calls_->setSelectionMode(QAbstractItemView::SingleSelection);
    calls_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    calls_->verticalHeader()->hide();
    calls_->horizontalHeader()->setStretchLastSection(true);

    connect(calls_, &QTableWidget::itemSelectionChanged, this, [this] { CallSelectionChanged(); });

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(office_);
    split->addWidget(calls_);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
}

void COfficeView::Show(const ExchangeSnapshot &snapshot)
{
    ShowOffice(snapshot);
    ShowCalls(snapshot);
}

void COfficeView::ShowOffice(const ExchangeSnapshot &snapshot)
{
    office_->clear();
    auto *lines = new QTreeWidgetItem(office_, {QStringLiteral("Lines")});
    for (const ConsoleLine &line : snapshot.lines) {
        QString detail = line.removed ? QStringLiteral("removed") : LineStatusText(line.statusFlags);
        if (!line.owner.isEmpty())
            detail = line.owner + QStringLiteral("; ") + detail;
        if (line.phone)
            detail += QStringLiteral("; phone %1").arg(*line.phone);
        auto *item = Item(lines, QStringLiteral("%1: %2").arg(line.id).arg(line.name), detail);
        for (const ConsoleAddress &address : line.addresses)
            Item(item, QStringLiteral("Address %1").arg(address.id),
                 address.number.isEmpty() ? QStringLiteral("(no number)") : address.number);
    }
    auto *phones = new QTreeWidgetItem(office_, {QStringLiteral("Phones")});
    for (const ConsolePhone &phone : snapshot.phones) {
        QString detail = phone.removed ? QStringLiteral("removed")
                                       : (phone.offHook ? QStringLiteral("off hook") : QStringLiteral("on hook"));
        if (phone.line)
            detail += QStringLiteral("; line %1").arg(*phone.line);
        Item(phones, QStringLiteral("%1: %2").arg(phone.id).arg(phone.name), detail);
    }
    auto *park = new QTreeWidgetItem(office_, {QStringLiteral("Park slots")});
    for (const ConsoleParkSlot &slot : snapshot.parkSlots)
        Item(park, slot.number,
             slot.taken ? QStringLiteral("parked: ") + (slot.party.isEmpty() ? QStringLiteral("a call") : slot.party)
                        : QStringLiteral("free"));
    office_->expandAll();
    office_->resizeColumnToContents(0);
}

void COfficeView::ShowCalls(const ExchangeSnapshot &snapshot)
{
    filling_ = true;
    calls_->setRowCount(int(snapshot.calls.size()));
    int row = 0;
    int chosenRow = -1;
    for (const ConsoleCall &call : snapshot.calls) {
        const QString texts[] = {QString::number(call.leg),
                                 QStringLiteral("0x%1").arg(call.callId, 0, 16),
                                 QString::number(call.line),
                                 QString::number(call.address),
                                 CallStateText(call.state),
                                 call.caller,
                                 call.called,
                                 call.connected,
                                 call.outside};
        for (int column = 0; column < int(std::size(texts)); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            item->setData(Qt::UserRole, QVariant::fromValue(uint(call.leg)));
            calls_->setItem(row, column, item);
        }
        if (call.leg == chosenLeg_)
            chosenRow = row;
        ++row;
    }
    calls_->clearSelection();
    if (chosenRow >= 0)
        calls_->selectRow(chosenRow);
    calls_->resizeColumnsToContents();
    filling_ = false;
    // The chosen call may have gone.
    CallSelectionChanged();
}

void COfficeView::CallSelectionChanged()
{
    if (filling_)
        return;
    const QList<QTableWidgetItem *> selected = calls_->selectedItems();
    const exchange::LegId leg = selected.isEmpty() ? 0 : selected.front()->data(Qt::UserRole).toUInt();
    if (leg == chosenLeg_)
        return;
    chosenLeg_ = leg;
    if (chosen_)
        chosen_(leg);
}

bool COfficeView::ChooseCall(exchange::LegId leg)
{
    for (int row = 0; row < calls_->rowCount(); ++row) {
        if (calls_->item(row, 0)->data(Qt::UserRole).toUInt() == leg) {
            calls_->selectRow(row);
            return chosenLeg_ == leg;
        }
    }
    return false;
}
