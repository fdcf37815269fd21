// Reads a JSON text into nlohmann's DOM and remembers on which line each
// member and element starts, so that a complaint about a value can name its
// line. Paths are written as in the messages: "lines[2].addresses[0].number";
// the root is "".
#ifndef DIALWERK_EXCHANGE_OFFICE_JSONWITHLINES_H
#define DIALWERK_EXCHANGE_OFFICE_JSONWITHLINES_H

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <string_view>

namespace exchange::office {

struct JsonWithLines {
    nlohmann::json root;
    std::map<std::string, size_t, std::less<>> lines; // path -> line (from 1)
    std::string error;                                // empty when the text was read
    size_t errorLine = 0;

    /// The line of `path`, or of its nearest enclosing member or element
    /// that has one (a missing field is reported at its object).
    size_t lineOf(std::string_view path) const;
};

/// Reads `text`. Besides JSON's syntax, it refuses a member named twice in
/// one object. Comments (// and /* */) are allowed.
JsonWithLines ReadJsonWithLines(std::string_view text);

/// "lines[2]" + "name" -> "lines[2].name"; the root's members have no dot.
std::string MemberPath(std::string_view parent, std::string_view key);
/// "lines" + 2 -> "lines[2]"
std::string ElementPath(std::string_view parent, size_t index);

} // namespace exchange::office

#endif
