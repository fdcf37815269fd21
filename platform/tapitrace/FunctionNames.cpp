#include "tapitrace/FunctionNames.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace tapitrace {

namespace {

constexpr const char *kFunctions[] = {
#include "FunctionTable.inc"
};

} // namespace

std::vector<std::string> CallableFunctionNames()
{
    const std::set<std::string_view> all(std::begin(kFunctions), std::end(kFunctions));
    std::vector<std::string> names;
    for (std::string_view name : all) {
        // "lineMakeCall" stands for lineMakeCallW; "lineMakeCallA" is its ANSI twin.
        if (all.count(std::string(name) + 'W'))
            continue;
        if (name.ends_with('A') && all.count(std::string(name.substr(0, name.size() - 1)) + 'W'))
            continue;
        names.emplace_back(name);
    }
    return names;
}

} // namespace tapitrace
