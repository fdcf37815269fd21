// Office files of arbitrary text through the loader, and every office it
// accepts into a running exchange: a file is input from outside, so no text
// may crash, hang or exhaust memory, only be refused with its message.
#include <exchange/Exchange.h>
#include <exchange/office/OfficeFile.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    exchange::OfficeLoad load = exchange::parseOffice(text, "fuzz.json");
    if (load.office) {
        exchange::Exchange accepted(std::move(*load.office));
        accepted.waitIdle();
    } else if (load.error.empty()) {
        __builtin_trap(); // a refused file always says why
    }
    return 0;
}
