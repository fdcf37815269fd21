// Two applications, one on extension 201 and one on 202, call each other
// and the outside for a few hundred random steps while the exchange runs in
// the untidy random mode. Every call a side hears of must reach IDLE (or go
// with its line when the provider closes it) and be deallocated; nothing may
// be left in the exchange or the runtime. DIALWERK_STRESS_SEED picks the walk.
#include "TapiFixture.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>

using namespace tapitest;

namespace {

class UntidyWalkTest : public TapiFixture {
protected:
    struct Side {
        DWORD device = 0;
        const char16_t *number = u"";
        HLINEAPP app = 0;
        HLINE line = 0;
        std::map<HCALL, DWORD> calls;                         // live handles and their last state
        std::map<DWORD, std::unique_ptr<HCALL>> madeBy;       // request id → lineMakeCall's out handle
    };

    std::mt19937_64 rng;
    Side sides[2];
    std::set<HCALL> seen, finished;

    size_t pick(size_t n) { return n ? size_t(rng() % n) : 0; }

    HCALL anyCall(Side &s, DWORD states)
    {
        std::vector<HCALL> fit;
        for (const auto &[h, state] : s.calls)
            if (state & states)
                fit.push_back(h);
        return fit.empty() ? 0 : fit[pick(fit.size())];
    }

    void reopen(Side &s) { s.line = openLine(s.app, s.device); }

    bool lineClosed(const Side &s)
    {
        LINEDEVSTATUS status{};
        status.dwTotalSize = sizeof status;
        return lineGetLineDevStatus(s.line, &status) == LONG(LINEERR_INVALLINEHANDLE);
    }

    void finish(Side &s, HCALL h)
    {
        s.calls.erase(h);
        finished.insert(h);
    }

    /// Reads the messages of a side and keeps its calls: IDLE ones are
    /// deallocated, a closed line takes its calls with it and is opened again.
    void settle(Side &s)
    {
        for (const Msg &m : drain(s.app)) {
            switch (m.id) {
            case LINE_REPLY:
                if (auto it = s.madeBy.find(DWORD(m.p1)); it != s.madeBy.end()) {
                    if (m.p2 == 0 && *it->second) {
                        s.calls[*it->second] = 0;
                        seen.insert(*it->second);
                    }
                    s.madeBy.erase(it);
                }
                break;
            case LINE_APPNEWCALL:
                s.calls[HCALL(m.p2)] = 0;
                seen.insert(HCALL(m.p2));
                break;
            case LINE_CALLSTATE:
                if (auto it = s.calls.find(HCALL(m.device)); it != s.calls.end()) {
                    it->second = DWORD(m.p1);
                    if (m.p1 == LINECALLSTATE_IDLE) {
                        // A handle is gone already when the provider closed
                        // the line behind this message (LINE_CLOSE follows).
                        const LONG r = lineDeallocateCall(it->first);
                        if (r != 0) {
                            EXPECT_TRUE(r == LONG(LINEERR_INVALCALLHANDLE) && lineClosed(s)) << r;
                        }
                        finish(s, it->first);
                    }
                }
                break;
            case LINE_CLOSE:
                if (m.device != s.line)
                    break; // a stale message for an earlier open
                for (auto it = s.calls.begin(); it != s.calls.end();) {
                    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDeallocateCall(it->first));
                    finished.insert(it->first);
                    it = s.calls.erase(it);
                }
                s.madeBy.clear();
                reopen(s);
                break;
            default:
                break;
            }
        }
    }

    /// Reads a structure with the usual size-then-retry loop (a few rounds at most).
    void readStatus(HCALL h)
    {
        std::vector<uint8_t> buffer(sizeof(LINECALLINFO));
        for (int round = 0; round < 4; ++round) {
            auto *info = reinterpret_cast<LINECALLINFO *>(buffer.data());
            info->dwTotalSize = DWORD(buffer.size());
            if (lineGetCallInfoW(h, info) != 0 || info->dwNeededSize <= info->dwTotalSize)
                return;
            buffer.assign(info->dwNeededSize, 0);
        }
    }

