#include <ui/cli/CommandLine.h>

#include <QCoreApplication>

#ifndef DIALWERK_VERSION
#define DIALWERK_VERSION "0.0"
#endif

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    QStringList words;
    bool options = true;
    for (const QString &argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
                result.action = CommandLine::Action::Help;
                return result;
            }
            if (argument == QLatin1String("--version") || argument == QLatin1String("-V")) {
                result.action = CommandLine::Action::Version;
                return result;
            }
            result.action = CommandLine::Action::Error;
            result.error = QStringLiteral("dialwerk: unknown option '%1'").arg(argument);
            return result;
        }
        // Once the line name has begun, dashes belong to it ("Line - 2").
        options = false;
        words << argument;
    }
    result.preferredLine = words.join(QLatin1Char(' '));
    return result;
}

QString UsageLine()
{
    return QStringLiteral("Usage: dialwerk [OPTION]... [LINE NAME]");
}

QString HelpText()
{
    return UsageLine() + QStringLiteral(
                             "\n"
                             "An interactive test dialer for the Telephony API, on its simulated exchange.\n"
                             "LINE NAME, the remaining words joined by blanks, names the line device to\n"
                             "select and open at start-up; it must match the device's name exactly.\n"
                             "\n"
                             "Options:\n"
                             "  -h, --help       show this help and exit\n"
                             "  -V, --version    show the version and exit\n"
                             "  --               end of options; what follows is the line name\n");
}

QString VersionText()
{
    return QStringLiteral("dialwerk (Dialwerk) " DIALWERK_VERSION "\n");
}
