// The default office seen through the object layer: one session with the lines
// of Anna (201), Ben (202), Carl (203) and Dana, the agent (204), all open, and
// the steps the call-operation tests share (ringing, answering, talking).
#ifndef DIALWERK_TESTS_TAPI_EXCHANGE_OFFICEFIXTURE_H
#define DIALWERK_TESTS_TAPI_EXCHANGE_OFFICEFIXTURE_H

#include "CTapiAddress.h"
#include "ExchangeSession.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace office {

constexpr int kAnna = 0, kBen = 1, kCarl = 2, kDana = 3;
inline const char16_t *const kCustomer = u"5551234";

class OfficeTest : public ExchangeSessionTest {
protected:
    void SetUp() override
    {
        ExchangeSessionTest::SetUp();
        ASSERT_EQ(InitSession(), 0u);
        for (int who = kAnna; who <= kDana; ++who) {
            lines[who] = OpenLine(static_cast<DWORD>(who));
            ASSERT_NE(lines[who], nullptr);
        }
    }

    /// The result of a request: its reply for a request identifier, the value itself otherwise.
    DWORD Reply(DWORD result) const { return session->WaitForReply(result, kTapiReplyTimeout); }

    /// Waits until the call object shows `state`.
    static bool Reaches(CTapiCall *call, DWORD state)
    {
        return call && WaitFor([&] { return call->GetCallState() == state; });
    }

    /// The call object offered on someone's line that is not among `known`; null when none comes.
    CTapiCall *RingsAt(int who, const std::vector<CTapiCall *> &known = {}) const
    {
        CTapiCall *ringing = nullptr;
        WaitFor([&] {
            for (DWORD i = 0; i < lines[who]->GetCallCount(); ++i) {
                CTapiCall *call = lines[who]->GetCall(i);
                if (call && call->GetCallState() == LINECALLSTATE_OFFERING &&
                    std::find(known.begin(), known.end(), call) == known.end()) {
                    ringing = call;
                    return true;
                }
            }
            return false;
        });
        EXPECT_NE(ringing, nullptr) << "nothing rang at line " << who;
        return ringing;
    }

    /// Answers an offered call and waits until it is connected.
    void Answer(CTapiCall *call) const
    {
        ASSERT_NE(call, nullptr);
        ASSERT_EQ(Reply(call->Answer()), 0u);
        ASSERT_TRUE(Reaches(call, LINECALLSTATE_CONNECTED));
    }

    /// A customer from outside calls someone, who answers; the called side's call.
    CTapiCall *CustomerTalksTo(int who)
    {
        EXPECT_NE(Exchange().incomingCall(static_cast<DWORD>(who), 0, kCustomer, u"Dora Engel"), 0u);
        CTapiCall *call = RingsAt(who);
        Answer(call);
        return call;
    }

    /// `from` calls `to`'s extension and `to` answers: the caller's and the called side's call.
    std::pair<CTapiCall *, CTapiCall *> Talk(int from, int to)
    {
        CTapiCall *caller = nullptr;
        EXPECT_EQ(lines[from]->MakeCall(&caller, Number(to)), 0u);
        CTapiCall *called = RingsAt(to);
        Answer(called);
        EXPECT_TRUE(Reaches(caller, LINECALLSTATE_CONNECTED));
        return {caller, called};
    }

    static const WCHAR *Number(int who)
    {
        static const WCHAR *const numbers[] = {TAPI_TEXT("201"), TAPI_TEXT("202"), TAPI_TEXT("203"), TAPI_TEXT("204")};
        return numbers[who];
    }

    /// Whether the line lists exactly this call object for the call's handle.
    bool Lists(int who, CTapiCall *call) const
    {
        return call && call->GetCallHandle() != 0 && lines[who]->FindCall(call->GetCallHandle()) == call &&
               call->GetLine() == lines[who];
    }

    /// Index in the hook log of the first entry starting with `prefix`; the log's size when none.
    static std::size_t HookIndex(const std::string &prefix)
    {
        const auto entries = HookLog::Entries();
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [&](const std::string &entry) { return entry.rfind(prefix, 0) == 0; });
        return static_cast<std::size_t>(found - entries.begin());
    }

    static std::string HexOf(DWORD value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
        return text;
    }

    /// The hook-log name of a call object ("call 0x5").
    static std::string Tag(const CTapiCall *call) { return "call " + HexOf(call->GetCallHandle()); }

    /// Whether line `line` announced `call` (OnNewCall) before the call's hook `hook` ran; waits
    /// until that hook has run, since the call object can be listed and show its state first.
    static bool AnnouncedBefore(int line, const CTapiCall *call, const std::string &hook)
    {
        const std::string own = Tag(call) + " " + hook;
        if (!WaitFor([&] { return HookIndex(own) < HookLog::Entries().size(); }))
            return false;
        return HookIndex("line " + std::to_string(line) + " OnNewCall " + HexOf(call->GetCallHandle())) <
               HookIndex(own);
    }

    CTapiLine *lines[4] = {};
};

} // namespace office

#endif
