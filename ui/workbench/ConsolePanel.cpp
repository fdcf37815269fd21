#include <ui/workbench/ConsolePanel.h>

#include <QComboBox>
#include <QSignalBlocker>

void FillCombo(QComboBox *box, const std::vector<std::pair<QString, QVariant>> &items)
{
    const QVariant current = box->currentData();
    const QSignalBlocker quiet(box);
    box->clear();
    for (const auto &[text, data] : items)
        box->addItem(text, data);
    const int at = current.isValid() ? box->findData(current) : -1;
    box->setCurrentIndex(at >= 0 ? at : (box->count() ? 0 : -1));
}

std::vector<std::pair<QString, QVariant>> LineItems(const ExchangeSnapshot &snapshot, bool withRemoved)
{
    std::vector<std::pair<QString, QVariant>> items;
    for (const ConsoleLine &line : snapshot.lines) {
        if (line.removed && !withRemoved)
            continue;
        QString text = QStringLiteral("%1: %2").arg(line.id).arg(line.name);
        if (line.removed)
            text += QStringLiteral(" (removed)");
        items.emplace_back(text, QVariant::fromValue(uint(line.id)));
    }
    return items;
}

std::vector<std::pair<QString, QVariant>> PhoneItems(const ExchangeSnapshot &snapshot, bool withRemoved)
{
    std::vector<std::pair<QString, QVariant>> items;
    for (const ConsolePhone &phone : snapshot.phones) {
        if (phone.removed && !withRemoved)
            continue;
        QString text = QStringLiteral("%1: %2").arg(phone.id).arg(phone.name);
        if (phone.removed)
            text += QStringLiteral(" (removed)");
        items.emplace_back(text, QVariant::fromValue(uint(phone.id)));
    }
    return items;
}

std::optional<DWORD> CurrentId(const QComboBox *box)
{
    const QVariant data = box->currentData();
    if (!data.isValid())
        return std::nullopt;
    return static_cast<DWORD>(data.toUInt());
}
