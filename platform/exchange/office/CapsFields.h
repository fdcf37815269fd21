// The fields of TAPI's capability structures as an office file writes them:
// the structure's member name without "dw", starting in lower case
// ("dwCallFeatures" is "callFeatures"), and how its value is written.
// Members the exchange fills itself (sizes, offsets, device and permanent
// identifiers, counts taken from lists) have no field.
#ifndef DIALWERK_EXCHANGE_OFFICE_CAPSFIELDS_H
#define DIALWERK_EXCHANGE_OFFICE_CAPSFIELDS_H

#include "exchange/office/Node.h"

#include <tapi.h>

#include <span>
#include <string_view>
#include <vector>

namespace exchange::office {

enum class FieldKind {
    Number, ///< a number
    Flags,  ///< a list of constant names of the group
    Enum,   ///< one constant name of the group
};

template <class Caps>
struct CapsField {
    std::string_view name;
    DWORD Caps::*member;
    FieldKind kind;
    std::string_view group; // for Flags and Enum
};

std::span<const CapsField<LINEDEVCAPS>> LineCapsFields();
std::span<const CapsField<LINEADDRESSCAPS>> AddressCapsFields();
std::span<const CapsField<PHONECAPS>> PhoneCapsFields();

/// The names of `fields`, for Node::expectObject.
template <class Caps>
std::vector<std::string_view> FieldNames(std::span<const CapsField<Caps>> fields)
{
    std::vector<std::string_view> names;
    for (const CapsField<Caps> &f : fields)
        names.push_back(f.name);
    return names;
}

/// Sets the members of `caps` whose fields `object` gives; the others keep
/// their values.
template <class Caps>
void ReadCaps(const Node &object, Caps &caps, std::span<const CapsField<Caps>> fields)
{
    for (const CapsField<Caps> &f : fields) {
        const std::optional<Node> value = object.member(f.name);
        if (!value)
            continue;
        switch (f.kind) {
        case FieldKind::Number:
            caps.*f.member = ReadNumber(*value);
            break;
        case FieldKind::Flags:
            caps.*f.member = ReadFlags(*value, f.group);
            break;
        case FieldKind::Enum:
            caps.*f.member = ReadEnum(*value, f.group);
            break;
        }
    }
}

} // namespace exchange::office

#endif
