// Forwarding through the C API: the forward list in the address status,
// LINE_ADDRESSSTATE, calls following each kind of forwarding, and the
// checks of the list an application hands in.
#include "ThreeExtensions.h"

#include <cstddef>
#include <cstring>

using namespace tapitest;

namespace {

struct Entry {
    DWORD mode;
    std::u16string dest;
    std::u16string caller;
};

/// A LINEFORWARDLIST with its strings after the entries.
std::vector<uint8_t> forwardList(const std::vector<Entry> &entries)
{
    const size_t head = offsetof(LINEFORWARDLIST, ForwardList) + entries.size() * sizeof(LINEFORWARD);
    std::vector<uint8_t> buffer(head);
    auto addText = [&](const std::u16string &text, DWORD &size, DWORD &offset) {
        if (text.empty())
            return;
        offset = DWORD(buffer.size());
        size = DWORD((text.size() + 1) * 2);
        const auto *p = reinterpret_cast<const uint8_t *>(text.c_str());
        buffer.insert(buffer.end(), p, p + size);
    };
    std::vector<LINEFORWARD> fixed(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        fixed[i].dwForwardMode = entries[i].mode;
        addText(entries[i].dest, fixed[i].dwDestAddressSize, fixed[i].dwDestAddressOffset);
        addText(entries[i].caller, fixed[i].dwCallerAddressSize, fixed[i].dwCallerAddressOffset);
    }
    std::memcpy(buffer.data() + offsetof(LINEFORWARDLIST, ForwardList), fixed.data(),
                fixed.size() * sizeof(LINEFORWARD));
    auto *list = reinterpret_cast<LINEFORWARDLIST *>(buffer.data());
    list->dwTotalSize = DWORD(buffer.size());
    list->dwNumEntries = DWORD(entries.size());
    return buffer;
}

class ForwardTest : public ThreeExtensions {
protected:
    /// Forwards 202's address; answers the reply's result.
    LONG forward202(const std::vector<Entry> &entries, DWORD rings = 3)
    {
        std::vector<uint8_t> list = forwardList(entries);
        const LONG id =
            lineForwardW(lines[1], FALSE, 0, reinterpret_cast<LINEFORWARDLIST *>(list.data()), rings, nullptr, nullptr);
        if (id < 0)
            return id;
        const LONG result = reply(apps[1], id);
        drain(apps[1]);
        return result;
    }

    /// The forward entries (mode, destination) of 202's address status.
    std::vector<std::pair<DWORD, std::u16string>> status202(DWORD *rings = nullptr)
    {
        std::vector<uint8_t> buffer(1024);
        auto *s = reinterpret_cast<LINEADDRESSSTATUS *>(buffer.data());
        s->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetAddressStatusW(lines[1], 0, s));
        if (rings)
            *rings = s->dwNumRingsNoAnswer;
        std::vector<std::pair<DWORD, std::u16string>> out;
        EXPECT_LE(s->dwForwardOffset + s->dwForwardSize, s->dwUsedSize);
        for (DWORD i = 0; i < s->dwForwardNumEntries; ++i) {
            LINEFORWARD f;
            std::memcpy(&f, buffer.data() + s->dwForwardOffset + i * sizeof f, sizeof f);
            std::u16string dest;
            if (f.dwDestAddressSize >= 2)
                dest.assign(reinterpret_cast<const char16_t *>(buffer.data() + f.dwDestAddressOffset),
                            f.dwDestAddressSize / 2 - 1);
            out.emplace_back(f.dwForwardMode, dest);
        }
        return out;
    }

    /// The reason and redirecting number of the call ringing at extension `i`.
    std::pair<DWORD, std::u16string> arrived(int i)
    {
        const HCALL call = announced(i);
        return {info(call).dwReason,
                party(call, &LINECALLINFO::dwRedirectingIDSize, &LINECALLINFO::dwRedirectingIDOffset)};
    }
};

using Entries = std::vector<std::pair<DWORD, std::u16string>>;

