// The dialer's command line: options first, then the name of the line device
// to select and open at start-up (the remaining words joined by blanks).
#pragma once

#include <QString>
#include <QStringList>

/// What the command line asks the dialer to do.
struct CommandLine {
    enum class Action {
        Run,     ///< start the dialer
        Help,    ///< print the help text and exit 0
        Version, ///< print the version and exit 0
        Error,   ///< print `error` and the usage line to stderr and exit 2
    };
    Action action = Action::Run;
    QString preferredLine; ///< the line device to open at start-up; empty for none
    QString traceFile;     ///< --trace FILE: the TAPI trace is written there from the first call on
    bool traceWindow = false; ///< --trace-window: the trace window opens at start-up
    bool console = false;     ///< --console: the exchange console opens at start-up
    QString officeFile;    ///< --office FILE: the exchange starts with the office in FILE; empty for the built-in one
    QString error;         ///< why the command line was refused
};

/// Reads the arguments after the program name. "--" ends the options, so a
/// line name that starts with '-' can still be given.
CommandLine ParseCommandLine(const QStringList &arguments);

/// "Usage: dialwerk [OPTION]... [LINE NAME]"
QString UsageLine();
/// The whole text of --help.
QString HelpText();
/// The text of --version: the program, its version and its licence line.
QString VersionText();
