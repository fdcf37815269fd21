#include "tapinames/Constants.h"

namespace tapinames {

namespace {

constexpr Constant kConstants[] = {
#include "ConstantTable.inc"
};

} // namespace

std::span<const Constant> AllConstants()
{
    return kConstants;
}

const Constant *FindConstant(std::string_view name)
{
    for (const Constant &c : kConstants) {
        if (name == c.name)
            return &c;
    }
    return nullptr;
}

} // namespace tapinames
