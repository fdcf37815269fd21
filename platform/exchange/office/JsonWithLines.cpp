#include "exchange/office/JsonWithLines.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace exchange::office {

namespace {

using nlohmann::json;

// How far the parser has read: the iterator below moves it on as the
// parser takes characters. The parser reads at most one character past a
// token (after a number), so the last non-blank character read belongs to
// the token just reported.
struct ReadMark {
    const char *begin = nullptr;
    const char *furthest = nullptr;
};

class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char *;
    using reference = const char &;

    CountingIterator(const char *at, ReadMark *mark) : at_(at), mark_(mark) {}
    reference operator*() const { return *at_; }
    CountingIterator &operator++()
    {
        ++at_;
        mark_->furthest = std::max(mark_->furthest, at_);
        return *this;
    }
    CountingIterator operator++(int)
    {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator &other) const { return at_ == other.at_; }
    bool operator!=(const CountingIterator &other) const { return at_ != other.at_; }

private:
    const char *at_;
    ReadMark *mark_;
};

// Builds the DOM like nlohmann's own parser and records the line of every
// member (at its key) and element (at its first character).
class LineSax {
public:
    LineSax(std::string_view text, const ReadMark &mark, JsonWithLines &out) : text_(text), mark_(mark), out_(out)
    {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n')
                newlines_.push_back(i);
        }
    }

    bool null() { return value(json(nullptr)); }
    bool boolean(bool v) { return value(json(v)); }
    bool number_integer(json::number_integer_t v) { return value(json(v)); }
    bool number_unsigned(json::number_unsigned_t v) { return value(json(v)); }
    bool number_float(json::number_float_t v, const std::string &) { return value(json(v)); }
    bool string(std::string &v) { return value(json(std::move(v))); }
    bool binary(json::binary_t &v) { return value(json(std::move(v))); }

    bool start_object(std::size_t) { return open(json::object()); }
    bool start_array(std::size_t) { return open(json::array()); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(std::string &name)
    {
        json &object = *stack_.back().node;
        if (object.contains(name)) {
            out_.error = "duplicate field " + MemberPath(stack_.back().path, name);
            out_.errorLine = currentLine();
            return false;
        }
        key_ = name;
        out_.lines[MemberPath(stack_.back().path, name)] = currentLine();
        return true;
    }

    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &ex)
    {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: syntax error ..."
        std::string what = ex.what();
        const size_t column = what.find("column ");
        const size_t colon = column == std::string::npos ? std::string::npos : what.find(": ", column);
        out_.error = colon == std::string::npos ? what : what.substr(colon + 2);
        out_.errorLine = currentLine();
        return false;
    }

private:
    struct Open {
        json *node;
        std::string path;
    };

    // Where a new value goes, and its path.
    std::pair<json *, std::string> place(json &&v)
    {
        if (stack_.empty()) {
            out_.root = std::move(v);
            out_.lines[""] = currentLine();
            return {&out_.root, ""};
        }
        Open &parent = stack_.back();
        if (parent.node->is_array()) {
            std::string path = ElementPath(parent.path, parent.node->size());
            out_.lines[path] = currentLine();
            parent.node->push_back(std::move(v));
            return {&parent.node->back(), std::move(path)};
        }
        json &slot = (*parent.node)[key_];
        slot = std::move(v);
        return {&slot, MemberPath(parent.path, key_)};
    }

    bool value(json &&v)
    {
        place(std::move(v));
        return true;
    }

    bool open(json &&container)
    {
        auto [node, path] = place(std::move(container));
        stack_.push_back({node, std::move(path)});
        return true;
    }

    bool close()
    {
        stack_.pop_back();
        return true;
    }

    size_t currentLine() const
    {
        size_t end = static_cast<size_t>(mark_.furthest - mark_.begin);
        while (end > 0 && (text_[end - 1] == ' ' || text_[end - 1] == '\t' || text_[end - 1] == '\r' ||
                           text_[end - 1] == '\n'))
            --end;
        const size_t at = end == 0 ? 0 : end - 1;
        return 1 + static_cast<size_t>(std::lower_bound(newlines_.begin(), newlines_.end(), at) - newlines_.begin());
    }

    std::string_view text_;
    const ReadMark &mark_;
    JsonWithLines &out_;
    std::vector<size_t> newlines_;
    std::vector<Open> stack_;
    std::string key_;
};

} // namespace

std::string MemberPath(std::string_view parent, std::string_view key)
{
    std::string path(parent);
    if (!path.empty())
        path += '.';
    path += key;
    return path;
}

std::string ElementPath(std::string_view parent, size_t index)
{
    return std::string(parent) + '[' + std::to_string(index) + ']';
}

size_t JsonWithLines::lineOf(std::string_view path) const
{
    for (;;) {
        if (auto it = lines.find(path); it != lines.end())
            return it->second;
        const size_t cut = path.find_last_of(".[");
        if (cut == std::string_view::npos)
            return path.empty() ? 1 : lineOf("");
        path = path.substr(0, cut);
    }
}

JsonWithLines ReadJsonWithLines(std::string_view text)
{
    JsonWithLines out;
    ReadMark mark{text.data(), text.data()};
    LineSax sax(text, mark, out);
    const bool ok = json::sax_parse(CountingIterator(text.data(), &mark),
                                    CountingIterator(text.data() + text.size(), &mark), &sax,
                                    json::input_format_t::json, true, true);
    if (!ok && out.error.empty()) {
        out.error = "not a JSON text";
        out.errorLine = 1;
    }
    if (!ok)
        out.root = nullptr;
    return out;
}

} // namespace exchange::office
