// Calls between the dialer and SIPp over 127.0.0.1: the dialer side goes
// through the TAPI C API of the in-process runtime, over an exchange whose
// far line is driven by a SipAgent; each case checks SIPp's verdict (its
// scenario checks what reaches the wire) and the LINE_* messages.
// Every wait is bounded and ends on a condition.
#include <sip/SipAgent.h>
#include <tapi32/Runtime.h>

#include "SippLocator.h"

#include <gtest/gtest.h>
#include <tapi.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr uint16_t kSippPort = 5070; // SIPp
constexpr const char *kDialer = "127.0.0.1:5080";
constexpr DWORD kWaitMs = 15000;

using siptest::sippPath;
using siptest::udpBound;

template <class F> bool within(std::chrono::milliseconds limit, F &&condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

class SipWire : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (sippPath().empty())
            GTEST_SKIP() << "sipp is not on PATH: the SIP wire tests need SIPp (Debian package sip-tester)";
    }

    void TearDown() override
    {
        if (sipp_ > 0) {
            kill(sipp_, SIGTERM);
            waitpid(sipp_, nullptr, 0);
        }
        agent_.reset();
        if (app_)
            lineShutdown(app_);
    }

    /// An exchange with one far line for SIP account 201 (registering at
    /// `registrar` when given), the line opened by an application, and the
    /// agent attached.
    void start(std::string registrar = {})
    {
        exchange::Topology topology = exchange::Topology::standard();
        line_ = static_cast<DWORD>(topology.lines.size());
        topology.lines.push_back(exchange::LineConfig::farLine(u"Anna (SIP)", u"201", u"Anna Berg"));
        exchange::SipAccount account;
        account.name = "Anna (SIP)";
        account.aor = "sip:201@127.0.0.1:5070";
        account.displayName = "Anna Berg";
        account.registrar = std::move(registrar);
        account.user = "201";
        account.password = "s3cret";
        account.bind = "127.0.0.1";
        account.localPort = 5080;
        account.line = line_;
        topology.sipAccounts.push_back(account);
        topology.farGuard = 2s;
        ASSERT_TRUE(tapi32::Runtime::instance().resetExchange(topology));

        DWORD devices = 0, version = 0x00030000;
        LINEINITIALIZEEXPARAMS params{};
        params.dwTotalSize = sizeof params;
        params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
        ASSERT_EQ(0, lineInitializeExW(&app_, nullptr, nullptr, u"SIP test", &devices, &version, &params));
        ASSERT_EQ(0, lineOpenW(app_, line_, &hLine_, 0x00030000, 0, 0, LINECALLPRIVILEGE_OWNER,
                               LINEMEDIAMODE_INTERACTIVEVOICE, nullptr));
        ASSERT_EQ(0, lineSetStatusMessages(hLine_, LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE, 0));
        agent_ = std::make_unique<sip::SipAgent>(tapi32::Runtime::instance().exchange(), topology.sipAccounts);
        ASSERT_TRUE(agent_->errors().empty()) << agent_->errors().front();
    }

    /// Starts SIPp with a scenario; `callsUs` makes it the caller.
    void sipp(const char *scenario, bool callsUs = false, int calls = 1)
    {
        const std::string program = sippPath();
        const std::string file = std::string(DIALWERK_SIP_SCENARIOS) + "/" + scenario;
        const std::string log = std::string(DIALWERK_SIP_LOGS) + "/" + scenario + ".log";
        const std::string port = std::to_string(kSippPort), count = std::to_string(calls);
        std::vector<const char *> args = {program.c_str(), "-sf",     file.c_str(),   "-i",       "127.0.0.1", "-p",
                                          port.c_str(),    "-m",      count.c_str(),  "-timeout", "20s",       "-nostdin",
                                          "-trace_err",    "-s",      "201"};
        if (callsUs)
            args.push_back(kDialer);
        args.push_back(nullptr);
        sipp_ = fork();
        ASSERT_GE(sipp_, 0);
        if (sipp_ == 0) {
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            if (chdir(DIALWERK_SIP_LOGS) != 0)
                _exit(126);
            execv(program.c_str(), const_cast<char *const *>(args.data()));
            _exit(127);
        }
        if (!callsUs) {
            ASSERT_TRUE(within(5s, [] { return udpBound(kSippPort); })) << "SIPp did not start listening";
        }
    }

    /// SIPp's exit code once it ends (0: every call passed its scenario).
    int sippExit()
    {
        int status = -1;
        const bool ended = within(25s, [&] { return waitpid(sipp_, &status, WNOHANG) == sipp_; });
        if (!ended)
            return -1;
        sipp_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    /// The next line message that `match` accepts, looking first among
    /// those read earlier and passed over; fails after a safety time-out.
    template <class F> LINEMESSAGE waitFor(F &&match, const char *what)
    {
        for (auto it = seen_.begin(); it != seen_.end(); ++it)
            if (match(*it)) {
                LINEMESSAGE m = *it;
                seen_.erase(it);
                return m;
            }
        LINEMESSAGE m{};
        while (lineGetMessage(app_, &m, kWaitMs) == 0) {
            if (match(m))
                return m;
            seen_.push_back(m);
        }
        ADD_FAILURE() << "no " << what << " arrived";
        return {};
    }

    void waitState(HCALL call, DWORD state, DWORD mode = 0)
    {
        const LINEMESSAGE m = waitFor(
            [&](const LINEMESSAGE &m) {
                return m.dwMessageID == LINE_CALLSTATE && m.hDevice == call && m.dwParam1 == state;
            },
            "call state");
        if (mode) {
            EXPECT_EQ(mode, m.dwParam2);
        }
    }

    LONG reply(LONG request)
    {
        EXPECT_GT(request, 0);
        return LONG(waitFor(
                        [&](const LINEMESSAGE &m) {
                            return m.dwMessageID == LINE_REPLY && m.dwParam1 == DWORD_PTR(request);
                        },
                        "reply")
                        .dwParam2);
    }

    HCALL dial(const char16_t *number)
    {
        HCALL call = 0;
        EXPECT_EQ(0, reply(lineMakeCallW(hLine_, &call, number, 0, nullptr)));
        return call;
    }

    HCALL offered()
    {
        const LINEMESSAGE m = waitFor([](const LINEMESSAGE &m) { return m.dwMessageID == LINE_APPNEWCALL; },
                                      "new call");
        const HCALL call = HCALL(m.dwParam2);
        waitState(call, LINECALLSTATE_OFFERING);
        return call;
    }

    /// A text of the call's information (an offset/size pair of LINECALLINFO).
    std::u16string infoText(HCALL call, DWORD LINECALLINFO::*size, DWORD LINECALLINFO::*offset)
    {
        alignas(LINECALLINFO) unsigned char buffer[8192] = {};
        auto *info = reinterpret_cast<LINECALLINFO *>(buffer);
        info->dwTotalSize = sizeof buffer;
        EXPECT_EQ(0, lineGetCallInfoW(call, info));
        const DWORD bytes = info->*size;
        if (bytes < 2 || info->*offset + bytes > sizeof buffer)
            return {};
        return std::u16string(reinterpret_cast<const char16_t *>(buffer + info->*offset), bytes / 2 - 1);
    }

    DWORD state(HCALL call)
    {
        LINECALLSTATUS status{};
        status.dwTotalSize = sizeof status;
        EXPECT_EQ(0, lineGetCallStatus(call, &status));
        return status.dwCallState;
    }

    HLINEAPP app_ = 0;
    HLINE hLine_ = 0;
    DWORD line_ = 0;
    pid_t sipp_ = 0;
    std::unique_ptr<sip::SipAgent> agent_;
    std::vector<LINEMESSAGE> seen_;
};

