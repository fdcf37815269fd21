// The dialer: reads its command line, checks that there is a display, starts
// the exchange with the office file it names (if any) and the SIP agent for
// the office's SIP accounts, then hands over to the application object with
// the main window as its window.
#include <ui/cli/CommandLine.h>
#include <ui/main/PhoneDlg.h>
#include <ui/workbench/ExchangeConsole.h>
#include <ui/workbench/TraceWindow.h>

#include <app/CMainApp.h>
#include <exchange/office/OfficeFile.h>
#include <sip/SipAgent.h>
#include <tapi32/Runtime.h>
#include <tapitrace/TraceLog.h>

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = ParseCommandLine(arguments);
    switch (command.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(HelpText()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(qPrintable(VersionText()), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "%s\n%s\nTry 'dialwerk --help' for more information.\n", qPrintable(command.error),
                     qPrintable(UsageLine()));
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr, "dialwerk: no display available: neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                             "Start the dialer from a desktop session (or set QT_QPA_PLATFORM, for example\n"
                             "QT_QPA_PLATFORM=offscreen, to run it without one).\n");
        return 2;
    }
    // The SIP lines' network side, for the life of the program: made once
    // the exchange has its office, destroyed when main returns, after the
    // windows and while the runtime's exchange (never destroyed) is still
    // there. Its destructor detaches it from the exchange and ends its dialogs.
    std::unique_ptr<sip::SipAgent> sipAgent;
    if (!command.officeFile.isEmpty()) {
        exchange::OfficeLoad office = exchange::loadOffice(command.officeFile.toLocal8Bit().toStdString());
        if (!office.office) {
            std::fprintf(stderr, "dialwerk: %s\n", office.error.c_str());
            return 2;
        }
        std::vector<exchange::SipAccount> sipAccounts = office.office->sipAccounts;
        // No application has started yet, so the exchange can be replaced.
        if (!tapi32::Runtime::instance().resetExchange(std::move(*office.office))) {
            std::fprintf(stderr, "dialwerk: the exchange could not start with %s\n", qPrintable(command.officeFile));
            return 2;
        }
        if (!sipAccounts.empty()) {
            sipAgent = std::make_unique<sip::SipAgent>(tapi32::Runtime::instance().exchange(), std::move(sipAccounts));
            // An account that cannot start leaves its line out of service;
            // the dialer runs on and shows it so.
            for (const std::string &error : sipAgent->errors())
                std::fprintf(stderr, "dialwerk: SIP account %s\n", error.c_str());
        }
    }
    // The exchange's call recorder is for tests; a running dialer would only
    // grow it call after call.
    tapi32::Runtime::instance().exchange().recorder().setEnabled(false);
    if (!command.traceFile.isEmpty()) {
        std::string error;
        if (!tapitrace::StartTrace()->WriteTo(command.traceFile.toStdString(), error)) {
            std::fprintf(stderr, "dialwerk: cannot write the trace to %s: %s\n", qPrintable(command.traceFile),
                         error.c_str());
            return 2;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dialwerk"));
    if (command.traceWindow)
        ShowTraceWindow();
    if (command.console)
        ShowExchangeConsole();
    return GetMainApp().InitInstance(command.preferredLine,
                                     [](const QString &preferred) { return std::make_unique<CPhoneDlg>(preferred); });
}
