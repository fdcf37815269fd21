// The dialer: checks that there is a display, then hands over to the
// application object with the main window as its window.
#include <ui/main/PhoneDlg.h>

#include <app/CMainApp.h>

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

// Qt would abort without a display; say what is wrong instead. A platform
// chosen explicitly (QT_QPA_PLATFORM=offscreen, say) needs none.
bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    if (!HasDisplay()) {
        std::fprintf(stderr, "dialwerk: no display available: neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                             "Start the dialer from a desktop session (or set QT_QPA_PLATFORM, for example\n"
                             "QT_QPA_PLATFORM=offscreen, to run it without one).\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dialwerk"));
    // The whole command line names the preferred line device, blanks included.
    const QString preferredLine = application.arguments().mid(1).join(QLatin1Char(' '));
    return GetMainApp().InitInstance(preferredLine,
                                     [](const QString &preferred) { return std::make_unique<CPhoneDlg>(preferred); });
}
