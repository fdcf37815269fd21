// A value of an office file with its path, and the readers that turn values
// into the exchange's types. A reader that meets a bad value throws Fault,
// which the loader turns into one message naming the file, line and path.
#ifndef DIALWERK_EXCHANGE_OFFICE_NODE_H
#define DIALWERK_EXCHANGE_OFFICE_NODE_H

#include <nlohmann/json.hpp>

#include <tapi.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace exchange::office {

/// What is wrong, and where: thrown by the readers, caught by the loader.
struct Fault {
    std::string path;
    std::string what;
};

class Node {
public:
    Node(const nlohmann::json &value, std::string path) : value_(&value), path_(std::move(path)) {}

    const nlohmann::json &value() const { return *value_; }
    const std::string &path() const { return path_; }

    /// The member `key` if the object has it.
    std::optional<Node> member(std::string_view key) const;
    /// The member `key`; a Fault "missing required field" when it is absent.
    Node required(std::string_view key) const;
    /// The elements of an array (a Fault when this is no array).
    std::vector<Node> elements() const;
    /// Checks that this is an object whose members all have names in one of
    /// the lists: a misspelt field must not pass silently.
    void expectObject(std::initializer_list<std::vector<std::string_view>> known) const;

    [[noreturn]] void fail(std::string what) const;
    [[noreturn]] void failAt(std::string_view key, std::string what) const;

private:
    const nlohmann::json *value_;
    std::string path_;
};

/// A text, as UTF-16.
std::u16string ReadText(const Node &node);
/// The text of `object`'s member `key` into `into`, when the member is given.
void ReadTextIfGiven(const Node &object, std::string_view key, std::u16string &into);
/// A text for an 8-bit field: every character must be in Latin-1.
std::string ReadText8(const Node &node);
/// A list of texts, as UTF-16.
std::vector<std::u16string> ReadTexts(const Node &node);
bool ReadBool(const Node &node);
/// A 32-bit unsigned number: a JSON number or a hexadecimal text "0x1F".
DWORD ReadNumber(const Node &node);
/// A number from `low` to `high`.
uint64_t ReadNumberIn(const Node &node, uint64_t low, uint64_t high);
/// A bit field: a list of constant names of `group` ("LINECALLFEATURE"),
/// or numbers for bits of the provider's own.
DWORD ReadFlags(const Node &node, std::string_view group);
/// One value: a constant name of `group`, or a number.
DWORD ReadEnum(const Node &node, std::string_view group);
/// One of `names`: the index of the name given.
size_t ReadChoice(const Node &node, std::string_view what, std::initializer_list<std::string_view> names);

} // namespace exchange::office

#endif
