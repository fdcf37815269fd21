// The call forwarding windows against the exchange: the instruction entered
// reaches lineForward as the LINEFORWARDLIST it should be, byte for byte, the
// list shows what the address then reports, and calls follow the forwarding.
#include "FeatureTestSupport.h"

#include <ui/dialogs/ForwardDlg.h>
#include <ui/dialogs/ForwardList.h>
#include <window/Shell.h>
#include <window/testing/MessageBoxScript.h>

#include <QTreeWidget>

#include <cstring>

using win::testing::ChooseItem;
using win::testing::Click;
using win::testing::TypeText;

namespace {

using namespace office;

/// One record of a LINEFORWARDLIST as a test expects it.
struct Expected {
    DWORD mode;
    std::u16string caller;
    std::u16string destination;
};

/// Checks every field of a LINEFORWARDLIST: the sizes, the records, and each
/// text at the offset where the one before it ended (caller before destination).
void ExpectForwardList(const std::vector<uint8_t> &bytes, const std::vector<Expected> &records)
{
    const auto dword = [&](size_t offset) {
        DWORD value = 0;
        if (offset + 4 <= bytes.size())
            std::memcpy(&value, bytes.data() + offset, 4);
        return value;
    };
    const auto textBytes = [](const std::u16string &text) { return text.empty() ? 0u : DWORD(text.size() + 1) * 2; };
    DWORD total = 32;
    for (const Expected &r : records)
        total += 24 + textBytes(r.caller) + textBytes(r.destination);
    ASSERT_EQ(bytes.size(), total);
    EXPECT_EQ(dword(0), total) << "dwTotalSize";
    EXPECT_EQ(dword(4), records.size()) << "dwNumEntries";
    DWORD next = 8 + 24 * DWORD(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const size_t at = 8 + 24 * i;
        EXPECT_EQ(dword(at), records[i].mode) << "dwForwardMode of " << i;
        EXPECT_EQ(dword(at + 12), 0u) << "dwDestCountryCode of " << i;
        for (auto [sizeAt, text] :
             {std::pair{at + 4, &records[i].caller}, std::pair{at + 16, &records[i].destination}}) {
            const DWORD size = textBytes(*text);
            EXPECT_EQ(dword(sizeAt), size) << "size field at " << sizeAt;
            EXPECT_EQ(dword(sizeAt + 4), size ? next : 0u) << "offset field at " << sizeAt + 4;
            if (size && next + size <= bytes.size()) {
                std::u16string stored(size / 2, u'?');
                std::memcpy(stored.data(), bytes.data() + next, size);
                EXPECT_EQ(stored, *text + u'\0');
            }
            next += size;
        }
    }
}

class ForwardingTest : public FeatureTest {
protected:
    void TearDown() override
    {
        win::SetCtrlKeyHook({});
        FeatureTest::TearDown();
    }

    /// The address of `who` offers the forward modes `modes` (0x7777: none caller-specific).
    void OfferForwardModes(int who, DWORD modes)
    {
        Exchange().changeLine(DWORD(who),
                              [&](exchange::LineConfig &line) { line.addresses[0].caps.dwForwardModes = modes; });
    }

    /// Runs the forwarding list of `who`'s line; `user` acts on it and closes it.
    void RunList(int who, const std::function<void(CForwardList &)> &user)
    {
        CForwardList list(Parent(), lines[who]);
        RunModal<CForwardList>(list, [&](CForwardList &shown) {
            user(shown);
            Click(shown, win::IDOK);
        });
    }

    /// "&Add..." with the entry window played by `user`, who ends it.
    static void Add(CForwardList &list, std::function<void(CForwardDlg &)> user)
    {
        win::testing::OnNextModal(
            [user = std::move(user)](win::Dialog &shown) { user(dynamic_cast<CForwardDlg &>(shown)); });
        Click(list, CForwardList::IDC_ADD);
    }

