#include "tapi32/StructFaults.h"

#include <algorithm>

namespace tapi32 {

namespace {

// How much more an answer that fits claims to need.
constexpr DWORD kNeededAgain = 64;

// The answer fits but is reported as not fitting, with a need beyond the
// buffer the caller just sized from the last answer.
void neededAgain(Layout &layout)
{
    layout.fill = false;
    layout.used = layout.fixed;
    layout.needed = std::max<uint64_t>(layout.needed, layout.total) + kNeededAgain;
}

// The fields before the middle one are written; the others keep their size
// and offset members but point at zero bytes past dwUsedSize.
void partlyFilled(std::vector<PlacedField> &placed, Layout &layout)
{
    const size_t cut = placed.size() / 2;
    layout.used = placed[cut].offset;
    layout.zeroFrom = layout.used;
    for (size_t i = cut; i < placed.size(); ++i)
        placed[i].written = false;
}

// The last string loses its terminator and moves to the very end of the
// buffer, where nothing follows it.
void unterminated(std::vector<PlacedField> &placed, Layout &layout)
{
    for (size_t i = placed.size(); i-- > 0;) {
        PlacedField &p = placed[i];
        if (!p.field->text || p.field->bytes.size() < 2 * sizeof(char16_t))
            continue;
        const DWORD size = DWORD(p.field->bytes.size() - sizeof(char16_t));
        const DWORD at = layout.total - size;
        const uint64_t end = placed.back().offset + uint64_t(placed.back().size());
        // Only where it overlaps no field: it is the last one, or the
        // buffer has room behind everything.
        if (i + 1 != placed.size() && at < end)
            return;
        p.unterminated = true;
        p.offset = at;
        layout.used = layout.total;
        layout.needed = layout.total;
        return;
    }
}

bool hasText(const std::vector<PlacedField> &placed)
{
    for (const PlacedField &p : placed)
        if (p.field->text && p.field->bytes.size() >= 2 * sizeof(char16_t))
            return true;
    return false;
}

} // namespace

void applyFaults(const StructFaults &faults, std::vector<PlacedField> &placed, Layout &layout)
{
    using exchange::Untidy;
    if (!layout.fill || !faults.untidy)
        return;
    if (faults.untidy(Untidy::NeededSizeAgain)) {
        neededAgain(layout);
        return;
    }
    if (placed.empty())
        return;
    if (faults.untidy(Untidy::PartlyFilled))
        partlyFilled(placed, layout);
    else if (hasText(placed) && faults.untidy(Untidy::UnterminatedStrings))
        unterminated(placed, layout);
}

} // namespace tapi32
