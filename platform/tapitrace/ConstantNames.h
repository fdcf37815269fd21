// Names of TAPI's published constants, for decoding values in the trace.
// A group is the name's prefix without its underscore ("LINECALLSTATE",
// "LINEERR"); the message names are the group "LINE_" and "PHONE_".
#ifndef DIALWERK_TAPITRACE_CONSTANTNAMES_H
#define DIALWERK_TAPITRACE_CONSTANTNAMES_H

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tapitrace {

/// The name of `value` in `group` ("LINECALLSTATE_OFFERING"), or its value in
/// hexadecimal when the group has no such constant.
std::string NameOf(std::string_view group, uint32_t value);

/// The names of the bits of `value` in `group` joined by '|'
/// ("LINEMEDIAMODE_INTERACTIVEVOICE|0x00100000"): unknown bits are shown in
/// hexadecimal; 0 is "0".
std::string FlagsOf(std::string_view group, uint32_t value);

/// Every constant of `group` as (name, value), in the table's order.
std::vector<std::pair<std::string, uint32_t>> ConstantsIn(std::string_view group);

/// "0x0001a2b3"
std::string Hex(uint32_t value);

} // namespace tapitrace

#endif
