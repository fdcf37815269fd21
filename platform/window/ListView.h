// Operations on a dialog's report-style list view: columns with headings and
// widths, rows of texts with item data, and the selection (shared with lists).
#pragma once

#include <window/ListControl.h>

class QTreeWidget;

namespace win {

class ListView : public ListControl {
public:
    ListView() = default;
    explicit ListView(QTreeWidget *view);

    /// Inserts a column with a heading and a width in pixels at `column` (past
    /// the end: at the end). Returns its index, -1 without a control.
    int InsertColumn(int column, const QString &heading, int width);
    int GetColumnCount() const;

    /// Inserts a row whose first column reads `text` at `row` (-1 or past the
    /// end: at the end). Returns its index.
    int InsertItem(int row, const QString &text) { return InsertString(row, text); }
    /// Sets the text of one cell; false when the row or column does not exist.
    bool SetItemText(int row, int column, const QString &text);
    /// Text of one cell; empty when it does not exist.
    QString GetItemText(int row, int column) const;
    bool DeleteItem(int row) { return DeleteString(row) >= 0; }
    void DeleteAllItems() { ResetContent(); }
    int GetItemCount() const { return GetCount(); }

private:
    QTreeWidget *tree_ = nullptr;
};

} // namespace win
