#include <window/Dialog.h>

#include <window/MessageQueue.h>
#include <window/UpDown.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSlider>
#include <QTreeWidget>
#include <QValidator>

#include <algorithm>

namespace win {

namespace {

// The most characters a user can type into an edit. Unlike QLineEdit's own
// maximum length it leaves texts set by the program whole, as the platform's
// edit limit does.
class LengthLimit : public QValidator {
public:
    LengthLimit(int characters, QObject *parent) : QValidator(parent), characters_(characters) {}
    State validate(QString &input, int &) const override { return input.size() > characters_ ? Invalid : Acceptable; }

private:
    int characters_;
};

std::function<void(Dialog &)> &ModalObserver()
{
    static std::function<void(Dialog &)> observer;
    return observer;
}

} // namespace

Dialog::Dialog(QWidget *parent) : QDialog(parent), timers_([this](int id) { OnTimer(id); })
{
    MessageQueue::Instance().AttachUiThread();
}

Dialog::~Dialog()
{
    // A dialog deleted while its window exists (by its parent, say) ends its
    // handle here; the virtual destruction hooks no longer reach the subclass.
    if (handle_ != WindowHandle::Null) {
        timers_.KillAll();
        if (auto *application = QCoreApplication::instance())
            application->removeEventFilter(this);
        MessageQueue::Instance().Unregister(handle_);
    }
    if (modalLoop_)
        modalLoop_->exit();
}

// --- Running -----------------------------------------------------------------

int Dialog::DoModal()
{
    auto &queue = MessageQueue::Instance();
    if (queue.QuitRequested() || IsCreated())
        return -1;
    const QPointer<Dialog> self(this);
    modal_ = true;
    CreateHandle();
    OnInitDialog();
    if (!self)
        return -1;
    if (!ended_ && IsCreated()) {
        setWindowModality(Qt::ApplicationModal);
        show();
        if (auto &observer = ModalObserver())
            observer(*this);
    }
    if (self && !ended_ && IsCreated() && !queue.QuitRequested()) {
        QEventLoop loop;
        modalLoop_ = &loop;
        queue.EnterModalLoop(loop);
        loop.exec(QEventLoop::DialogExec);
        queue.LeaveModalLoop(loop);
        if (!self)
            return -1;
        modalLoop_ = nullptr;
        // A loop that ends without EndDialog was ended by a quit, ours or Qt's.
        if (!ended_ && !queue.QuitRequested())
            queue.RequestQuit(0);
    }
    if (!self)
        return -1;
    const int result = ended_ ? result_ : -1;
    hide();
    if (IsCreated()) {
        OnDestroy();
        DestroyHandle();
    }
    modal_ = false;
    return result;
}

bool Dialog::Create()
{
    if (IsCreated())
        return true;
    if (MessageQueue::Instance().QuitRequested())
        return false;
    const QPointer<Dialog> self(this);
    CreateHandle();
    OnInitDialog();
    if (!self || !IsCreated())
        return false;
    setWindowModality(Qt::NonModal);
    show();
    return true;
}

void Dialog::EndDialog(int result)
{
    if (!IsCreated())
        return;
    if (!modal_) {
        DestroyWindow();
        return;
    }
    result_ = result;
    ended_ = true;
    if (modalLoop_)
        modalLoop_->exit();
}

void Dialog::DestroyWindow()
{
    if (!IsCreated())
        return;
    if (modal_) {
        EndDialog(IDCANCEL);
        return;
    }
    OnDestroy();
    DestroyHandle();
    hide();
    PostNcDestroy();
}

Dialog *Dialog::FromHandle(WindowHandle handle)
{
    return static_cast<Dialog *>(MessageQueue::Instance().Find(handle));
}

std::function<void(Dialog &)> Dialog::SetModalObserver(std::function<void(Dialog &)> observer)
{
    return std::exchange(ModalObserver(), std::move(observer));
}

void Dialog::CreateHandle()
{
    auto &queue = MessageQueue::Instance();
    queue.AttachUiThread();
    ended_ = false;
    result_ = 0;
    handle_ = queue.Register(*this);
    if (auto *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

void Dialog::DestroyHandle()
{
    timers_.KillAll();
    if (auto *application = QCoreApplication::instance())
        application->removeEventFilter(this);
    MessageQueue::Instance().Unregister(std::exchange(handle_, WindowHandle::Null));
}

// --- Messages ----------------------------------------------------------------

void Dialog::OnMessage(UINT message, MessageHandler handler)
{
    messageHandlers_[message] = std::move(handler);
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (auto it = messageHandlers_.find(message); it != messageHandlers_.end()) {
        // A copy: the handler may bind another handler for the same message.
        const MessageHandler handler = it->second;
        return handler(wParam, lParam);
    }
    switch (message) {
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_COMMAND:
        Command(static_cast<int>(wParam & 0xFFFF));
        return 0;
    default:
        return WindowProc(message, wParam, lParam);
    }
}

// --- Notifications -----------------------------------------------------------

void Dialog::OnNotify(int id, win::Notify code, std::function<void(int)> handler)
{
    notifyHandlers_[{id, code}] = std::move(handler);
}

void Dialog::OnNotify(int id, win::Notify code, std::function<void()> handler)
{
    OnNotify(id, code, std::function<void(int)>([handler = std::move(handler)](int) { handler(); }));
}

void Dialog::Command(int id)
{
    Notified(id, win::Notify::Clicked, 0);
}

void Dialog::Notified(int id, win::Notify code, int value)
{
    if (exchanging_)
        return;
    if (auto it = notifyHandlers_.find({id, code}); it != notifyHandlers_.end()) {
        const auto handler = it->second;
        handler(value);
        return;
    }
    if (code != win::Notify::Clicked)
        return;
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

// --- Data exchange and default commands -------------------------------------

bool Dialog::UpdateData(bool read)
{
    // Showing a field changes a control, which would notify a handler that
    // reads the fields again while the rest are still unshown.
    const bool outer = !std::exchange(exchanging_, true);
    const bool accepted = fields_.Exchange(*this, read);
    if (outer)
        exchanging_ = false;
    return accepted;
}

void Dialog::OnInitDialog()
{
    UpdateData(false);
}

void Dialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void Dialog::OnClose()
{
    Command(IDCANCEL);
}

void Dialog::accept()
{
    Command(IDOK);
}

void Dialog::reject()
{
    // Esc, as the platform's dialogs do it: the IDCANCEL command, whether or
    // not the dialog has a Cancel button.
    Command(IDCANCEL);
}

void Dialog::closeEvent(QCloseEvent *event)
{
    // Only EndDialog or DestroyWindow end a window; the hook decides.
    event->ignore();
    if (IsCreated())
        OnClose();
}

bool Dialog::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    auto *widget = qobject_cast<QWidget *>(watched);
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    // A key the focused control ignores travels up to its parents, passing the
    // application's filters again; the window sees each key once.
    auto *key = static_cast<QKeyEvent *>(event);
    const bool propagated = event == lastKey_.event && type == lastKey_.type &&
                            key->timestamp() == lastKey_.timestamp && lastKey_.receiver &&
                            widget->isAncestorOf(lastKey_.receiver);
    lastKey_ = {event, type, key->timestamp(), widget};
    if (!propagated)
        OnKeyMessage(type == QEvent::KeyPress, key->key());
    return QDialog::eventFilter(watched, event);
}

// --- System menu -------------------------------------------------------------

QMenu *Dialog::SystemMenu()
{
    if (systemMenu_)
        return systemMenu_;
    systemMenu_ = new QMenu(this);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, systemMenu_,
            [this](const QPoint &at) { systemMenu_->popup(mapToGlobal(at)); });
    auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, systemMenu_, [this] { systemMenu_->popup(mapToGlobal(QPoint(0, 0))); });
    return systemMenu_;
}

void Dialog::AppendSystemMenu(int commandId, const QString &text)
{
    QAction *action = SystemMenu()->addAction(text);
    connect(action, &QAction::triggered, this, [this, commandId] { OnSysCommand(commandId); });
}

void Dialog::AppendSystemMenuSeparator()
{
    SystemMenu()->addSeparator();
}

// --- Controls ----------------------------------------------------------------

QWidget *Dialog::AddControl(const ControlTemplate &entry)
{
    QWidget *widget =
        CreateControl(entry, [this, id = entry.id](win::Notify code, int value) { Notified(id, code, value); });
    widget->setParent(this);
    // Controls are visible unless declared hidden, also when added to a window
    // that is already shown.
    widget->setVisible(!(entry.style & Style::Hidden));
    if (entry.id > 0 && !controls_.emplace(entry.id, Control{widget, entry.kind}).second)
        qWarning("Dialog: control id %d declared twice; the first one keeps the id", entry.id);
    if (entry.kind == ControlKind::UpDown && entry.buddy > 0) {
        if (auto *upDown = dynamic_cast<UpDown *>(widget))
            upDown->SetBuddy(Item<QLineEdit>(entry.buddy));
    }
    return widget;
}

void Dialog::AddControls(std::span<const ControlTemplate> entries)
{
    for (const ControlTemplate &entry : entries)
        AddControl(entry);
}

bool Dialog::RegisterControl(int id, ControlKind kind, QWidget *widget)
{
    if (!widget || id <= 0 || controls_.contains(id) || !WidgetMatchesKind(*widget, kind))
        return false;
    if (!widget->parent())
        widget->setParent(this);
    if (!widget->testAttribute(Qt::WA_WState_ExplicitShowHide))
        widget->show();
    controls_.emplace(id, Control{widget, kind});
    ConnectControl(*widget, kind, [this, id](win::Notify code, int value) { Notified(id, code, value); });
    return true;
}

QLabel *Dialog::AddLabel(const QString &text, int buddyId)
{
    auto *label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    if (QWidget *buddy = GetDlgItem(buddyId))
        label->setBuddy(buddy);
    return label;
}

void Dialog::DefineRadioGroup(std::initializer_list<int> ids)
{
    auto *group = new QButtonGroup(this);
    for (int id : ids) {
        if (auto *button = Item<QAbstractButton>(id))
            group->addButton(button);
    }
    radioGroups_.push_back({group, std::vector<int>(ids)});
}

QWidget *Dialog::GetDlgItem(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.widget.data();
}

void Dialog::SetDlgItemText(int id, const QString &text)
{
    auto it = controls_.find(id);
    if (it != controls_.end() && it->second.widget)
        SetControlText(*it->second.widget, it->second.kind, text);
}

QString Dialog::GetDlgItemText(int id) const
{
    auto it = controls_.find(id);
    if (it == controls_.end() || !it->second.widget)
        return {};
    return ControlText(*it->second.widget, it->second.kind);
}

void Dialog::EnableDlgItem(int id, bool enable)
{
    if (QWidget *widget = GetDlgItem(id))
        widget->setEnabled(enable);
}

bool Dialog::IsDlgItemEnabled(int id) const
{
    QWidget *widget = GetDlgItem(id);
    return widget && widget->isEnabled();
}

void Dialog::ShowDlgItem(int id, bool show)
{
    if (QWidget *widget = GetDlgItem(id))
        widget->setVisible(show);
}

void Dialog::CheckDlgButton(int id, int check)
{
    auto *button = Item<QAbstractButton>(id);
    if (!button)
        return;
    const RadioGroup *radio = RadioGroupOf(id);
    if (check || !radio || !radio->group->exclusive()) {
        button->setChecked(check != 0);
        return;
    }
    // An exclusive group refuses to uncheck its checked button.
    radio->group->setExclusive(false);
    button->setChecked(false);
    radio->group->setExclusive(true);
}

int Dialog::IsDlgButtonChecked(int id) const
{
    auto *button = Item<QAbstractButton>(id);
    return button && button->isChecked() ? 1 : 0;
}

int Dialog::GetCheckedRadio(int id) const
{
    const RadioGroup *radio = RadioGroupOf(id);
    if (!radio)
        return -1;
    for (std::size_t index = 0; index < radio->ids.size(); ++index) {
        if (IsDlgButtonChecked(radio->ids[index]))
            return static_cast<int>(index);
    }
    return -1;
}

void Dialog::SetCheckedRadio(int id, int index)
{
    const RadioGroup *radio = RadioGroupOf(id);
    if (!radio)
        return;
    if (index >= 0 && index < static_cast<int>(radio->ids.size())) {
        CheckDlgButton(radio->ids[static_cast<std::size_t>(index)], 1);
        return;
    }
    for (int member : radio->ids)
        CheckDlgButton(member, 0);
}

const Dialog::RadioGroup *Dialog::RadioGroupOf(int id) const
{
    for (const RadioGroup &radio : radioGroups_) {
        if (std::find(radio.ids.begin(), radio.ids.end(), id) != radio.ids.end())
            return &radio;
    }
    return nullptr;
}

void Dialog::GotoDlgCtrl(int id)
{
    QWidget *widget = GetDlgItem(id);
    if (!widget)
        return;
    widget->setFocus(Qt::OtherFocusReason);
    // Tabbing into an edit selects its text; moving the focus there does the same.
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->selectAll();
}

void Dialog::LimitText(int id, int characters)
{
    auto *edit = Item<QLineEdit>(id);
    if (!edit)
        return;
    if (auto *previous = dynamic_cast<const LengthLimit *>(edit->validator()))
        delete previous;
    edit->setValidator(characters > 0 ? new LengthLimit(characters, edit) : nullptr);
}

void Dialog::SetReadOnly(int id, bool readOnly)
{
    if (auto *edit = Item<QLineEdit>(id))
        edit->setReadOnly(readOnly);
    else if (auto *text = Item<QPlainTextEdit>(id))
        text->setReadOnly(readOnly);
}

ListControl Dialog::Items(int id) const
{
    auto it = controls_.find(id);
    if (it == controls_.end() || !it->second.widget)
        return {};
    if (it->second.kind == ControlKind::DropDownList)
        return ListControl(static_cast<QComboBox *>(it->second.widget.data()));
    if (it->second.kind == ControlKind::ListBox)
        return ListControl(static_cast<QListWidget *>(it->second.widget.data()));
    return {};
}

ListView Dialog::View(int id) const
{
    auto it = controls_.find(id);
    if (it == controls_.end() || !it->second.widget || it->second.kind != ControlKind::ListView)
        return {};
    return ListView(static_cast<QTreeWidget *>(it->second.widget.data()));
}

void Dialog::SetRange(int id, int low, int high)
{
    if (auto *upDown = Item<UpDown>(id))
        upDown->SetRange(low, high);
    else if (auto *slider = Item<QSlider>(id))
        slider->setRange(std::min(low, high), std::max(low, high));
}

void Dialog::SetPos(int id, int position)
{
    if (auto *upDown = Item<UpDown>(id))
        upDown->SetPos(position);
    else if (auto *slider = Item<QSlider>(id))
        slider->setValue(position);
}

int Dialog::GetPos(int id) const
{
    if (auto *upDown = Item<UpDown>(id))
        return upDown->Pos();
    if (auto *slider = Item<QSlider>(id))
        return slider->value();
    return 0;
}

void Dialog::SetChildFont(const QFont &font)
{
    for (QWidget *child : findChildren<QWidget *>())
        child->setFont(font);
}

} // namespace win
