// The hexadecimal viewer: the rows of a dump, and what it holds and shows.
#include <ui/controls/HexEdit.h>

#include <window/Fonts.h>
#include <window/testing/TestEnvironment.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> Range(unsigned char first, int count)
{
    std::vector<unsigned char> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<unsigned char>(first + i));
    return bytes;
}

struct DumpRow {
    const char *what;
    std::vector<unsigned char> bytes;
    const char *dump;
};

class HexEditDumpTest : public testing::TestWithParam<DumpRow> {};

TEST_P(HexEditDumpTest, Rows)
{
    const DumpRow &row = GetParam();
    EXPECT_EQ(CHexEdit::FormatDump(row.bytes.data(), row.bytes.size()), QString::fromLatin1(row.dump)) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, HexEditDumpTest,
    testing::Values(
        DumpRow{"nothing", {}, ""},
        DumpRow{"one byte, the rest of the row 00 and dots",
                {0x41},
                "00000000 41 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  A..............."},
        DumpRow{"17 bytes: a second row for the last",
                Range(0x41, 17),
                "00000000 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP\r\n"
                "00000010 51 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  Q..............."},
        DumpRow{"only 0x20 to 0x7E are characters",
                {0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF, 0x00},
                "00000000 1F 20 7E 7F 80 FF 00 00 00 00 00 00 00 00 00 00  . ~............."}));

class HexEditTest : public testing::Test {
protected:
    void SetUp() override { win::testing::ResetPlatform(); }
};

TEST_F(HexEditTest, HoldsACopyShowsItAndEmptiesReadOnly)
{
    CHexEdit viewer;
    viewer.Attach();
    EXPECT_TRUE(viewer.isReadOnly());
    EXPECT_TRUE(viewer.toPlainText().isEmpty());

    std::vector<unsigned char> bytes = Range(0x41, 17);
    viewer.SetData(bytes.data(), DWORD(bytes.size()));
    bytes[0] = 0x5A; // the viewer keeps its own copy
    EXPECT_EQ(viewer.GetData(), Range(0x41, 17));
    EXPECT_EQ(viewer.toPlainText().split(u'\n').size(), 2);
    EXPECT_TRUE(viewer.toPlainText().startsWith("00000000 41 42"));
    EXPECT_EQ(viewer.font().family(), win::GetStockFont(win::StockFont::AnsiFixed).family());

    viewer.SetData(bytes.data(), 0);
    EXPECT_TRUE(viewer.GetData().empty());
    EXPECT_TRUE(viewer.toPlainText().isEmpty());
    viewer.SetData(nullptr, 5);
    EXPECT_TRUE(viewer.GetData().empty());
    EXPECT_TRUE(viewer.isReadOnly());
}

} // namespace
