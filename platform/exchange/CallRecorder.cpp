#include "exchange/CallRecorder.h"

#include <algorithm>
#include <cstring>

namespace exchange {

const RecordedArg *RecordedCall::arg(std::string_view name) const
{
    for (const auto &[n, a] : args)
        if (n == name)
            return &a;
    return nullptr;
}

uint64_t RecordedCall::number(std::string_view name) const
{
    const RecordedArg *a = arg(name);
    return a && a->kind == RecordedArg::Kind::Number ? a->number : 0;
}

std::string RecordedCall::text(std::string_view name) const
{
    const RecordedArg *a = arg(name);
    return a && a->kind == RecordedArg::Kind::Text ? a->text : std::string();
}

std::vector<uint8_t> RecordedCall::bytes(std::string_view name) const
{
    const RecordedArg *a = arg(name);
    return a && a->kind == RecordedArg::Kind::Bytes ? a->bytes : std::vector<uint8_t>();
}

bool RecordedCall::isNull(std::string_view name) const
{
    const RecordedArg *a = arg(name);
    return a && a->kind == RecordedArg::Kind::Null;
}

std::optional<DWORD> RecordedCall::dword(std::string_view name, size_t offset) const
{
    const RecordedArg *a = arg(name);
    if (!a || a->kind != RecordedArg::Kind::Bytes || offset + sizeof(DWORD) > a->bytes.size())
        return std::nullopt;
    DWORD v;
    std::memcpy(&v, a->bytes.data() + offset, sizeof v);
    return v;
}

void CallRecorder::add(RecordedCall call)
{
    std::lock_guard lock(mutex_);
    if (enabled_)
        calls_.push_back(std::move(call));
}

void CallRecorder::clear()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void CallRecorder::setEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
}

bool CallRecorder::enabled() const
{
    std::lock_guard lock(mutex_);
    return enabled_;
}

std::vector<RecordedCall> CallRecorder::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<RecordedCall> CallRecorder::calls(std::string_view function) const
{
    std::lock_guard lock(mutex_);
    std::vector<RecordedCall> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [&](const RecordedCall &c) { return c.function == function; });
    return out;
}

std::optional<RecordedCall> CallRecorder::last(std::string_view function) const
{
    std::lock_guard lock(mutex_);
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
        if (it->function == function)
            return *it;
    return std::nullopt;
}

size_t CallRecorder::count(std::string_view function) const
{
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(
        std::count_if(calls_.begin(), calls_.end(), [&](const RecordedCall &c) { return c.function == function; }));
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace exchange
