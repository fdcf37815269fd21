#include "exchange/office/Node.h"

#include "exchange/office/JsonWithLines.h"

#include <tapinames/Constants.h>

#include <cstdlib>

namespace exchange::office {

namespace {

using nlohmann::json;

const char *TypeName(const json &v)
{
    switch (v.type()) {
    case json::value_t::null:
        return "null";
    case json::value_t::object:
        return "an object";
    case json::value_t::array:
        return "a list";
    case json::value_t::string:
        return "a text";
    case json::value_t::boolean:
        return "true or false";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float:
        return "a number";
    case json::value_t::binary:
    case json::value_t::discarded:
        break;
    }
    return "another kind of value";
}

[[noreturn]] void WrongType(const Node &node, const char *expected)
{
    node.fail(std::string("expected ") + expected + ", found " + TypeName(node.value()));
}

// The code points of UTF-8 text the JSON reader has already checked.
std::u32string CodePoints(const std::string &utf8)
{
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(cp);
        i += length;
    }
    return out;
}

const std::string &StringOf(const Node &node)
{
    if (!node.value().is_string())
        WrongType(node, "a text");
    return node.value().get_ref<const std::string &>();
}

} // namespace

std::optional<Node> Node::member(std::string_view key) const
{
    if (!value_->is_object())
        return std::nullopt;
    auto it = value_->find(key);
    if (it == value_->end())
        return std::nullopt;
    return Node(*it, MemberPath(path_, key));
}

Node Node::required(std::string_view key) const
{
    if (auto m = member(key))
        return *m;
    failAt(key, "missing required field");
}

std::vector<Node> Node::elements() const
{
    if (!value_->is_array())
        WrongType(*this, "a list");
    std::vector<Node> out;
    for (size_t i = 0; i < value_->size(); ++i)
        out.emplace_back((*value_)[i], ElementPath(path_, i));
    return out;
}

void Node::expectObject(std::initializer_list<std::vector<std::string_view>> known) const
{
    if (!value_->is_object())
        WrongType(*this, "an object");
    for (const auto &item : value_->items()) {
        bool found = false;
        for (const auto &list : known) {
            for (std::string_view name : list)
                found = found || name == item.key();
        }
        if (!found)
            failAt(item.key(), "unknown field");
    }
}

void Node::fail(std::string what) const
{
    throw Fault{path_, std::move(what)};
}

void Node::failAt(std::string_view key, std::string what) const
{
    throw Fault{MemberPath(path_, key), std::move(what)};
}

std::u16string ReadText(const Node &node)
{
    std::u16string out;
    for (char32_t cp : CodePoints(StringOf(node))) {
        if (cp < 0x10000) {
            out.push_back(static_cast<char16_t>(cp));
            continue;
        }
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
    return out;
}

void ReadTextIfGiven(const Node &object, std::string_view key, std::u16string &into)
{
    if (auto v = object.member(key))
        into = ReadText(*v);
}

std::string ReadText8(const Node &node)
{
    std::string out;
    for (char32_t cp : CodePoints(StringOf(node))) {
        if (cp > 0xFF)
            node.fail("this text is 8-bit: only Latin-1 characters fit");
        out.push_back(static_cast<char>(cp));
    }
    return out;
}

std::vector<std::u16string> ReadTexts(const Node &node)
{
    std::vector<std::u16string> out;
    for (const Node &e : node.elements())
        out.push_back(ReadText(e));
    return out;
}

bool ReadBool(const Node &node)
{
    if (!node.value().is_boolean())
        WrongType(node, "true or false");
    return node.value().get<bool>();
}

uint64_t ReadNumberIn(const Node &node, uint64_t low, uint64_t high)
{
    const json &v = node.value();
    const std::string range = " is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")";
    uint64_t n = 0;
    if (v.is_number_unsigned()) {
        n = v.get<uint64_t>();
    } else if (v.is_number_integer()) {
        node.fail(std::to_string(v.get<int64_t>()) + range);
    } else if (v.is_number_float()) {
        node.fail(v.dump() + range.substr(0, range.size() - 1) + ", whole numbers only)");
    } else if (v.is_string()) {
        const std::string &s = v.get_ref<const std::string &>();
        const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') &&
                         s.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
        if (!hex)
            node.fail("expected a number or a hexadecimal text such as \"0x1F\", found \"" + s + "\"");
        const size_t digits = s.find_first_not_of('0', 2) == std::string::npos ? 0 : s.size() - s.find_first_not_of('0', 2);
        if (digits > 16)
            node.fail(s + range);
        n = std::strtoull(s.c_str() + 2, nullptr, 16);
    } else {
        WrongType(node, "a number");
    }
    if (n < low || n > high)
        node.fail((v.is_string() ? v.get<std::string>() : std::to_string(n)) + range);
    return n;
}

DWORD ReadNumber(const Node &node)
{
    return static_cast<DWORD>(ReadNumberIn(node, 0, 0xFFFFFFFFu));
}

DWORD ReadEnum(const Node &node, std::string_view group)
{
    if (!node.value().is_string() || node.value().get_ref<const std::string &>().starts_with("0x"))
        return ReadNumber(node);
    const std::string &name = node.value().get_ref<const std::string &>();
    const tapinames::Constant *c = tapinames::FindConstant(name);
    if (!c)
        node.fail("unknown constant " + name);
    if (group != c->group)
        node.fail(name + " is not a " + std::string(group) + "_ constant");
    return c->value;
}

DWORD ReadFlags(const Node &node, std::string_view group)
{
    if (!node.value().is_array())
        WrongType(node, ("a list of " + std::string(group) + "_ names").c_str());
    DWORD bits = 0;
    for (const Node &e : node.elements()) {
        if (!e.value().is_string() && !e.value().is_number())
            WrongType(e, ("a " + std::string(group) + "_ name").c_str());
        bits |= ReadEnum(e, group);
    }
    return bits;
}

size_t ReadChoice(const Node &node, std::string_view what, std::initializer_list<std::string_view> names)
{
    const std::string &given = StringOf(node);
    size_t index = 0;
    std::string all;
    for (std::string_view name : names) {
        if (given == name)
            return index;
        all += (index++ ? ", " : "") + std::string(name);
    }
    node.fail("unknown " + std::string(what) + " \"" + given + "\" (known: " + all + ")");
}

} // namespace exchange::office
