// Operations on a dialog's drop-down list or list box: entries with texts and
// item data, sorted insertion, and the selection. A light handle, like the
// control classes of the platform's window system; a handle on no control
// (an unknown identifier) does nothing and answers -1, 0 or empty.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class QAbstractItemModel;
class QAbstractItemView;
class QComboBox;
class QListWidget;

namespace win {

class ListControl {
public:
    ListControl() = default;
    explicit ListControl(QComboBox *combo);
    explicit ListControl(QListWidget *list);

    explicit operator bool() const { return model_ != nullptr; }

    /// Adds an entry: at its place in case-insensitive order for a sorted list,
    /// else at the end. Returns its index, -1 without a control.
    int AddString(const QString &text);
    /// Inserts an entry at `index` (-1 or past the end: at the end), unsorted. Returns its index.
    int InsertString(int index, const QString &text);
    /// Removes an entry. Returns the number left, -1 when the index is out of range.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    /// Text of an entry; empty when the index is out of range.
    QString GetText(int index) const;
    /// Index of the first entry whose text equals `text` ignoring case, or -1.
    int FindStringExact(const QString &text) const;

    /// Stores a value with an entry; false when the index is out of range.
    bool SetItemData(int index, std::uint64_t data);
    /// The value stored with an entry; 0 when none or out of range.
    std::uint64_t GetItemData(int index) const;
    template <class T> bool SetItemDataPtr(int index, T *pointer)
    {
        return SetItemData(index, reinterpret_cast<std::uintptr_t>(pointer));
    }
    template <class T> T *GetItemDataPtr(int index) const
    {
        return reinterpret_cast<T *>(static_cast<std::uintptr_t>(GetItemData(index)));
    }

    /// The selected entry (the current one in a multiple-selection list), or -1.
    int GetCurSel() const;
    /// Selects one entry alone; -1 clears the selection. Returns the index, or -1
    /// when out of range. The program's selections send no notification.
    int SetCurSel(int index);
    /// Multiple- and extended-selection lists: whether an entry is selected.
    bool GetSel(int index) const;
    /// Selects or deselects one entry, keeping the others; false when out of range.
    bool SetSel(int index, bool select);
    int GetSelCount() const;
    /// Indices of the selected entries in ascending order.
    std::vector<int> GetSelItems() const;

protected:
    ListControl(QAbstractItemModel *model, QAbstractItemView *view);
    bool InRange(int index) const { return index >= 0 && index < GetCount(); }

    QAbstractItemModel *model_ = nullptr;
    QAbstractItemView *view_ = nullptr; // null for a drop-down list
    QComboBox *combo_ = nullptr;        // null for a list
    bool sorted_ = false;
};

} // namespace win
