#include <ui/dialogs/CallParty.h>

#include <app/TapiText.h>

#include "CTapiCall.h"

CallParty PartyOf(CTapiCall &call)
{
    const auto info = call.GetCallInfo();
    if (info && (info->dwOrigin & LINECALLORIGIN_OUTBOUND))
        return {ToQString(call.GetCalledName()), ToQString(call.GetCalledNumber())};
    return {ToQString(call.GetCallerName()), ToQString(call.GetCallerNumber())};
}