TEST_F(ForwardTest, UnconditionalForwardingIsReportedAndCallsFollowIt)
{
    ASSERT_EQ(0, lineSetStatusMessages(lines[1], 0, LINEADDRESSSTATE_FORWARD));
    std::vector<uint8_t> list = forwardList({{LINEFORWARDMODE_UNCOND, u"203", {}}});
    const LONG id =
        lineForwardW(lines[1], FALSE, 0, reinterpret_cast<LINEFORWARDLIST *>(list.data()), 3, nullptr, nullptr);
    EXPECT_EQ(0, reply(apps[1], id));
    const Msg m = next(apps[1]);
    EXPECT_EQ(DWORD(LINE_ADDRESSSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(0), m.p1);
    EXPECT_EQ(DWORD_PTR(LINEADDRESSSTATE_FORWARD), m.p2);
    DWORD rings = 0;
    EXPECT_EQ((Entries{{LINEFORWARDMODE_UNCOND, u"203"}}), status202(&rings));
    EXPECT_EQ(3u, rings);

    makeCall(apps[0], lines[0], u"202");
    EXPECT_EQ((std::pair<DWORD, std::u16string>{LINECALLREASON_FWDUNCOND, u"202"}), arrived(2));
    EXPECT_TRUE(quiet(apps[1])) << "202 never rang";

    // A null list cancels the forwarding.
    EXPECT_EQ(0, reply(apps[1], lineForwardW(lines[1], FALSE, 0, nullptr, 0, nullptr, nullptr)));
    drain(apps[1]);
    EXPECT_TRUE(status202().empty());
}

TEST_F(ForwardTest, BusyAndNoAnswerForwardingWaitForTheirCondition)
{
    // 202 out of service counts as busy: a call moves on to the outside at once.
    EXPECT_EQ(0, forward202({{LINEFORWARDMODE_BUSY, u"5550105", {}}, {LINEFORWARDMODE_NOANSW, u"203", {}}}, 2));
    ASSERT_EQ(0, ex().setLineStatus(1, LINEDEVSTATUSFLAGS_INSERVICE, false));
    const HCALL a = makeCall(apps[0], lines[0], u"202");
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);
    ASSERT_EQ(0, ex().setLineStatus(1, LINEDEVSTATUSFLAGS_INSERVICE, true));
    drain(apps[1]);

    // A call from outside rings at 202 for two ring cycles, then moves to 203.
    ex().incomingCall(1, 0, u"5551234", u"Dora Engel");
    const HCALL ringing = announced(1);
    ex().advance(exchange::Millis(6499));
    drain(apps[2]);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), state(ringing));
    ex().advance(exchange::Millis(1));
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(ringing));
    EXPECT_EQ((std::pair<DWORD, std::u16string>{LINECALLREASON_FWDNOANSWER, u"202"}), arrived(2));
}

TEST_F(ForwardTest, DoNotDisturbAndCallerSpecificForwarding)
{
    // Unconditional without a destination: nobody gets through.
    EXPECT_EQ(0, forward202({{LINEFORWARDMODE_UNCOND, {}, {}}}));
    const HCALL a = makeCall(apps[0], lines[0], u"202");
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), state(a));
    EXPECT_EQ(0u, ex().incomingCall(1, 0, u"5551234", u"Dora Engel"));
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);

    // Only 201 is sent to 203; a call from outside still rings at 202.
    EXPECT_EQ(0, forward202({{LINEFORWARDMODE_UNCONDSPECIFIC, u"203", u"201"}}));
    makeCall(apps[0], lines[0], u"202");
    EXPECT_EQ(DWORD(LINECALLREASON_FWDUNCOND), arrived(2).first);
    ex().incomingCall(1, 0, u"5551234", u"Dora Engel");
    EXPECT_EQ(DWORD(LINECALLREASON_DIRECT), arrived(1).first);

    // Internal-only forwarding leaves calls from outside alone as well.
    EXPECT_EQ(0, forward202({{LINEFORWARDMODE_UNCONDINTERNAL, u"203", {}}}));
    ex().incomingCall(1, 0, u"5551235", u"Emil Fink");
    EXPECT_EQ(DWORD(LINECALLREASON_DIRECT), arrived(1).first);
}

TEST_F(ForwardTest, AForwardListIsCheckedBeforeAnythingIsRead)
{
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), forward202({{LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_BUSY, u"203", {}}}));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), forward202({{LINEFORWARDMODE_UNCOND, u"299", {}}}));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), forward202({{LINEFORWARDMODE_BUSYSPECIFIC, u"203", {}}}));
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), forward202(std::vector<Entry>(5, {LINEFORWARDMODE_BUSY, u"203", {}})));

    std::vector<uint8_t> list = forwardList({{LINEFORWARDMODE_UNCOND, u"203", {}}});
    auto *l = reinterpret_cast<LINEFORWARDLIST *>(list.data());
    l->dwNumEntries = 1000;
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), lineForwardW(lines[1], FALSE, 0, l, 1, nullptr, nullptr));
    l->dwNumEntries = 1;
    l->ForwardList[0].dwDestAddressOffset = 0xFFFFFFF0;
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), lineForwardW(lines[1], FALSE, 0, l, 1, nullptr, nullptr));
    l->dwTotalSize = 4;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineForwardW(lines[1], FALSE, 0, l, 1, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineForwardW(lines[1], FALSE, 3, nullptr, 1, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineForwardW(0xBAD, TRUE, 0, nullptr, 1, nullptr, nullptr));

    // Rings outside the address's limits take the nearest limit; no
    // consultation call is made.
    HCALL consult = 0xFFFF;
    list = forwardList({{LINEFORWARDMODE_NOANSW, u"203", {}}});
    EXPECT_EQ(0, reply(apps[1], lineForwardW(lines[1], TRUE, 0, reinterpret_cast<LINEFORWARDLIST *>(list.data()), 99,
                                             &consult, nullptr)));
    EXPECT_EQ(0u, consult);
    DWORD rings = 0;
    status202(&rings);
    EXPECT_EQ(10u, rings);
}

} // namespace
