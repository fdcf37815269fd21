// Reading the untidy options from a configuration text, and how rules match.
#include <exchange/untidy/UntidyOptions.h>

#include <gtest/gtest.h>

using exchange::Untidy;
using exchange::UntidyOptions;

namespace {

TEST(UntidyOptionsTest, ConfigurationsTurnOnWhatTheyName)
{
    struct Row {
        const char *text;
        bool accepted;
        bool random;
        Untidy option;
        const char *function;
        std::optional<DWORD> device;
        bool applies;
    };
    const Row rows[] = {
        {"42", true, true, Untidy::RepeatedStates, "", 0, false},
        {"random=42", true, true, Untidy::RepeatedStates, "", 0, false},
        {"repeated-states", true, false, Untidy::RepeatedStates, "lineDrop", 3, true},
        {"mode-changes@lineAnswer", true, false, Untidy::ModeChanges, "lineAnswer", 0, true},
        {"mode-changes@lineAnswer", true, false, Untidy::ModeChanges, "lineDrop", 0, false},
        {"provider-close#2,unknown-states", true, false, Untidy::ProviderClose, "", 2, true},
        {"provider-close#2", true, false, Untidy::ProviderClose, "", 1, false},
        {"partly-filled@lineGetCallInfoW#0", true, false, Untidy::PartlyFilled, "lineGetCallInfoW", 0, true},
        {"tidy", false, false, Untidy::RepeatedStates, "", 0, false},
        {"repeated-states#x", false, false, Untidy::RepeatedStates, "", 0, false},
        {"repeated-states@", false, false, Untidy::RepeatedStates, "", 0, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        UntidyOptions options;
        std::string error;
        EXPECT_EQ(row.accepted, options.configure(row.text, &error));
        EXPECT_EQ(row.accepted, error.empty());
        EXPECT_EQ(row.random, options.randomSeed() == 42u);
        if (!row.random) {
            EXPECT_EQ(row.applies, options.applies(row.option, row.function, row.device));
        }
    }
}

TEST(UntidyOptionsTest, CountedRulesAreUsedUpAndNamesRoundTrip)
{
    UntidyOptions options;
    options.enable(Untidy::NeededSizeAgain, {"lineGetDevCapsW", {}}, 2);
    EXPECT_TRUE(options.applies(Untidy::NeededSizeAgain, "lineGetDevCapsW", 5));
    EXPECT_FALSE(options.applies(Untidy::PartlyFilled, "lineGetDevCapsW", 5));
    EXPECT_TRUE(options.applies(Untidy::NeededSizeAgain, "lineGetDevCapsW", std::nullopt));
    EXPECT_FALSE(options.applies(Untidy::NeededSizeAgain, "lineGetDevCapsW", 5));
    for (int i = 0; i < exchange::kUntidyOptions; ++i)
        EXPECT_EQ(Untidy(i), exchange::untidyByName(exchange::untidyName(Untidy(i))));
}

} // namespace
