// The dialer's command line: options, the line name and what is refused.
#include <ui/cli/CommandLine.h>

#include <gtest/gtest.h>

namespace {

struct Row {
    QStringList arguments;
    CommandLine::Action action;
    QString preferredLine;
    QString officeFile = {};
};

class CommandLineRows : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineRows, ReadTheActionAndTheLineName)
{
    const Row &row = GetParam();
    const CommandLine command = ParseCommandLine(row.arguments);
    EXPECT_EQ(command.action, row.action);
    EXPECT_EQ(command.preferredLine, row.preferredLine);
    EXPECT_EQ(command.officeFile, row.officeFile);
    EXPECT_EQ(command.error.isEmpty(), row.action != CommandLine::Action::Error);
}

using A = CommandLine::Action;
INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineRows,
    ::testing::Values(Row{{}, A::Run, {}}, Row{{"Extension", "202"}, A::Run, "Extension 202"},
                      Row{{"--help"}, A::Help, {}}, Row{{"-h", "--bogus"}, A::Help, {}},
                      Row{{"--version"}, A::Version, {}}, Row{{"--bogus"}, A::Error, {}},
                      Row{{"-x", "Extension 202"}, A::Error, {}},
                      // After "--", or once the name began, dashes are part of the name.
                      Row{{"--", "--help"}, A::Run, "--help"}, Row{{"Line", "-", "2"}, A::Run, "Line - 2"},
                      Row{{"-"}, A::Run, "-"},
                      Row{{"--office", "lab.json", "Extension", "202"}, A::Run, "Extension 202", "lab.json"},
                      Row{{"--office=lab.json"}, A::Run, {}, "lab.json"}, Row{{"--office"}, A::Error, {}},
                      Row{{"--office="}, A::Error, {}}));

TEST(CommandLine, TheErrorNamesTheOptionAndTheTextsTheProgram)
{
    EXPECT_EQ(ParseCommandLine({"--trace-all"}).error, "dialwerk: unknown option '--trace-all'");
    EXPECT_TRUE(HelpText().startsWith(UsageLine()));
    EXPECT_TRUE(VersionText().startsWith("dialwerk (Dialwerk) "));
}

TEST(CommandLine, TheConsoleOptionOpensTheConsoleBesideTheLine)
{
    const CommandLine command = ParseCommandLine({"--console", "Extension", "202"});
    EXPECT_TRUE(command.console);
    EXPECT_EQ(command.preferredLine, "Extension 202");
    EXPECT_FALSE(ParseCommandLine({"Extension", "202"}).console);
    EXPECT_TRUE(HelpText().contains("--console"));
}

} // namespace
