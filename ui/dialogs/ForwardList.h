// The call forwarding window: every forwarding instruction in force on a
// line, address by address, with buttons that add one, remove the selected
// one or cancel all forwarding, each at once through lineForward.
#pragma once

#include <ui/dialogs/ForwardingEntries.h>
#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <functional>
#include <memory>
#include <vector>

class CTapiCall;
class CTapiLine;

/// A modal dialog on the user-interface thread. The line is not owned and
/// must outlive the dialog. The list shows what TAPI reports: the buttons do
/// not rebuild it; whoever sees the address status change calls `Rebuild`
/// (the main window, while the dialog runs).
class CForwardList : public win::Dialog {
public:
    static constexpr int IDC_LIST = 2050;
    static constexpr int IDC_ADD = 2051;
    static constexpr int IDC_REMOVE = 2052;
    static constexpr int IDC_REMOVE_ALL = 2053;

    /// Hands on a consultation call that lineForward created, after it was
    /// dropped, to the one who releases the line's calls (the main window).
    using ReleaseCall = std::function<void(CTapiCall *)>;

    /// Takes the line's number of addresses now, once.
    CForwardList(QWidget *parent, CTapiLine *line, ReleaseCall releaseCall = {});
    ~CForwardList() override;

    /// Re-reads every address's status and lists its forwarding instructions,
    /// the newest entry first.
    void Rebuild();
    const std::vector<ForwardingEntry> &GetEntries() const { return entries_; }

protected:
    void OnInitDialog() override;

private:
    void OnAdd();
    void OnRemove();
    void OnRemoveAll();
    /// Forward with the list of `entries` for `key`.
    void ForwardEntries(int key, const std::vector<ForwardingEntry> &entries, DWORD rings);
    /// lineForward for `key` (an address identifier or every address), waited
    /// for and reported as "lineForward"; a consultation call that comes back is dropped.
    void Forward(int key, const std::shared_ptr<CTapiBuffer> &list, DWORD rings);
    void MergeAddress(DWORD index);
    bool HasAddressColumn() const { return numAddresses_ >= 2; }

    CTapiLine *line_;
    ReleaseCall releaseCall_;
    DWORD numAddresses_;
    std::vector<ForwardingEntry> entries_;
    int counter_ = 0;
};
