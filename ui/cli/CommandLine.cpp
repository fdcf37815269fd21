#include <ui/cli/CommandLine.h>

#include <QCoreApplication>

#ifndef DIALWERK_VERSION
#define DIALWERK_VERSION "0.0"
#endif

namespace {

// Reads "OPTION FILE" or "OPTION=FILE" at arguments[i] into `file`: false
// when the argument is another option; an empty name is an error.
bool TakeFileName(const QStringList &arguments, qsizetype &i, const QString &option, QString &file,
                  CommandLine &result)
{
    const QString &argument = arguments[i];
    const QString joined = option + QLatin1Char('=');
    if (argument != option && !argument.startsWith(joined))
        return false;
    if (argument.startsWith(joined))
        file = argument.mid(joined.size());
    else if (i + 1 < arguments.size())
        file = arguments[++i];
    if (file.isEmpty()) {
        result.action = CommandLine::Action::Error;
        result.error = QStringLiteral("dialwerk: option '%1' needs a file name").arg(option);
    }
    return true;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    QStringList words;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
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
            if (argument == QLatin1String("--trace-window")) {
                result.traceWindow = true;
                continue;
            }
            if (argument == QLatin1String("--console")) {
                result.console = true;
                continue;
            }
            if (TakeFileName(arguments, i, QStringLiteral("--trace"), result.traceFile, result) ||
                TakeFileName(arguments, i, QStringLiteral("--office"), result.officeFile, result)) {
                if (result.action == CommandLine::Action::Error)
                    return result;
                continue;
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
                             "  --trace FILE     write the TAPI trace (every function called and every\n"
                             "                   message received, decoded) to FILE from the first call on\n"
                             "  --trace-window   open the TAPI trace window at start-up\n"
                             "  --console        open the exchange console at start-up\n"
                             "  --office FILE    start the simulated exchange with the office described in\n"
                             "                   FILE (lines, phones, external numbers; a JSON file) instead\n"
                             "                   of the built-in one\n"
                             "  -h, --help       show this help and exit\n"
                             "  -V, --version    show the version and exit\n"
                             "  --               end of options; what follows is the line name\n");
}

QString VersionText()
{
    return QStringLiteral("dialwerk (Dialwerk) " DIALWERK_VERSION "\n");
}
