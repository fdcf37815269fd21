// Who is at the other end of a call, as the transfer, conference and
// completion windows show it: the called party of an outgoing call, the
// calling party of any other.
#pragma once

#include <QString>

class CTapiCall;

struct CallParty {
    QString name = QStringLiteral("Not Available"); ///< until the call's party is known
    QString number;
};

/// The called-ID name and number when the call's origin has
/// LINECALLORIGIN_OUTBOUND, else the caller-ID ones. A text is empty when the
/// call information does not carry it (or cannot be read). User-interface thread.
CallParty PartyOf(CTapiCall &call);
