// TAPI's published constants with their names and groups. A group is the
// name's prefix without its underscore ("LINECALLSTATE", "LINEERR"); the
// message names are the groups "LINE_" and "PHONE_".
#ifndef DIALWERK_TAPINAMES_CONSTANTS_H
#define DIALWERK_TAPINAMES_CONSTANTS_H

#include <cstdint>
#include <span>
#include <string_view>

namespace tapinames {

struct Constant {
    const char *group;
    const char *name;
    uint32_t value;
};

/// Every published constant, in the order of the platform's table.
std::span<const Constant> AllConstants();

/// The constant called `name`, or null when there is none.
const Constant *FindConstant(std::string_view name);

} // namespace tapinames

#endif
