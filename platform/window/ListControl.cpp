#include <window/ListControl.h>

#include <QComboBox>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace win {

namespace {

constexpr int kDataRole = Qt::UserRole;

} // namespace

ListControl::ListControl(QComboBox *combo) : combo_(combo)
{
    if (!combo)
        return;
    model_ = combo->model();
    sorted_ = combo->property("winSorted").toBool();
}

ListControl::ListControl(QListWidget *list) : ListControl(list ? list->model() : nullptr, list)
{
    if (list)
        sorted_ = list->property("winSorted").toBool();
}

ListControl::ListControl(QAbstractItemModel *model, QAbstractItemView *view) : model_(model), view_(view) {}

int ListControl::AddString(const QString &text)
{
    if (!model_)
        return -1;
    int index = GetCount();
    if (sorted_) {
        // After the last entry that does not sort behind the new one, so equal
        // texts keep the order in which they were added.
        index = 0;
        while (index < GetCount() && QString::compare(GetText(index), text, Qt::CaseInsensitive) <= 0)
            ++index;
    }
    return InsertString(index, text);
}

int ListControl::InsertString(int index, const QString &text)
{
    if (!model_)
        return -1;
    if (index < 0 || index > GetCount())
        index = GetCount();
    const QSignalBlocker blocker(view_);
    // A combo box selects the first entry added to an empty list; the platform's
    // drop-down lists leave the selection alone until the program sets it.
    const int selected = combo_ ? combo_->currentIndex() : 0;
    model_->insertRow(index);
    model_->setData(model_->index(index, 0), text, Qt::DisplayRole);
    if (combo_ && selected < 0)
        combo_->setCurrentIndex(-1);
    return index;
}

int ListControl::DeleteString(int index)
{
    if (!model_ || !InRange(index))
        return -1;
    const QSignalBlocker blocker(view_);
    model_->removeRow(index);
    return GetCount();
}

void ListControl::ResetContent()
{
    if (!model_)
        return;
    const QSignalBlocker blocker(view_);
    model_->removeRows(0, GetCount());
}

int ListControl::GetCount() const
{
    return model_ ? model_->rowCount() : 0;
}

QString ListControl::GetText(int index) const
{
    return InRange(index) ? model_->index(index, 0).data(Qt::DisplayRole).toString() : QString();
}

int ListControl::FindStringExact(const QString &text) const
{
    for (int index = 0; index < GetCount(); ++index) {
        if (QString::compare(GetText(index), text, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

bool ListControl::SetItemData(int index, std::uint64_t data)
{
    if (!InRange(index))
        return false;
    return model_->setData(model_->index(index, 0), QVariant::fromValue<quint64>(data), kDataRole);
}

std::uint64_t ListControl::GetItemData(int index) const
{
    return InRange(index) ? model_->index(index, 0).data(kDataRole).value<quint64>() : 0;
}

int ListControl::GetCurSel() const
{
    if (combo_)
        return combo_->currentIndex();
    if (!view_)
        return -1;
    if (view_->selectionMode() == QAbstractItemView::SingleSelection) {
        const auto rows = GetSelItems();
        return rows.empty() ? -1 : rows.front();
    }
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int ListControl::SetCurSel(int index)
{
    if (!model_)
        return -1;
    const bool valid = InRange(index);
    if (combo_) {
        combo_->setCurrentIndex(valid ? index : -1);
        return valid ? index : -1;
    }
    const QSignalBlocker blocker(view_);
    auto *selection = view_->selectionModel();
    selection->clearSelection();
    if (!valid) {
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return -1;
    }
    const QModelIndex item = model_->index(index, 0);
    selection->setCurrentIndex(item, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view_->scrollTo(item);
    return index;
}

bool ListControl::GetSel(int index) const
{
    if (combo_)
        return index >= 0 && combo_->currentIndex() == index;
    if (!view_ || !InRange(index))
        return false;
    return view_->selectionModel()->isRowSelected(index, QModelIndex());
}

bool ListControl::SetSel(int index, bool select)
{
    if (!view_ || !InRange(index))
        return false;
    const QSignalBlocker blocker(view_);
    view_->selectionModel()->select(model_->index(index, 0),
                                    (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                        QItemSelectionModel::Rows);
    return true;
}

int ListControl::GetSelCount() const
{
    return static_cast<int>(GetSelItems().size());
}

std::vector<int> ListControl::GetSelItems() const
{
    std::vector<int> rows;
    if (!view_) {
        if (combo_ && combo_->currentIndex() >= 0)
            rows.push_back(combo_->currentIndex());
        return rows;
    }
    for (const QModelIndex &index : view_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace win