    void step(Side &s, Side &other)
    {
        switch (pick(10)) {
        case 0: {
            const char16_t *numbers[] = {other.number, u"5550100", u"5550102", u"5550105"};
            auto out = std::make_unique<HCALL>(0);
            const LONG id = lineMakeCallW(s.line, out.get(), numbers[pick(4)], 0, nullptr);
            if (id > 0)
                s.madeBy[DWORD(id)] = std::move(out);
            break;
        }
        case 1:
            if (HCALL h = anyCall(s, LINECALLSTATE_OFFERING))
                lineAnswer(h, nullptr, 0);
            break;
        case 2:
            if (HCALL h = anyCall(s, ~DWORD(LINECALLSTATE_IDLE)))
                lineDrop(h, nullptr, 0);
            break;
        case 3:
            if (HCALL h = anyCall(s, LINECALLSTATE_CONNECTED))
                lineHold(h);
            break;
        case 4:
            if (HCALL h = anyCall(s, LINECALLSTATE_ONHOLD))
                lineUnhold(h);
            break;
        case 5:
            ex().advance(exchange::Millis(pick(4000)));
            break;
        case 6:
            if (HCALL h = anyCall(s, ~DWORD(0)))
                ex().remoteHangUp(tapi32::Runtime::instance().legOf(h));
            break;
        case 7:
            if (pick(4) == 0) {
                EXPECT_EQ(0, lineClose(s.line));
                for (const auto &[h, state] : s.calls)
                    finished.insert(h);
                s.calls.clear();
                s.madeBy.clear();
                reopen(s);
            }
            break;
        case 8:
            ex().incomingCall(s.device, 0, u"5551234", u"Dora");
            break;
        default:
            if (HCALL h = anyCall(s, ~DWORD(0)))
                readStatus(h);
            break;
        }
    }
};

TEST_F(UntidyWalkTest, EveryCallEitherSideSawEndsIdleAndDeallocated)
{
    uint64_t seed = 1;
    if (const char *text = std::getenv("DIALWERK_STRESS_SEED"))
        seed = std::strtoull(text, nullptr, 10);
    SCOPED_TRACE("DIALWERK_STRESS_SEED=" + std::to_string(seed));
    rng.seed(seed);
    sides[0].device = 0;
    sides[0].number = u"201";
    sides[1].device = 1;
    sides[1].number = u"202";
    for (Side &s : sides) {
        s.app = lineApp(s.number);
        reopen(s);
    }
    ex().untidy().random(seed);

    for (int n = 0; n < 300 && !HasFailure(); ++n) {
        const size_t who = pick(2);
        step(sides[who], sides[1 - who]);
        settle(sides[0]);
        settle(sides[1]);
    }

    // Wind down tidily: hang up what is left until both sides are quiet.
    ex().untidy().clear();
    for (int round = 0; round < 10 && (!sides[0].calls.empty() || !sides[1].calls.empty()); ++round) {
        for (Side &s : sides)
            for (const auto &[h, state] : s.calls)
                if (state != LINECALLSTATE_IDLE)
                    lineDrop(h, nullptr, 0);
        ex().advance(exchange::Millis(10000));
        settle(sides[0]);
        settle(sides[1]);
    }
    for (const Side &s : sides)
        EXPECT_TRUE(s.calls.empty()) << s.calls.size() << " calls of line " << s.device << " never went idle";
    for (HCALL h : seen)
        EXPECT_TRUE(finished.count(h)) << "call " << h << " was not deallocated";
    for (DWORD device = 0; device < 7; ++device)
        EXPECT_TRUE(ex().legsOn(device).empty()) << "calls left on line " << device;
    tapi32::Registry &reg = tapi32::Runtime::instance().registry();
    std::lock_guard lock(reg.mutex);
    EXPECT_TRUE(reg.calls.empty()) << reg.calls.size() << " call handles left in the runtime";
    EXPECT_TRUE(reg.pending.empty()) << reg.pending.size() << " requests left pending";
}

} // namespace
