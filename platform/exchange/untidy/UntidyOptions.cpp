#include "exchange/untidy/UntidyOptions.h"

#include <algorithm>
#include <charconv>

namespace exchange {

namespace {

constexpr const char *kNames[kUntidyOptions] = {
    "effects-before-reply", "repeated-states",      "unknown-states",
    "mode-changes",         "needed-size-again",    "partly-filled",
    "unterminated-strings", "provider-close",       "messages-after-close",
};

// Chance (1 in N) that an option applies to one question in random mode.
// Provider closes are rare, or a line would hardly stay open; structure
// faults are frequent because each is asked once per structure.
constexpr uint32_t kOneIn[kUntidyOptions] = {4, 8, 8, 8, 4, 8, 4, 64, 2};

bool matches(const UntidyScope &scope, std::string_view function, std::optional<DWORD> device)
{
    if (!scope.function.empty() && scope.function != function)
        return false;
    return !scope.device || (device && *scope.device == *device);
}

std::optional<uint64_t> number(std::string_view text)
{
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return v;
}

} // namespace

const char *untidyName(Untidy option)
{
    return kNames[static_cast<int>(option)];
}

std::optional<Untidy> untidyByName(std::string_view name)
{
    for (int i = 0; i < kUntidyOptions; ++i)
        if (name == kNames[i])
            return static_cast<Untidy>(i);
    return std::nullopt;
}

void UntidyOptions::enable(Untidy option, UntidyScope scope, int count)
{
    if (count == 0)
        return;
    std::lock_guard lock(mutex_);
    rules_.push_back({option, std::move(scope), count});
    any_ = true;
}

void UntidyOptions::disable(Untidy option)
{
    std::lock_guard lock(mutex_);
    std::erase_if(rules_, [&](const Rule &r) { return r.option == option; });
    any_ = !rules_.empty() || seed_.has_value();
}

void UntidyOptions::clear()
{
    std::lock_guard lock(mutex_);
    rules_.clear();
    seed_.reset();
    any_ = false;
}

void UntidyOptions::random(uint64_t seed)
{
    std::lock_guard lock(mutex_);
    seed_ = seed;
    for (int i = 0; i < 2 * kUntidyOptions; ++i)
        rng_[i].seed(seed * 0x9E3779B97F4A7C15ull + uint64_t(i));
    any_ = true;
}

std::optional<uint64_t> UntidyOptions::randomSeed() const
{
    std::lock_guard lock(mutex_);
    return seed_;
}

bool UntidyOptions::applies(Untidy option, std::string_view function, std::optional<DWORD> device)
{
    if (!any_)
        return false;
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->option != option || !matches(it->scope, function, device))
            continue;
        if (it->remaining > 0 && --it->remaining == 0)
            rules_.erase(it);
        return true;
    }
    if (!seed_)
        return false;
    const int index = static_cast<int>(option);
    return rng_[2 * index + (function.empty() ? 1 : 0)]() % kOneIn[index] == 0;
}

bool UntidyOptions::configure(std::string_view text, std::string *error)
{
    auto fail = [&](std::string what) {
        if (error)
            *error = std::move(what);
        return false;
    };
    if (text == "random")
        text = "random=1";
    if (text.starts_with("random="))
        text.remove_prefix(7);
    if (auto seed = number(text)) {
        random(*seed);
        return true;
    }
    std::vector<Rule> parsed;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (item.empty())
            continue;
        Rule rule{Untidy::EffectsBeforeReply, {}, -1};
        if (const size_t hash = item.find('#'); hash != std::string_view::npos) {
            const auto device = number(item.substr(hash + 1));
            if (!device || *device > 0xFFFFFFFFu)
                return fail("bad device in \"" + std::string(item) + "\"");
            rule.scope.device = DWORD(*device);
            item = item.substr(0, hash);
        }
        if (const size_t at = item.find('@'); at != std::string_view::npos) {
            rule.scope.function = std::string(item.substr(at + 1));
            if (rule.scope.function.empty())
                return fail("no function after @ in \"" + std::string(item) + "\"");
            item = item.substr(0, at);
        }
        const auto option = untidyByName(item);
        if (!option)
            return fail("unknown option \"" + std::string(item) + "\"");
        rule.option = *option;
        parsed.push_back(std::move(rule));
    }
    for (Rule &r : parsed)
        enable(r.option, std::move(r.scope), r.remaining);
    return true;
}

} // namespace exchange
