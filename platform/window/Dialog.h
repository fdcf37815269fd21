// The base of every window of the program: a dialog with child controls by
// numeric identifier, one-step data exchange, modal and modeless runs with
// result codes, a handle that other threads send and post messages to, and
// timers by identifier.
#pragma once

#include <window/Controls.h>
#include <window/DataExchange.h>
#include <window/ListControl.h>
#include <window/ListView.h>
#include <window/MessageTarget.h>
#include <window/Types.h>
#include <window/WindowTimers.h>

#include <QDialog>
#include <QPointer>

#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

class QButtonGroup;
class QEventLoop;
class QLabel;
class QMenu;

namespace win {

/// A dialog lives on the user-interface thread; every member runs there except
/// where a comment says otherwise. A subclass builds its controls and layout in
/// its constructor, binds its handlers and fields there, and overrides the
/// On... hooks it needs.
class Dialog : public QDialog, public MessageTarget {
public:
    explicit Dialog(QWidget *parent = nullptr);
    ~Dialog() override;

    // --- Running -----------------------------------------------------------

    /// Creates the window, runs `OnInitDialog`, shows it and handles events
    /// until `EndDialog`; then destroys the window (`OnDestroy`) and returns the
    /// code given to `EndDialog`. Returns -1 without running when a quit is
    /// pending or the window exists already, and -1 when a quit ends the run.
    int DoModal();
    /// Creates the window modelessly: runs `OnInitDialog` and shows it. True
    /// when the window exists afterwards (also when it existed already).
    bool Create();
    /// Ends a modal run with `result`. For a modeless window: destroys it.
    void EndDialog(int result);
    /// Destroys the window: `OnDestroy`, the handle ends, timers stop, the
    /// window hides; then `PostNcDestroy`. A modal run ends with IDCANCEL instead.
    void DestroyWindow();
    /// True between the window's creation and its destruction.
    bool IsCreated() const { return handle_ != WindowHandle::Null; }
    /// The window's handle while it exists, else WindowHandle::Null. Other
    /// threads get the value, never the dialog: they address it through the handle.
    WindowHandle GetSafeHwnd() const { return handle_; }
    /// The live dialog behind a handle, or null.
    static Dialog *FromHandle(WindowHandle handle);
    /// Called with every dialog whose modal run starts, once it is shown (tests
    /// script modal dialogs with it). Returns the observer it replaced.
    static std::function<void(Dialog &)> SetModalObserver(std::function<void(Dialog &)> observer);

    // --- Messages ----------------------------------------------------------

    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    /// Handles `message` with `handler` from now on, whether sent or posted.
    void OnMessage(UINT message, MessageHandler handler);
    /// Dispatches a message: its bound handler, else WM_CLOSE and WM_COMMAND,
    /// else `WindowProc`.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) final;

    // --- Controls ----------------------------------------------------------

    /// Creates a declared control and returns its widget for the layout. An id
    /// of 0 or below makes a control nobody addresses later (a frame, a label).
    QWidget *AddControl(const ControlTemplate &entry);
    void AddControls(std::span<const ControlTemplate> entries);
    /// Adds a widget made elsewhere (a subclass of the kind's widget) as control
    /// `id`; false when the widget does not fit the kind or the id is taken.
    bool RegisterControl(int id, ControlKind kind, QWidget *widget);
    /// A label without identifier; `buddyId` names the control its mnemonic focuses.
    QLabel *AddLabel(const QString &text, int buddyId = 0);
    /// Groups radio buttons so that checking one unchecks the others.
    void DefineRadioGroup(std::initializer_list<int> ids);

    /// The control's widget, or null when the dialog has no such control.
    QWidget *GetDlgItem(int id) const;
    template <class W> W *Item(int id) const { return dynamic_cast<W *>(GetDlgItem(id)); }

    void SetDlgItemText(int id, const QString &text);
    QString GetDlgItemText(int id) const;
    void EnableDlgItem(int id, bool enable = true);
    bool IsDlgItemEnabled(int id) const;
    void ShowDlgItem(int id, bool show = true);
    /// Check boxes and radio buttons: 1 checks, 0 unchecks. Checking a radio
    /// button unchecks the others of its group.
    void CheckDlgButton(int id, int check);
    int IsDlgButtonChecked(int id) const;
    /// Index of the checked button in the radio group of `id`, or -1.
    int GetCheckedRadio(int id) const;
    /// Checks button `index` of the radio group of `id`; -1 unchecks them all.
    void SetCheckedRadio(int id, int index);
    /// Moves the keyboard focus to the control.
    void GotoDlgCtrl(int id);
    /// Single-line edits: the most characters the user can type (0: no limit).
    /// Texts the program sets are kept whole.
    void LimitText(int id, int characters);
    void SetReadOnly(int id, bool readOnly);
    /// Drop-down lists and list boxes; an empty handle for other ids.
    ListControl Items(int id) const;
    /// Report-style list views; an empty handle for other ids.
    ListView View(int id) const;
    /// Up-downs and trackbars: range and position (the program's changes do not notify).
    void SetRange(int id, int low, int high);
    void SetPos(int id, int position);
    int GetPos(int id) const;
    /// Sets `font` on every child control (the dialog's own title keeps its font).
    void SetChildFont(const QFont &font);

