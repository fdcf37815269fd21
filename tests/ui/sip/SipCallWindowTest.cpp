// The main window on a SIP line: the user places a call to SIPp on
// 127.0.0.1, sees it ring back and connect, holds it, takes it back and
// hangs up. SIPp's scenario checks what reaches the wire (the hold offer
// only sends, the resumed one sends and receives); the window's call state
// is read as the user sees it. Every wait is bounded and ends on a condition.
#include "MainWindowFixture.h"

#include <resources/resource.h>
#include <sip/SipAgent.h>
#include <SippLocator.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Ports of their own, so that a SIPp left over by another test cannot answer.
constexpr uint16_t kSippPort = 5170;
constexpr uint16_t kDialerPort = 5180;

// SIPp playing one scenario as the called party; its output goes to a log
// beside the test. The process is the test's own: it is ended and reaped by
// pid, at the latest when the object goes.
class Sipp {
public:
    explicit Sipp(const std::string &scenario)
    {
        const std::string program = siptest::sippPath();
        const std::string file = std::string(DIALWERK_SIP_SCENARIOS) + "/" + scenario;
        const std::string log = std::string(DIALWERK_SIP_LOGS) + "/" + scenario + ".log";
        const std::string port = std::to_string(kSippPort);
        const std::vector<const char *> args = {program.c_str(), "-sf", file.c_str(), "-i", "127.0.0.1", "-p",
                                                port.c_str(), "-m", "1", "-timeout", "20s", "-nostdin",
                                                "-trace_err", nullptr};
        // posix_spawn rather than fork: the test has threads of its own.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_addchdir_np(&actions, DIALWERK_SIP_LOGS); // its error log goes there too
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char *const *>(args.data()), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Sipp()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Sipp(const Sipp &) = delete;
    Sipp &operator=(const Sipp &) = delete;

    bool started() const { return pid_ > 0; }
    /// True once it has ended; code() is then its exit code (0: the call
    /// passed the scenario).
    bool ended()
    {
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        return pid_ == 0;
    }
    int code() const { return code_; }

private:
    pid_t pid_ = -1;
    int code_ = -1;
};

class SipCallWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        if (siptest::sippPath().empty())
            GTEST_SKIP() << "sipp is not on PATH: the SIP window test needs SIPp (Debian package sip-tester)";
        MainWindowTest::SetUp();
        set_ = true;
        agent_ = std::make_unique<sip::SipAgent>(Exchange(), Topology().sipAccounts);
        ASSERT_TRUE(agent_->errors().empty()) << agent_->errors().front();
    }
    void TearDown() override
    {
        if (!set_)
            return;
        MainWindowTest::TearDown();
        agent_.reset(); // before the next test replaces the exchange
    }

    // The standard office and one SIP line, "Anna (SIP)", that needs no
    // registration.
    exchange::Topology Topology() const override
    {
        exchange::Topology t = exchange::Topology::standard();
        exchange::SipAccount account;
        account.name = "Anna (SIP)";
        // Digits dialled go to the AOR's domain: SIPp.
        account.aor = "sip:201@127.0.0.1:" + std::to_string(kSippPort);
        account.displayName = "Anna Berg";
        account.user = "201";
        account.bind = "127.0.0.1";
        account.localPort = kDialerPort;
        account.line = static_cast<DWORD>(t.lines.size());
        t.lines.push_back(exchange::LineConfig::farLine(u"Anna (SIP)", u"201", u"Anna Berg"));
        t.sipAccounts.push_back(account);
        t.farGuard = std::chrono::seconds(3); // how long a hold waits for the far end
        return t;
    }

    // Once SIPp listens, the user opens the SIP line and calls 300 (SIPp).
    void CallSippFromTheWindow(Sipp &sipp)
    {
        ASSERT_TRUE(sipp.started());
        ASSERT_TRUE(WaitFor([] { return siptest::udpBound(kSippPort); })) << "SIPp did not start listening";
        Start();
        ASSERT_TRUE(OpenLine(QStringLiteral("Anna (SIP)")));
        ASSERT_TRUE(TypeNumber(QStringLiteral("300")));
        ASSERT_TRUE(Click(IDC_MAKECALL));
    }

private:
    bool set_ = false;
    std::unique_ptr<sip::SipAgent> agent_;
};

TEST_F(SipCallWindowTest, CallRingsBackConnectsHoldsAndHangsUp)
{
    Sipp sipp("uas_ringback_hold.xml");
    ASSERT_NO_FATAL_FAILURE(CallSippFromTheWindow(sipp));
    // SIPp rings for a second and a half before it answers.
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Ringback"))) << Text(IDC_STATUS).toStdString();
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected"))) << Text(IDC_CALLSTATE).toStdString();

    ASSERT_TRUE(Click(IDC_HOLD));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("On Hold"))) << Text(IDC_CALLSTATE).toStdString();
    ASSERT_TRUE(Click(IDC_HOLD));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected"))) << Text(IDC_CALLSTATE).toStdString();

    ASSERT_TRUE(Click(IDC_HANGUP));
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));
    ASSERT_TRUE(WaitFor([&] { return sipp.ended(); })) << "SIPp did not end its call";
    EXPECT_EQ(sipp.code(), 0) << "see " DIALWERK_SIP_LOGS "/uas_ringback_hold.xml.log";
    EXPECT_EQ(Text(IDC_STATUS), "");
}

TEST_F(SipCallWindowTest, AHoldTheFarEndNeverAnswersFailsInTheStatusLine)
{
    Sipp sipp("uas_reinvite_silent.xml");
    ASSERT_NO_FATAL_FAILURE(CallSippFromTheWindow(sipp));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected"))) << Text(IDC_STATUS).toStdString();

    // The window waits for the hold's reply; the exchange's clock is the
    // test's, so once the re-INVITE is out the test lets the guard time pass.
    std::thread guard([this] {
        for (int i = 0; i < 10000 && !Recorder().last("lineHold"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        AdvanceExchange(3000);
    });
    ASSERT_TRUE(Click(IDC_HOLD));
    guard.join();
    ASSERT_TRUE(WaitFor([&] { return !Text(IDC_STATUS).isEmpty(); })) << "the hold never failed";
    EXPECT_EQ(Text(IDC_STATUS), "lineHold (0x80000048) Operation Failed");
    EXPECT_TRUE(Text(IDC_CALLSTATE).startsWith(QStringLiteral("Connected"))) << Text(IDC_CALLSTATE).toStdString();

    ASSERT_TRUE(Click(IDC_HANGUP));
    ASSERT_TRUE(WaitFor([&] { return sipp.ended(); })) << "SIPp did not end its call";
    EXPECT_EQ(sipp.code(), 0) << "see " DIALWERK_SIP_LOGS "/uas_reinvite_silent.xml.log";
}

} // namespace
