#include <window/Shell.h>

#include <window/Types.h>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include <utility>

namespace win {

namespace {

QMessageBox::Icon IconOf(unsigned type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowMessageBox(QWidget *owner, const MessageBoxRequest &request)
{
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(IconOf(request.type), request.caption, text, QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    if ((request.type & MB_BUTTONMASK) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

bool DesktopOpen(const QString &address)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

bool KeyboardCtrl()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

// The installed hooks; user-interface thread only.
MessageBoxHook messageBoxHook;
OpenAddressHook openAddressHook;
CtrlKeyHook ctrlKeyHook;

} // namespace

int MessageBox(QWidget *owner, const QString &text, const QString &caption, unsigned type)
{
    const MessageBoxRequest request{text, caption.isEmpty() ? QApplication::applicationName() : caption, type};
    if (messageBoxHook)
        return messageBoxHook(request);
    return ShowMessageBox(owner, request);
}

bool OpenAddress(const QString &address)
{
    return openAddressHook ? openAddressHook(address) : DesktopOpen(address);
}

bool IsCtrlKeyDown()
{
    return ctrlKeyHook ? ctrlKeyHook() : KeyboardCtrl();
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    return std::exchange(messageBoxHook, std::move(hook));
}

OpenAddressHook SetOpenAddressHook(OpenAddressHook hook)
{
    return std::exchange(openAddressHook, std::move(hook));
}

CtrlKeyHook SetCtrlKeyHook(CtrlKeyHook hook)
{
    return std::exchange(ctrlKeyHook, std::move(hook));
}

} // namespace win
