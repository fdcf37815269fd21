// The untidy-provider options: ways real providers deviate from the tidy
// behaviour the exchange shows by default. Every option is off until a test
// (or the start-up configuration) turns it on, for one function, one device,
// a number of uses, or everywhere; the seeded random mode turns all of them
// on at once, each applying at random.
//
// Threads: any thread may ask or change the options. The table's mutex is a
// leaf: nothing else is locked or called inside it, so callers may hold the
// exchange's or the runtime's lock while asking.
//
// Same seed, same run: in random mode each option draws from generators of
// its own seeded from the seed, one for questions about a function and one
// for questions about events (the exchange thread asks those), so a run
// that makes the same requests in the same order from one thread makes the
// same choices, however the exchange thread's work interleaves with it.
#ifndef DIALWERK_EXCHANGE_UNTIDY_UNTIDYOPTIONS_H
#define DIALWERK_EXCHANGE_UNTIDY_UNTIDYOPTIONS_H

#include <tapi.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace exchange {

enum class Untidy {
    EffectsBeforeReply,  // a request's effects (IDLE after lineDrop, CONNECTED after lineAnswer) precede its reply
    RepeatedStates,      // a LINE_CALLSTATE is sent twice
    UnknownStates,       // LINECALLSTATE_UNKNOWN comes before a real state
    ModeChanges,         // a call's state mode changes while its state stays
    NeededSizeAgain,     // a structure that would fit claims a larger dwNeededSize again, unfilled
    PartlyFilled,        // dwUsedSize < dwNeededSize in a large enough buffer; the rest is zero
    UnterminatedStrings, // the last string of a structure lacks its terminator and ends the buffer
    ProviderClose,       // LINE_CLOSE / PHONE_CLOSE while a request is pending, or after a call event
    MessagesAfterClose,  // messages for a line, phone or call handle that was just closed or deallocated
};
constexpr int kUntidyOptions = 9;

/// The option's name in configurations ("effects-before-reply", ...).
const char *untidyName(Untidy option);
std::optional<Untidy> untidyByName(std::string_view name);

/// Where a rule applies. An empty function matches every function and the
/// events no request caused; a device matches the line (or, for phone
/// functions and phone events, the phone) with that identifier.
struct UntidyScope {
    std::string function;
    std::optional<DWORD> device;
};

class UntidyOptions {
public:
    /// Turns `option` on within `scope` for `count` uses (negative: until
    /// turned off).
    void enable(Untidy option, UntidyScope scope = {}, int count = -1);
    /// Removes every rule of `option`.
    void disable(Untidy option);
    /// Everything off, random mode included.
    void clear();
    /// Random mode: every option applies everywhere, each with its own chance.
    void random(uint64_t seed);
    std::optional<uint64_t> randomSeed() const;

    /// Whether `option` applies now to `function` on `device`; a matching
    /// counted rule loses one use. Cheap while nothing is on.
    bool applies(Untidy option, std::string_view function, std::optional<DWORD> device);

    /// Reads a configuration: "random" or "random=SEED" or a plain number
    /// (random mode), or a comma-separated list of "option[@function][#device]".
    /// Answers false and leaves the options unchanged on a malformed text.
    bool configure(std::string_view text, std::string *error = nullptr);

private:
    struct Rule {
        Untidy option;
        UntidyScope scope;
        int remaining; // negative: unlimited
    };

    mutable std::mutex mutex_; // a leaf lock: guards everything below
    std::vector<Rule> rules_;
    std::optional<uint64_t> seed_;
    std::mt19937_64 rng_[2 * kUntidyOptions]; // per option: function questions, event questions
    std::atomic<bool> any_{false}; // rules or random mode present: read without the lock
};

} // namespace exchange

#endif
