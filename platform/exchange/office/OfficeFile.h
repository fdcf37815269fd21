// The office an exchange starts with, read from a JSON file: its lines and
// addresses, phones, external numbers and park slots. docs/office-file.md
// describes the file field by field.
#ifndef DIALWERK_EXCHANGE_OFFICE_OFFICEFILE_H
#define DIALWERK_EXCHANGE_OFFICE_OFFICEFILE_H

#include "exchange/Topology.h"

#include <optional>
#include <string>
#include <string_view>

namespace exchange {

/// The office read from a file: either the whole office or, when anything
/// in the file is wrong, none of it and one message saying what and where:
/// "office.json:14: lines[2].addresses[0].callFeatures: unknown constant
/// LINECALLFEATURE_HOLDD".
struct OfficeLoad {
    std::optional<Topology> office;
    std::string error;
};

/// Reads the office file at `path`; messages name the file as given.
OfficeLoad loadOffice(const std::string &path);

/// Reads an office from `text`; messages name it `fileName`.
OfficeLoad parseOffice(std::string_view text, const std::string &fileName = "office.json");

} // namespace exchange

#endif
