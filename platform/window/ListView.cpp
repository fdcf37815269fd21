#include <window/ListView.h>

#include <QHeaderView>
#include <QTreeWidget>

namespace win {

ListView::ListView(QTreeWidget *view) : ListControl(view ? view->model() : nullptr, view), tree_(view) {}

int ListView::InsertColumn(int column, const QString &heading, int width)
{
    if (!tree_)
        return -1;
    const int count = tree_->columnCount();
    if (column < 0 || column > count)
        column = count;
    QTreeWidgetItem *header = tree_->headerItem();
    tree_->setColumnCount(count + 1);
    // QTreeWidget only appends columns: move headings and cells right of the
    // new column over by one.
    for (int shifted = count; shifted > column; --shifted) {
        header->setText(shifted, header->text(shifted - 1));
        tree_->setColumnWidth(shifted, tree_->columnWidth(shifted - 1));
        for (int row = 0; row < tree_->topLevelItemCount(); ++row) {
            QTreeWidgetItem *item = tree_->topLevelItem(row);
            item->setText(shifted, item->text(shifted - 1));
        }
    }
    for (int row = 0; row < tree_->topLevelItemCount(); ++row)
        tree_->topLevelItem(row)->setText(column, QString());
    header->setText(column, heading);
    tree_->setColumnWidth(column, width);
    return column;
}

int ListView::GetColumnCount() const
{
    return tree_ ? tree_->columnCount() : 0;
}

bool ListView::SetItemText(int row, int column, const QString &text)
{
    if (!InRange(row) || column < 0 || column >= GetColumnCount())
        return false;
    tree_->topLevelItem(row)->setText(column, text);
    return true;
}

QString ListView::GetItemText(int row, int column) const
{
    if (!InRange(row) || column < 0 || column >= GetColumnCount())
        return {};
    return tree_->topLevelItem(row)->text(column);
}

} // namespace win
