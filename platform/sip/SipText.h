// Pure helpers over SIP text: what a response code means to TAPI, the
// Refer-To of a consultation transfer, party ids from name-addr headers,
// DTMF relay bodies, message summaries and sipfrag status lines. They
// take and give plain strings (no libre types), bound every read to the
// text they are given, and never throw.
#ifndef DIALWERK_SIP_SIPTEXT_H
#define DIALWERK_SIP_SIPTEXT_H

#include "exchange/core/Leg.h"

#include <tapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sip {

/// The LINEDISCONNECTMODE_ for a final failure response (>= 300) to an
/// INVITE we sent. LINEDISCONNECTMODE_BUSY stands for the BUSY state.
DWORD disconnectModeFor(uint16_t status);
/// The LINEDISCONNECTMODE_ for an INVITE that got no final response
/// (errno from the stack): a time-out is no answer, anything else means
/// the far end could not be reached.
DWORD disconnectModeForError(int err);

/// Refer-To of a transfer that replaces a dialog (RFC 3891): the target
/// URI with the Replaces header of the dialog, escaped, tags in the order
/// call id, to-tag (the target's tag), from-tag (ours). In angle brackets.
std::string referToReplacing(std::string_view targetUri, std::string_view callId, std::string_view toTag,
                             std::string_view fromTag);
/// Escapes `text` for a header value inside a URI (RFC 3261 hvalue).
std::string escapeHeaderValue(std::string_view text);

/// The request URI for a dialed number or URI: a sip:/sips: URI is used as
/// given; otherwise the dialable characters of the number at `domain`.
/// Empty when nothing dialable is left.
std::string requestUriFor(std::string_view dialed, std::string_view domain);
/// host[:port] of a SIP URI (sip:201@pbx.example.org:5060;transport=tcp →
/// pbx.example.org:5060); empty for text that is not a SIP URI.
std::string domainOf(std::string_view uri);
/// The user part of a SIP URI (or the number of a tel: URI); may be empty.
std::string userOf(std::string_view uri);

/// A From/To-style header value, with or without angle brackets, split
/// up: display name (unquoted) and URI (without angle brackets).
struct NameAddr {
    std::string display;
    std::string uri;
};
std::optional<NameAddr> parseNameAddr(std::string_view value);

/// The caller's party id from the P-Asserted-Identity (or From) value;
/// `privacyId` is true when a Privacy header asks for the id to be hidden.
/// Withheld or anonymous callers are LINECALLPARTYID_BLOCKED.
exchange::PartyId partyIdFrom(std::string_view nameAddr, bool privacyId);
/// True when a Privacy header value lists "id" (or "header"/"user").
bool privacyHidesId(std::string_view privacy);

/// The body of an INFO application/dtmf-relay for one digit.
std::string dtmfRelayBody(char16_t digit, unsigned durationMs);
/// The digit of an INFO body (application/dtmf-relay "Signal=" line or an
/// application/dtmf digit); nullopt for anything else.
std::optional<char16_t> dtmfDigitOf(std::string_view body, bool relay);

/// Messages-Waiting of an application/simple-message-summary body.
std::optional<bool> messagesWaiting(std::string_view body);
/// The status code of a message/sipfrag status line; 0 when not one.
uint16_t sipfragStatus(std::string_view body);

/// Whether `text` starts with `prefix`, ignoring ASCII case.
bool startsWithNoCase(std::string_view text, std::string_view prefix);

/// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);

} // namespace sip

#endif
