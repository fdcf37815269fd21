// The words for TAPI result codes.
#include <app/ErrorTexts.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Row {
    std::uint32_t code;
    const char *text;
};

class ErrorTextsTest : public ::testing::TestWithParam<Row> {};

TEST_P(ErrorTextsTest, TextOfCode)
{
    EXPECT_EQ(GetErrorText(GetParam().code), QString::fromLatin1(GetParam().text))
        << std::hex << "code 0x" << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(Codes, ErrorTextsTest,
                         ::testing::Values(
                             // Not errors: success, request identifiers, and the wait's time-out.
                             Row{0, "Unknown Error"}, Row{1, "Unknown Error"}, Row{0x80000000, "Unknown Error"},
                             Row{0xFFFFFFFF, "Request timeout"},
                             // Line errors, first, last, and the program's own wordings.
                             Row{0x80000001, "Line is allocated already."}, Row{0x80000018, "Invalid Call handle"},
                             Row{0x80000032, "Invalid Parameter"}, Row{0x80000056, "Multiple instances not alloed"},
                             Row{0x8000004F, "Target number is self!"}, Row{0x8000005C, "Voice detected"},
                             // Codes TAPI does not define.
                             Row{0x80000004, "Unknown Error"}, Row{0x80000031, "Unknown Error"},
                             Row{0x8000005D, "Unknown Error"}, Row{0x8FFFFFFF, "Unknown Error"},
                             // Phone errors: their own letter case.
                             Row{0x90000001, "Phone is allocated already"}, Row{0x90000012, "Invalid parameter"},
                             Row{0x90000019, "TSP Driver missing components"},
                             Row{0x90000023, "TAPI must be reinitialized"}, Row{0x9000001E, "Unknown Error"},
                             Row{0x90000024, "Unknown Error"},
                             // Undefined codes whose low bits look like defined ones borrow no text.
                             Row{0x80008001, "Unknown Error"}, Row{0x90008001, "Unknown Error"},
                             Row{0x80010018, "Unknown Error"}, Row{0xA0000001, "Unknown Error"}));

} // namespace