    /// The "Type" texts of the list's rows, top first (one address: the first column).
    static QStringList Types(CForwardList &list)
    {
        QStringList types;
        const win::ListView view = list.View(CForwardList::IDC_LIST);
        for (int row = 0; row < view.GetItemCount(); ++row)
            types << view.GetItemText(row, 0);
        return types;
    }
};

struct EntryCase {
    const char *mode;
    const char *caller;
    const char *destination;
    DWORD forwardModes; // the address's dwForwardModes
    Expected sent;
    const char *listed; // the row after a rebuild; empty when the exchange refused the entry
    const char *status;
};

class Entries : public ForwardingTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(Entries, ReachLineForwardAsOneRecordAndAreListedOnRebuild)
{
    const EntryCase &c = GetParam();
    OfferForwardModes(kAnna, c.forwardModes);
    RunList(kAnna, [&](CForwardList &list) {
        Add(list, [&](CForwardDlg &dialog) {
            ChooseItem(dialog, CForwardDlg::IDC_MODE, QString::fromUtf8(c.mode));
            TypeText(dialog, CForwardDlg::IDC_CALLER, QString::fromUtf8(c.caller));
            TypeText(dialog, CForwardDlg::IDC_DESTINATION, QString::fromUtf8(c.destination));
            win::testing::MessageBoxScript boxes; // the rings field is empty for a moment
            TypeText(dialog, CForwardDlg::IDC_RINGS, QStringLiteral("3"));
            Click(dialog, win::IDOK);
        });
        EXPECT_EQ(Status(), QString::fromUtf8(c.status));
        const exchange::RecordedCall sent = Last("lineForwardW");
        EXPECT_EQ(sent.number("bAllAddresses"), 0u);
        EXPECT_EQ(sent.number("dwAddressID"), 0u);
        EXPECT_EQ(sent.number("dwNumRingsNoAnswer"), 3u);
        ExpectForwardList(sent.bytes("lpForwardList"), {c.sent});
        EXPECT_TRUE(Types(list).isEmpty()) << "the list waits for the address status to change";
        list.Rebuild();
        EXPECT_EQ(Types(list).join(u'|'), QString::fromUtf8(c.listed));
    });
}

INSTANTIATE_TEST_SUITE_P(Modes, Entries,
                         // A caller-specific mode without a caller is sent as chosen; this exchange refuses it.
                         ::testing::Values(EntryCase{"Busy",
                                                     "",
                                                     "203",
                                                     0xFFFF,
                                                     {LINEFORWARDMODE_BUSYSPECIFIC, u"", u"203"},
                                                     "",
                                                     "lineForward (0x80000010) Invalid Address"},
                                           EntryCase{"No Answer",
                                                     "5551234",
                                                     "203",
                                                     0xFFFF,
                                                     {LINEFORWARDMODE_NOANSWSPECIFIC, u"5551234", u"203"},
                                                     "LINEFORWARDMODE_NOANSWSPECIFIC",
                                                     ""},
                                           EntryCase{"Unconditional",
                                                     "5551234",
                                                     "203",
                                                     0x7777,
                                                     {LINEFORWARDMODE_UNCOND, u"", u"203"},
                                                     "LINEFORWARDMODE_UNCOND",
                                                     ""},
                                           EntryCase{"Do Not Disturb (DND)",
                                                     "",
                                                     "",
                                                     0xFFFF,
                                                     {LINEFORWARDMODE_UNCOND, u"", u""},
                                                     "LINEFORWARDMODE_UNCOND (DND)",
                                                     ""}));

TEST_F(ForwardingTest, ForwardAllSendsEveryEntryAndRemoveSendsWhatRemainsDownToAnEmptyList)
{
    RunList(kAnna, [&](CForwardList &list) {
        for (auto [mode, destination, all] :
             {std::tuple{"External (Busy)", "204", false}, std::tuple{"External (No Answer)", "203", true}}) {
            Add(list, [&](CForwardDlg &dialog) {
                if (all)
                    Click(dialog, CForwardDlg::IDC_FORWARD_ALL);
                EXPECT_EQ(dialog.IsDlgItemEnabled(CForwardDlg::IDC_ADDRESS), !all);
                ChooseItem(dialog, CForwardDlg::IDC_MODE, QString::fromUtf8(mode));
                TypeText(dialog, CForwardDlg::IDC_DESTINATION, QString::fromUtf8(destination));
                Click(dialog, win::IDOK);
            });
            list.Rebuild();
        }
        const exchange::RecordedCall all = Last("lineForwardW");
        EXPECT_EQ(all.number("bAllAddresses"), 1u);
        ExpectForwardList(all.bytes("lpForwardList"),
                          {{LINEFORWARDMODE_BUSYEXTERNAL, u"", u"204"}, {LINEFORWARDMODE_NOANSWEXTERNAL, u"", u"203"}});
        EXPECT_EQ(Types(list), (QStringList{"LINEFORWARDMODE_NOANSWEXTERNAL", "LINEFORWARDMODE_BUSYEXTERNAL"}));

        for (const std::vector<Expected> &remaining :
             {std::vector<Expected>{{LINEFORWARDMODE_BUSYEXTERNAL, u"", u"204"}}, std::vector<Expected>{}}) {
            ASSERT_TRUE(ChooseItem(list, CForwardList::IDC_LIST, 0));
            Click(list, CForwardList::IDC_REMOVE);
            const exchange::RecordedCall removed = Last("lineForwardW");
            EXPECT_EQ(removed.number("bAllAddresses"), 0u);
            ExpectForwardList(removed.bytes("lpForwardList"), remaining);
            list.Rebuild();
            EXPECT_EQ(Types(list).size(), remaining.size());
        }

        Click(list, CForwardList::IDC_REMOVE_ALL);
        const exchange::RecordedCall none = Last("lineForwardW");
        EXPECT_EQ(none.number("bAllAddresses"), 1u);
        EXPECT_TRUE(none.isNull("lpForwardList"));
    });
}

TEST_F(ForwardingTest, UnconditionalWithoutDestinationNeedsDoNotDisturbOfferedAndRingsMustBeANumber)
{
    bool ctrl = false;
    win::SetCtrlKeyHook([&] { return ctrl; });
    CForwardDlg plain(Parent(), lines[kAnna]);
    RunModal<CForwardDlg>(plain, [](CForwardDlg &shown) {
        EXPECT_EQ(shown.GetDlgItemText(CForwardDlg::IDC_MODE), QStringLiteral("Unconditional"));
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK)) << "a destination is needed";
        TypeText(shown, CForwardDlg::IDC_DESTINATION, QStringLiteral("2"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));

        win::testing::MessageBoxScript boxes;
        TypeText(shown, CForwardDlg::IDC_RINGS, QStringLiteral("7"));
        TypeText(shown, CForwardDlg::IDC_RINGS, QString());
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_EQ(boxes.Shown().back().text, QStringLiteral("Please enter a positive integer."));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(plain.GetRings(), 7) << "an empty field keeps the number read before";

    ctrl = true;
    CForwardDlg withCtrl(Parent(), lines[kAnna]);
    RunModal<CForwardDlg>(withCtrl, [](CForwardDlg &shown) {
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK)) << "Ctrl offers do-not-disturb";
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(withCtrl.GetMode(), DWORD{LINEFORWARDMODE_UNCONDSPECIFIC}) << "the caller field is in use";
}

TEST_F(ForwardingTest, ColumnsFollowTheNumberOfAddresses)
{
    for (auto [line, headings] : {std::pair{DWORD{0}, QStringList{"Type", "Destination"}},
                                  std::pair{DWORD{4}, QStringList{"Address", "Type", "Destination"}}}) {
        CForwardList list(Parent(), session->GetLine(line));
        RunModal<CForwardList>(list, [&](CForwardList &shown) {
            EXPECT_EQ(shown.windowTitle(), QStringLiteral("Call forwarding"));
            auto *tree = shown.Item<QTreeWidget>(CForwardList::IDC_LIST);
            ASSERT_NE(tree, nullptr);
            QStringList shownHeadings;
            for (int column = 0; column < tree->columnCount(); ++column)
                shownHeadings << tree->headerItem()->text(column);
            EXPECT_EQ(shownHeadings, headings);
            Click(shown, win::IDCANCEL);
        });
    }
}

TEST_F(ForwardingTest, ACallToTheForwardedExtensionRingsAtTheDestination)
{
    OfferForwardModes(kBen, 0x7777);
    RunList(kBen, [&](CForwardList &list) {
        Add(list, [](CForwardDlg &dialog) {
            TypeText(dialog, CForwardDlg::IDC_DESTINATION, QStringLiteral("203"));
            Click(dialog, win::IDOK);
        });
    });
    CTapiCall *call = nullptr;
    ASSERT_EQ(lines[kAnna]->MakeCall(&call, Number(kBen)), 0u);
    CTapiCall *atCarl = RingsAt(kCarl);
    ASSERT_NE(atCarl, nullptr);
    EXPECT_EQ(atCarl->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_FWDUNCOND});
    EXPECT_EQ(lines[kBen]->GetCallCount(), 0u);
}

} // namespace
