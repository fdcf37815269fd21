// A record of the TAPI functions applications called, with their key
// arguments, so that tests can check what a higher layer asked for.
#ifndef DIALWERK_EXCHANGE_CALLRECORDER_H
#define DIALWERK_EXCHANGE_CALLRECORDER_H

#include <tapi.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace exchange {

/// One recorded argument: a number (handles, values, flags), a text (UTF-8),
/// a byte copy of an input structure or buffer, or a null pointer.
struct RecordedArg {
    enum class Kind { Number, Text, Bytes, Null };
    Kind kind = Kind::Null;
    uint64_t number = 0;
    std::string text;
    std::vector<uint8_t> bytes;
};

/// One call of a TAPI function.
struct RecordedCall {
    std::string function;
    std::vector<std::pair<std::string, RecordedArg>> args;
    LONG result = 0;

    /// The argument of that name, or nothing.
    const RecordedArg *arg(std::string_view name) const;
    /// The argument as a number (0 when absent or not a number).
    uint64_t number(std::string_view name) const;
    /// The argument as UTF-8 text (empty when absent, null or not a text).
    std::string text(std::string_view name) const;
    /// The bytes of a structure argument (empty when absent or null).
    std::vector<uint8_t> bytes(std::string_view name) const;
    /// True when the argument was recorded as a null pointer.
    bool isNull(std::string_view name) const;
    /// A DWORD at a byte offset of a structure argument.
    std::optional<DWORD> dword(std::string_view name, size_t offset) const;
};

/// Thread-safe list of recorded calls, in call order.
class CallRecorder {
public:
    void add(RecordedCall call);
    void clear();
    void setEnabled(bool enabled);
    bool enabled() const;
    /// Every recorded call, or only those of one function.
    std::vector<RecordedCall> calls() const;
    std::vector<RecordedCall> calls(std::string_view function) const;
    /// The last call of a function, if any.
    std::optional<RecordedCall> last(std::string_view function) const;
    size_t count(std::string_view function) const;

private:
    // Guards calls_ and enabled_; no other lock is taken inside it.
    mutable std::mutex mutex_;
    std::vector<RecordedCall> calls_;
    bool enabled_ = true;
};

/// Converts UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);

} // namespace exchange

#endif
