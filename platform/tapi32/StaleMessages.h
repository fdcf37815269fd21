// Messages an untidy provider still sends for a handle that was just closed
// or deallocated: they were in flight when the handle went. Posted only
// when the untidy option asks for them; a handle value is never reused, so
// they name nothing the application holds.
#ifndef DIALWERK_TAPI32_STALEMESSAGES_H
#define DIALWERK_TAPI32_STALEMESSAGES_H

#include "tapi32/Registry.h"

#include <vector>

namespace tapi32 {

/// The calls a line open holds, with their present states, taken before it closes.
struct ClosingLine {
    LineOpenRecord open;
    std::vector<std::pair<HCALL, DWORD>> calls;
};
ClosingLine beforeLineCloses(Registry &reg, HLINE line);

/// After a line closed: LINE_LINEDEVSTATE (OTHER) for the line handle and
/// LINE_CALLSTATE with the last state for each call handle it held.
void afterLineClosed(Registry &reg, const ClosingLine &closed);
/// After a phone closed: PHONE_STATE (OTHER) for the phone handle.
void afterPhoneClosed(Registry &reg, const PhoneOpenRecord &closed);
/// After a call handle was deallocated: LINE_CALLSTATE (IDLE) and LINE_CALLINFO for it.
void afterCallDeallocated(Registry &reg, const CallRecord &gone, DWORD_PTR instance);

} // namespace tapi32

#endif
