// The constants and structure layouts that <tapi.h> declares, collected by
// the compiler for comparison with the published tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DeclaredConstant {
    const char *name;
    uint32_t value;
};

/// A member's offset and size, or a structure's size with field "(sizeof)".
struct DeclaredField {
    const char *structure;
    const char *field;
    size_t offset;
    size_t size;
};

const std::vector<DeclaredConstant> &declaredConstants();
const std::vector<DeclaredField> &declaredFields();
