// The forwarding instructions the call forwarding window knows, and the
// LINEFORWARDLIST it hands to lineForward to set them.
#pragma once

#include "TapiPlatform.h"

#include <QString>

#include <memory>
#include <vector>

class CTapiBuffer;

/// One forwarding instruction as the window lists it.
struct ForwardingEntry {
    /// The most characters of a destination or caller, and of an address name.
    static constexpr int kMaxAddressChars = 99;
    static constexpr int kMaxNameChars = 98;
    /// The address key of an instruction that applies to every address.
    static constexpr int kAllAddresses = -1;

    int serial = 0; ///< identifies the entry's row in the list
    DWORD mode = 0; ///< LINEFORWARDMODE_
    QString destination;
    QString caller; ///< empty unless the mode is caller-specific
    QString addressName;
    int addressKey = 0; ///< the address identifier, or kAllAddresses
};

/// The name of a LINEFORWARDMODE_ value ("LINEFORWARDMODE_UNKNOWN" for anything unlisted).
QString ForwardModeName(DWORD mode);

/// `text` cut to at most `characters` UTF-16 units, never in the middle of a pair.
QString CutText(const QString &text, int characters);

/// A LINEFORWARDLIST of the entries whose address key is `key` (every entry
/// for kAllAddresses), in list order: each entry's caller, then destination,
/// follow the records, a text only when non-empty. The fixed part is counted
/// as a list of one record, so no entries still make a 32-byte list with
/// dwNumEntries 0. Null when the block cannot be allocated.
std::shared_ptr<CTapiBuffer> BuildForwardList(const std::vector<ForwardingEntry> &entries, int key);
