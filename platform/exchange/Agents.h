// Agents on the exchange's agent addresses: state, next state and activity,
// checked against the address's agent configuration.
#ifndef DIALWERK_EXCHANGE_AGENTS_H
#define DIALWERK_EXCHANGE_AGENTS_H

#include "exchange/VarStruct.h"

#include <tapi.h>

namespace exchange {

class Switchboard;

class Agents {
public:
    explicit Agents(Switchboard &board) : board_(board) {}

    /// 0, LINEERR_OPERATIONUNAVAIL for an address without agents, or
    /// LINEERR_INVALADDRESSID for an unknown one.
    static LONG checkAgent(const Switchboard &board, DWORD line, DWORD address);
    /// A state and a next state (0 leaves either as it is), each a single
    /// valid bit; LINEERR_INVALAGENTSTATE otherwise.
    static LONG checkState(const Switchboard &board, DWORD line, DWORD address, DWORD state, DWORD next);
    /// LINEERR_INVALAGENTACTIVITY for an activity the address does not list.
    static LONG checkActivity(const Switchboard &board, DWORD line, DWORD address, DWORD activity);
    /// LINEAGENTSTATUS of an agent address.
    static VarStruct status(const Switchboard &board, DWORD line, DWORD address);
    /// LINEAGENTACTIVITYLIST of an agent address.
    static VarStruct activities(const Switchboard &board, DWORD line, DWORD address);

    /// Change what the checks allowed; LINE_AGENTSTATUS reports the bits
    /// that changed (nothing when nothing did).
    void setState(DWORD line, DWORD address, DWORD state, DWORD next);
    void setActivity(DWORD line, DWORD address, DWORD activity);

private:
    Switchboard &board_;
};

} // namespace exchange

#endif
