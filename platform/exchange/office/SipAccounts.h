// Reads the accounts of an office file's "sip" section: each becomes a far
// line (LineConfig::farLine) and the SipAccount that drives it. Every text
// that goes into a SIP message is checked here, before the network sees it:
// URIs have a scheme and a host, and no text carries a line break into a
// header. The password is read from the environment and never appears in a
// message.
#ifndef DIALWERK_EXCHANGE_OFFICE_SIPACCOUNTS_H
#define DIALWERK_EXCHANGE_OFFICE_SIPACCOUNTS_H

#include "exchange/Topology.h"
#include "exchange/office/Node.h"

namespace exchange::office {

struct ReadSip {
    LineConfig line;    // its one address has the AOR's user part as its number
    SipAccount account; // `line` is left for the loader to set
};

ReadSip ReadSipAccount(const Node &account);

} // namespace exchange::office

#endif
