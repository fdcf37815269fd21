// A seeded random walk through the dialer: the user presses whatever the main
// window offers, switches lines and ends and starts sessions, while the far ends
// call, answer, refuse and hang up, lines are closed by the provider, removed and
// added again, requests fail, and the exchange's untidy-provider options come
// and go (one at a time or all at random). After every step, once everything has settled,
// the window, the object layer and the runtime must agree: the window lists the
// calls TAPI has for the line, no call object is left for a call that has gone,
// and no request waits for a reply.
//
// DIALWERK_STRESS_SEED and DIALWERK_STRESS_STEPS choose the walk; a failure
// names the seed and the step so that the walk can be run again.
#include "CommandsTestSupport.h"

#include <ui/main/DialDlg.h>
#include <window/MessageQueue.h>
#include <window/testing/ModalScript.h>
#include <window/testing/UserInput.h>

#include <tapi32/Registry.h>
#include <tapi32/Runtime.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "CTapiRequest.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>

namespace {

constexpr unsigned kDefaultSeed = 20261210;
constexpr int kDefaultSteps = 400;

unsigned EnvNumber(const char *name, unsigned fallback)
{
    const char *text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

// Requests of the window's commands that a provider may refuse (deallocation is
// TAPI's own business, not the provider's, and is not among them).
constexpr std::array<const char *, 11> kFallible{
    "lineMakeCallW", "lineAnswer",           "lineAccept", "lineDrop",    "lineHold",    "lineUnhold",
    "lineSwapHold",  "lineCompleteTransfer", "lineParkW",  "lineUnparkW", "linePickupW",
};
constexpr std::array<LONG, 4> kFailures{LONG(LINEERR_OPERATIONFAILED), LONG(LINEERR_RESOURCEUNAVAIL),
                                         LONG(LINEERR_INVALCALLSTATE), LONG(LINEERR_OPERATIONUNAVAIL)};
constexpr std::array<const char *, 5> kNumbers{"5550105", "202", "201", "5550000", "7001"};

class StressTest : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        seed_ = EnvNumber("DIALWERK_STRESS_SEED", kDefaultSeed);
        steps_ = static_cast<int>(EnvNumber("DIALWERK_STRESS_STEPS", kDefaultSteps));
        random_.seed(seed_);
    }

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    /// Remembers what a step did, for the report of a failing walk.
    void Note(std::string what) { done_.push_back(std::move(what)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    /// Switches on what untidy providers do in the field: requests that fail,
    /// and the exchange's untidy options, one at a time for a line or every
    /// line, for a few uses or until the walk makes the provider tidy again,
    /// or all of them at random.
    void UntidyProvider()
    {
        if (Chance(30)) {
            const char *function = kFallible[Pick(kFallible.size())];
            Note(std::string("fail ") + function);
            Faults().failNext(function, kFailures[Pick(kFailures.size())]);
        }
        exchange::UntidyOptions &untidy = Exchange().untidy();
        if (Chance(40)) {
            const auto option = static_cast<exchange::Untidy>(Pick(exchange::kUntidyOptions));
            exchange::UntidyScope scope;
            if (Chance(50))
                scope.device = static_cast<DWORD>(Pick(2));
            const int count = Chance(25) ? -1 : 1 + Pick(5);
            Note(std::string("untidy ") + exchange::untidyName(option) + " x" + std::to_string(count));
            untidy.enable(option, scope, count);
        }
        if (Chance(8)) {
            const unsigned seed = static_cast<unsigned>(random_());
            Note("untidy at random, seed " + std::to_string(seed));
            untidy.random(seed);
        }
        if (Chance(10)) {
            Note("tidy again");
            untidy.clear();
        }
    }

    /// The line names the device list offers now.
    std::vector<QString> DeviceNames() const
    {
        std::vector<QString> names;
        const win::ListControl devices = Window().Items(IDC_DEVICE);
        for (int i = 0; i < devices.GetCount(); ++i)
            names.push_back(devices.GetText(i));
        return names;
    }

    void PressIfEnabled(int id)
    {
        if (Enabled(id)) {
            Note("press " + std::to_string(id));
            Click(id);
        }
    }

    void UserStep()
    {
        switch (Pick(13)) {
        case 0:
        case 1:
            if (const char *number = kNumbers[Pick(kNumbers.size())]; TypeNumber(QString::fromLatin1(number))) {
                Note(std::string("number ") + number);
                PressIfEnabled(IDC_MAKECALL);
            }
            break;
        case 2:
            PressIfEnabled(IDC_ANSWER);
            break;
        case 3:
            PressIfEnabled(IDC_ACCEPT);
            break;
        case 4:
            PressIfEnabled(IDC_HOLD);
            break;
        case 5:
            PressIfEnabled(IDC_SWAP);
            break;
        case 6:
            PressIfEnabled(IDC_HANGUP);
            break;
        case 7:
            if (Enabled(IDC_PARK)) {
                const QString place = Chance(50) ? QString() : QStringLiteral("7003");
                OnNextDialog<CDialDlg>([place](CDialDlg &dialog) {
                    win::testing::TypeText(dialog, CDialDlg::IDC_NUMBER, place);
                    win::testing::Click(dialog, win::IDOK);
                });
                Click(IDC_PARK);
            }
            break;
        case 8:
            if (TypeNumber(Chance(50) ? QStringLiteral("7001") : QStringLiteral("7003")))
                PressIfEnabled(IDC_UNPARK);
            if (TypeNumber(QStringLiteral("202")))
                PressIfEnabled(IDC_PICKUP);
            break;
        case 9:
            PressIfEnabled(Chance(50) ? IDC_MERGE : IDC_CONFERENCE);
            break;
        case 10:
            PressIfEnabled(Chance(50) ? IDC_ADDPARTY : IDC_DROPPARTY);
            break;
        case 11:
            PressIfEnabled(IDC_SESSION);
            break;
        default: {
            const auto names = DeviceNames();
            const QString name = names.empty() ? QString() : names[static_cast<std::size_t>(Pick(static_cast<int>(names.size())))];
            if (!name.isEmpty() && SelectDevice(name)) {
                Note("select " + name.toStdString());
                if (Chance(50))
                    PressIfEnabled(IDC_SESSION);
            }
            break;
        }
        }
        win::testing::ClearModalBodies();
    }

    void FarEndStep()
    {
        auto &exchange = Exchange();
        const DWORD line = static_cast<DWORD>(Pick(2));
        switch (Pick(9)) {
        case 0:
        case 1:
            Note("incoming on " + std::to_string(line));
            exchange.incomingCall(line, 0, u"5550100", u"Clara Diaz");
            break;
        case 2:
        case 3:
        case 4: {
            const auto legs = exchange.legsOn(line);
            if (legs.empty())
                break;
            const exchange::LegId leg = legs[static_cast<std::size_t>(Pick(static_cast<int>(legs.size())))];
            const int action = Pick(3);
            Note("far end " + std::to_string(action) + " leg " + std::to_string(leg) + " on " + std::to_string(line));
            switch (action) {
            case 0:
                exchange.remoteAnswer(leg);
                break;
            case 1:
                exchange.remoteHangUp(leg);
                break;
            default:
                exchange.remoteBusy(leg);
                break;
            }
            break;
        }
        case 5:
            if (Chance(30)) {
                Note("provider closes " + std::to_string(line));
                exchange.forceCloseLine(line);
            }
            break;
        case 6:
            // The device goes and comes back as a new one.
            if (Chance(10) && exchange.removeLine(line)) {
                Note("remove and add " + std::to_string(line));
                exchange.addLine(exchange::LineConfig::extension(line == 0 ? u"201" : u"202", u"Back Again"));
            }
            break;
        default:
            UntidyProvider();
            break;
        }
    }

    /// Lets the clock run and waits until everything has settled: the exchange is
    /// idle, the event thread has handled every message queued so far (a reply of
    /// no request, queued behind them, has come through), the window has handled
    /// what was sent and posted to it, and no request waits for its reply.
    bool Settle()
    {
        AdvanceExchange(Pick(4) * 1000);
        for (int calm = 0; calm < 2;) {
            Exchange().waitIdle();
            const DWORD marker = ++marker_;
            PostMarker(marker);
            const bool through = WaitFor([marker] {
                const auto entry = GetTapiConnection()->FindRequest(marker);
                auto &queue = win::MessageQueue::Instance();
                return entry && !entry->IsPending() && queue.QueuedSent() == 0 && queue.QueuedPosted() == 0;
            });
            if (!through)
                return false;
            calm = GetTapiConnection()->GetPendingRequestCount() == 0 ? calm + 1 : 0;
        }
        return GetTapiConnection()->GetPendingRequestCount() == 0;
    }

    /// Queues a reply for a request identifier no request uses behind every
    /// message queued for the dialer so far.
    static void PostMarker(DWORD marker)
    {
        tapi32::Registry &registry = tapi32::Runtime::instance().registry();
        std::lock_guard lock(registry.mutex);
        for (const auto &[app, record] : registry.apps)
            registry.post(app, 0, LINE_REPLY, 0, marker, 0, 0);
    }

    /// The runtime's call handles of each line handle: those the dialer was given,
    /// and those made for a call list the provider never finished filling, which
    /// wait in the runtime for the next question (the dialer may still have met
    /// them through their call's messages).
    struct LineHandles {
        std::set<HCALL> given;
        std::set<HCALL> unlisted;
    };
    static std::map<HLINE, LineHandles> RuntimeCalls()
    {
        tapi32::Registry &registry = tapi32::Runtime::instance().registry();
        std::lock_guard lock(registry.mutex);
        std::map<HLINE, LineHandles> calls;
        for (const auto &[handle, call] : registry.calls) {
            const auto open = registry.lines.find(call.line);
            const bool unlisted = open != registry.lines.end() && std::ranges::find(open->second.unlisted, handle) !=
                                                                     open->second.unlisted.end();
            (unlisted ? calls[call.line].unlisted : calls[call.line].given).insert(handle);
        }
        return calls;
    }

    void CheckAgreement()
    {
        const auto runtimeCalls = RuntimeCalls();
        CTapiConnection *session = GetTapiConnection();
        std::size_t held = 0;
        for (DWORD id = 0; id < session->GetLineCount(); ++id) {
            CTapiLine *line = session->GetLine(id);
            std::set<HCALL> objects;
            for (DWORD i = 0; i < line->GetCallCount(); ++i) {
                CTapiCall *call = line->GetCall(i);
                EXPECT_NE(call->GetCallState(), DWORD{LINECALLSTATE_IDLE}) << "an idle call of line " << id;
                objects.insert(call->GetCallHandle());
            }
            const auto found = runtimeCalls.find(line->GetLineHandle());
            std::set<HCALL> handles;
            if (line->IsOpen() && found != runtimeCalls.end()) {
                handles = found->second.given;
                for (HCALL h : found->second.unlisted)
                    if (objects.count(h))
                        handles.insert(h);
            }
            EXPECT_EQ(objects, handles) << "the call objects of line " << id << " and the runtime's handles";
            held += handles.size();
        }
        CTapiLine *selected = Window().GetSelectedLine();
        std::set<CTapiCall *> listed(Window().GetCalls().begin(), Window().GetCalls().end());
        std::set<CTapiCall *> lineCalls;
        for (DWORD i = 0; selected && i < selected->GetCallCount(); ++i)
            lineCalls.insert(selected->GetCall(i));
        EXPECT_EQ(listed, lineCalls) << "the window's list and the selected line's calls";
        EXPECT_EQ(session->GetPendingRequestCount(), 0u);
        // Every call handle the runtime gave belongs to a line this process has open.
        std::size_t given = 0;
        for (const auto &[lineHandle, calls] : runtimeCalls)
            given += calls.given.size();
        EXPECT_LE(given, held) << "call handles without an object";
    }

    std::vector<std::string> done_;
    DWORD marker_ = 0x7F000000;
    unsigned seed_ = kDefaultSeed;
    int steps_ = kDefaultSteps;
    std::mt19937 random_;
};

TEST_F(StressTest, RandomUseKeepsWindowObjectsAndRuntimeInAgreement)
{
    Recorder().setEnabled(false);
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    for (int step = 0; step < steps_ && !HasFailure(); ++step) {
        SCOPED_TRACE(::testing::Message() << "DIALWERK_STRESS_SEED=" << seed_ << " at step " << step);
        Note("step " + std::to_string(step) + ":");
        if (Chance(55))
            UserStep();
        else
            FarEndStep();
        ASSERT_TRUE(Settle()) << "did not settle";
        CheckAgreement();
    }
    if (HasFailure()) {
        std::printf("stress walk failed: DIALWERK_STRESS_SEED=%u DIALWERK_STRESS_STEPS=%d; the last steps:\n", seed_,
                    steps_);
        for (std::size_t i = done_.size() > 40 ? done_.size() - 40 : 0; i < done_.size(); ++i)
            std::printf("  %s\n", done_[i].c_str());
    }
    Faults().clear();
    Exchange().untidy().clear();
}

} // namespace
