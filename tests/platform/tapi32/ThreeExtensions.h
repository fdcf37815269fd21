// A fixture with the default extensions 201, 202 and 203, each opened by its own
// application, and helpers to read what happened to calls.
#ifndef DIALWERK_TESTS_THREEEXTENSIONS_H
#define DIALWERK_TESTS_THREEEXTENSIONS_H

#include "TapiFixture.h"

#include <utility>

namespace tapitest {

class ThreeExtensions : public TapiFixture {
protected:
    void SetUp() override
    {
        useTopology(exchange::Topology::standard());
        for (int i = 0; i < 3; ++i) {
            apps[i] = lineApp(u"App");
            lines[i] = openLine(apps[i], DWORD(i));
        }
    }

    /// The handle LINE_APPNEWCALL announced (other messages drained).
    HCALL announced(int i) { return announcedCall(apps[i]); }

    /// Extension `from` calls extension `to` (0..2), which answers; answers
    /// both handles with every message drained.
    std::pair<HCALL, HCALL> connect(int from, int to)
    {
        const char16_t *numbers[] = {u"201", u"202", u"203"};
        const HCALL a = makeCall(apps[from], lines[from], numbers[to]);
        const HCALL b = announced(to);
        EXPECT_EQ(0, reply(apps[to], lineAnswer(b, nullptr, 0)));
        drain(apps[from]);
        drain(apps[to]);
        return {a, b};
    }

    /// (call, state) of every LINE_CALLSTATE waiting for extension `i`.
    std::vector<std::pair<HCALL, DWORD>> states(int i)
    {
        std::vector<std::pair<HCALL, DWORD>> out;
        for (const Msg &m : drain(apps[i]))
            if (m.id == LINE_CALLSTATE)
                out.emplace_back(HCALL(m.device), DWORD(m.p1));
        return out;
    }

    LONG replyAfterStates(int i, LONG requestId) { return TapiFixture::replyAfterStates(apps[i], requestId); }

    /// lineDrop without user-user information.
    static LONG lineDropCall(HCALL call) { return lineDrop(call, nullptr, 0); }

    /// A party id (number) of a call's information.
    std::u16string party(HCALL call, DWORD LINECALLINFO::*size, DWORD LINECALLINFO::*offset)
    {
        std::vector<uint8_t> buffer(4096);
        auto *info = reinterpret_cast<LINECALLINFO *>(buffer.data());
        info->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetCallInfoW(call, info));
        if (info->*size < 2)
            return {};
        return {reinterpret_cast<const char16_t *>(buffer.data() + info->*offset), info->*size / 2 - 1};
    }

    HLINEAPP apps[3] = {};
    HLINE lines[3] = {};
};

} // namespace tapitest

#endif
