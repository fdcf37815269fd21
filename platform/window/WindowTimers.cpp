#include <window/WindowTimers.h>

#include <window/Clock.h>

#include <QTimer>

#include <algorithm>

namespace win {

namespace {

// The shortest period a window timer runs with; shorter requests are raised to it.
constexpr std::uint32_t kMinimumPeriod = 10;

// Every live timer set, so that manual time can find the next timer to fire
// across windows. User-interface thread only, like the windows themselves.
std::vector<WindowTimers *> &AllTimerSets()
{
    static std::vector<WindowTimers *> sets;
    return sets;
}

std::uint64_t nextSequence = 0;

} // namespace

WindowTimers::WindowTimers(std::function<void(int)> onTick) : onTick_(std::move(onTick))
{
    AllTimerSets().push_back(this);
}

WindowTimers::~WindowTimers()
{
    std::erase(AllTimerSets(), this);
}

void WindowTimers::Set(int id, std::uint32_t periodMs)
{
    Kill(id);
    timers_.push_back({id, std::max(periodMs, kMinimumPeriod), 0, nextSequence++, nullptr});
    Arm(timers_.back());
}

bool WindowTimers::Kill(int id)
{
    return std::erase_if(timers_, [id](const Timer &timer) { return timer.id == id; }) > 0;
}

void WindowTimers::KillAll()
{
    timers_.clear();
}

bool WindowTimers::IsSet(int id) const
{
    return std::any_of(timers_.begin(), timers_.end(), [id](const Timer &timer) { return timer.id == id; });
}

void WindowTimers::Arm(Timer &timer)
{
    if (Clock::IsManual()) {
        timer.real.reset();
        timer.due = Clock::Now() + timer.period;
        return;
    }
    timer.real = std::make_unique<QTimer>();
    timer.real->setInterval(static_cast<int>(std::min<std::uint32_t>(timer.period, INT32_MAX)));
    // The identifier, not the Timer, is captured: the vector may move its elements.
    QObject::connect(timer.real.get(), &QTimer::timeout, [this, id = timer.id] { onTick_(id); });
    timer.real->start();
}

WindowTimers::Timer *WindowTimers::Earliest(WindowTimers **owner)
{
    Timer *earliest = nullptr;
    for (WindowTimers *set : AllTimerSets()) {
        for (Timer &timer : set->timers_) {
            if (timer.real)
                continue;
            if (!earliest || timer.due < earliest->due ||
                (timer.due == earliest->due && timer.sequence < earliest->sequence)) {
                earliest = &timer;
                *owner = set;
            }
        }
    }
    return earliest;
}

std::optional<std::uint64_t> WindowTimers::NextDue()
{
    WindowTimers *owner = nullptr;
    if (Timer *timer = Earliest(&owner))
        return timer->due;
    return std::nullopt;
}

void WindowTimers::FireNext()
{
    WindowTimers *owner = nullptr;
    Timer *timer = Earliest(&owner);
    if (!timer)
        return;
    const int id = timer->id;
    // Schedule the next tick first: the handler may kill or reset the timer,
    // or destroy the window that owns it.
    timer->due = std::max(timer->due, Clock::Now()) + timer->period;
    timer->sequence = nextSequence++;
    owner->onTick_(id);
}

void WindowTimers::RearmAll()
{
    for (WindowTimers *set : AllTimerSets())
        for (Timer &timer : set->timers_)
            set->Arm(timer);
}

} // namespace win