    // --- Notifications -----------------------------------------------------

    /// Runs `handler` when control `id` notifies `code`. The int is the step
    /// of an up-down or the position of a trackbar, else 0.
    void OnNotify(int id, Notify code, std::function<void(int)> handler);
    void OnNotify(int id, Notify code, std::function<void()> handler);
    void OnClicked(int id, std::function<void()> handler) { OnNotify(id, Notify::Clicked, std::move(handler)); }
    /// Runs the command of control `id` as a click does: its Clicked handler,
    /// else `OnOK` for IDOK and `OnCancel` for IDCANCEL.
    void Command(int id);

    // --- Data exchange -----------------------------------------------------

    void BindText(int id, QString &value) { fields_.BindText(id, value); }
    void BindInt(int id, int &value, int min = INT_MIN, int max = INT_MAX) { fields_.BindInt(id, value, min, max); }
    void BindCheck(int id, int &value) { fields_.BindCheck(id, value); }
    void BindCheck(int id, bool &value) { fields_.BindCheck(id, value); }
    void BindIndex(int id, int &value) { fields_.BindIndex(id, value); }
    void BindRadio(int id, int &value) { fields_.BindRadio(id, value); }
    void BindCustom(std::function<bool()> read, std::function<void()> show)
    {
        fields_.BindCustom(std::move(read), std::move(show));
    }
    /// true: read the fields (controls into members, with validation; false
    /// when a field was refused). false: show the fields (members into controls).
    /// Controls do not notify while the exchange runs, so a handler never sees
    /// half-exchanged fields.
    bool UpdateData(bool read = true);

    // --- Timers ------------------------------------------------------------

    /// Starts (or restarts) timer `id`; each tick calls `OnTimer(id)`. Timers
    /// end with the window.
    void SetTimer(int id, std::uint32_t periodMs) { timers_.Set(id, periodMs); }
    bool KillTimer(int id) { return timers_.Kill(id); }

    // --- System menu -------------------------------------------------------

    /// Adds an entry to the window's system menu (reached by a right click on
    /// the window or Alt+Space); choosing it calls `OnSysCommand(commandId)`.
    void AppendSystemMenu(int commandId, const QString &text);
    void AppendSystemMenuSeparator();
    /// The system menu, created on first use.
    QMenu *SystemMenu();

protected:
    /// The window exists and is about to show. The base shows the fields.
    virtual void OnInitDialog();
    /// IDOK: the base reads the fields and, when they are accepted, ends with IDOK.
    virtual void OnOK();
    /// IDCANCEL and Esc: the base ends with IDCANCEL.
    virtual void OnCancel();
    /// The close box or WM_CLOSE: the base runs the IDCANCEL command. An
    /// override may ask first, or veto by not ending the dialog.
    virtual void OnClose();
    /// The window is being destroyed; its handle is still live.
    virtual void OnDestroy() {}
    /// A modeless window has been destroyed; a self-owned window may `deleteLater()` here.
    virtual void PostNcDestroy() {}
    virtual void OnTimer(int /*id*/) {}
    virtual void OnSysCommand(int /*commandId*/) {}
    /// Every key press and release in this window, before the control handles it.
    virtual void OnKeyMessage(bool /*pressed*/, int /*key*/) {}
    /// Messages without a bound handler; the base returns 0.
    virtual LRESULT WindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }

    void accept() override;
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Control {
        QPointer<QWidget> widget;
        ControlKind kind;
    };

    struct RadioGroup {
        QButtonGroup *group; // a child of the dialog
        std::vector<int> ids;
    };

    void Notified(int id, win::Notify code, int value);
    void CreateHandle();
    void DestroyHandle();
    const RadioGroup *RadioGroupOf(int id) const;

    std::map<int, Control> controls_;
    std::map<std::pair<int, win::Notify>, std::function<void(int)>> notifyHandlers_;
    std::unordered_map<UINT, MessageHandler> messageHandlers_;
    std::vector<RadioGroup> radioGroups_;
    DataExchange fields_;
    WindowTimers timers_;
    QMenu *systemMenu_ = nullptr;

    WindowHandle handle_ = WindowHandle::Null;
    QEventLoop *modalLoop_ = nullptr; // while DoModal runs its loop
    bool modal_ = false;              // while DoModal runs
    bool ended_ = false;
    int result_ = 0;
    bool exchanging_ = false; // notifications are held back during UpdateData
    struct {
        const QEvent *event = nullptr; // identity only, never dereferenced
        int type = 0;
        quint64 timestamp = 0;
        QPointer<QWidget> receiver;
    } lastKey_; // the key event last seen, to recognise it travelling up
};

} // namespace win