TEST_F(SipWire, OutgoingAnsweredAndDroppedByUs)
{
    start();
    sipp("uas_answer.xml");
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_RINGBACK);
    waitState(call, LINECALLSTATE_CONNECTED);
    // The exchange reports the connected id when the call connects; the
    // name from P-Asserted-Identity follows in a change of its own.
    std::u16string name;
    for (int changes = 0; changes < 3 && name != u"Bert Brandt"; ++changes) {
        waitFor([&](const LINEMESSAGE &m) {
            return m.dwMessageID == LINE_CALLINFO && m.hDevice == call && (m.dwParam1 & LINECALLINFOSTATE_CONNECTEDID);
        }, "connected id");
        name = infoText(call, &LINECALLINFO::dwConnectedIDNameSize, &LINECALLINFO::dwConnectedIDNameOffset);
    }
    EXPECT_EQ(u"Bert Brandt", name);
    EXPECT_EQ(0, reply(lineDrop(call, nullptr, 0)));
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, OutgoingHungUpByFarEnd)
{
    start();
    sipp("uas_remote_bye.xml");
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_CONNECTED);
    waitState(call, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, BusyIsBusy)
{
    start();
    sipp("uas_busy.xml");
    waitState(dial(u"5550100"), LINECALLSTATE_BUSY);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, DeclineIsRejected)
{
    start();
    sipp("uas_decline.xml");
    waitState(dial(u"5550100"), LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_REJECT);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, HoldAndUnholdByReInvite)
{
    start();
    sipp("uas_hold.xml");
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(0, reply(lineHold(call)));
    waitState(call, LINECALLSTATE_ONHOLD);
    EXPECT_EQ(0, reply(lineUnhold(call)));
    waitState(call, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(0, reply(lineDrop(call, nullptr, 0)));
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, DigitsBothWaysByInfo)
{
    start();
    sipp("uas_digits.xml");
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_CONNECTED);
    ASSERT_EQ(0, lineMonitorDigits(call, LINEDIGITMODE_DTMF));
    ASSERT_EQ(0, lineGenerateDigitsW(call, LINEDIGITMODE_DTMF, u"1#", 0));
    waitFor([&](const LINEMESSAGE &m) { return m.dwMessageID == LINE_MONITORDIGITS && m.dwParam1 == '7'; },
            "digit 7");
    waitState(call, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, BlindTransferByRefer)
{
    start();
    sipp("uas_refer.xml");
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(0, reply(lineBlindTransferW(call, u"5550199", 0)));
    waitState(call, LINECALLSTATE_IDLE);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, ConsultationTransferReplacesTheDialog)
{
    start();
    sipp("uas_attended.xml", false, 2);
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_CONNECTED);
    HCALL consultation = 0;
    EXPECT_EQ(0, reply(lineSetupTransferW(call, &consultation, nullptr)));
    waitState(call, LINECALLSTATE_ONHOLDPENDTRANSFER);
    EXPECT_EQ(0, reply(lineDialW(consultation, u"5550101", 0)));
    waitState(consultation, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(0, reply(lineCompleteTransfer(call, consultation, nullptr, LINETRANSFERMODE_TRANSFER)));
    waitState(call, LINECALLSTATE_IDLE);
    waitState(consultation, LINECALLSTATE_IDLE);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, IncomingCallerIdFromAssertedIdentity)
{
    start();
    sipp("uac_pai.xml", true);
    const HCALL call = offered();
    EXPECT_EQ(u"+495551234", infoText(call, &LINECALLINFO::dwCallerIDSize, &LINECALLINFO::dwCallerIDOffset));
    EXPECT_EQ(u"Dora Engel", infoText(call, &LINECALLINFO::dwCallerIDNameSize, &LINECALLINFO::dwCallerIDNameOffset));
    EXPECT_EQ(0, reply(lineAnswer(call, nullptr, 0)));
    waitState(call, LINECALLSTATE_CONNECTED);
    waitState(call, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, IncomingRedirectedBy302)
{
    start();
    sipp("uac_redirect.xml", true);
    const HCALL call = offered();
    EXPECT_EQ(0, reply(lineRedirectW(call, u"5550188", 0)));
    waitState(call, LINECALLSTATE_IDLE);
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, RegistersWithDigestAuthentication)
{
    sipp("uas_register.xml");
    start("sip:127.0.0.1:5070");
    waitFor([](const LINEMESSAGE &m) {
        return m.dwMessageID == LINE_LINEDEVSTATE && (m.dwParam1 & LINEDEVSTATE_INSERVICE);
    }, "in service");
    EXPECT_EQ(0, sippExit());
}

TEST_F(SipWire, ReInviteWithoutAnswerFailsTheHoldAndKeepsTheCall)
{
    start();
    sipp("uas_reinvite_silent.xml");
    const HCALL call = dial(u"5550100");
    waitState(call, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), reply(lineHold(call)));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(call));
    EXPECT_EQ(0, reply(lineDrop(call, nullptr, 0)));
    EXPECT_EQ(0, sippExit());
}

} // namespace
