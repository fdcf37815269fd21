// The 8-bit code page of call data, user-to-user information and phone
// displays: Windows-1252, both ways.
#include "TapiCodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CodePageRow {
    const char *what;
    std::string bytes;
    tapi_string text;
};

class CodePageTest : public testing::TestWithParam<CodePageRow> {};

TEST_P(CodePageTest, DecodesAndEncodesBack)
{
    const CodePageRow &row = GetParam();
    const auto *bytes = reinterpret_cast<const unsigned char *>(row.bytes.data());
    EXPECT_EQ(DecodeAnsiText(bytes, row.bytes.size()), row.text) << row.what;
    EXPECT_EQ(EncodeAnsiText(row.text), row.bytes) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CodePageTest,
    testing::Values(CodePageRow{"ASCII", "AB", TAPI_TEXT("AB")},
                    CodePageRow{"a zero byte is a character like any other", std::string("A\0B", 3),
                                tapi_string{u'A', 0, u'B'}},
                    CodePageRow{"Latin-1 half", "\xE9\xFF\xA0", TAPI_TEXT("\u00e9\u00ff\u00a0")},
                    CodePageRow{"euro sign, quotes and dashes", "\x80\x93\x94\x96", TAPI_TEXT("\u20ac\u201c\u201d\u2013")},
                    CodePageRow{"an undefined byte stays a control character", "\x81\x9D",
                                TAPI_TEXT("\u0081\u009d")}));

TEST(CodePageEncodeTest, WhatTheCodePageCannotHoldBecomesOneQuestionMarkEach)
{
    EXPECT_EQ(EncodeAnsiText(TAPI_TEXT("\u0416x")), "?x");
    EXPECT_EQ(EncodeAnsiText(TAPI_TEXT("\U0001F600!")), "?!") << "a surrogate pair is one character";
    EXPECT_EQ(EncodeAnsiText(tapi_string{0xD800, u'a'}), "?a") << "a lone surrogate";
}

} // namespace
