#include <ui/dialogs/DialogParts.h>

#include <window/Dialog.h>

#include <QHBoxLayout>

QString TextOfValue(std::span<const ValueText> table, DWORD value, const char *fallback)
{
    for (const ValueText &entry : table) {
        if (entry.value == value)
            return QString::fromUtf8(entry.text);
    }
    return QString::fromUtf8(fallback);
}

QHBoxLayout *ButtonRow(win::Dialog &dialog, std::initializer_list<int> ids)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (int id : ids)
        row->addWidget(dialog.GetDlgItem(id));
    return row;
}
