// libre's headers and the few helpers every libre-facing file here uses.
// Everything that includes this runs on the SIP thread only (SipAgent.h).
//
// libre declares `struct sip` at global scope, which would clash with this
// library's namespace, so its declarations live in namespace re (they keep
// their C linkage). The system headers it pulls in come first, so that
// they are declared where they belong.
#ifndef DIALWERK_SIP_LIBRE_H
#define DIALWERK_SIP_LIBRE_H

#include <arpa/inet.h>
#include <errno.h>
#include <inttypes.h>
#include <netinet/in.h>
#include <stdarg.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <zlib.h>

namespace re {
#include <re.h>
} // namespace re

#include <string>
#include <string_view>

namespace sip {

using namespace re;

inline std::string str(const pl &p)
{
    return p.p && p.l ? std::string(p.p, p.l) : std::string();
}

/// The value of a header by name ("" when absent).
inline std::string header(const sip_msg *msg, const char *name)
{
    const re::sip_hdr *h = sip_msg_xhdr(msg, name);
    return h ? str(h->val) : std::string();
}

/// The body of a message, as text.
inline std::string_view body(const sip_msg *msg)
{
    if (!msg || !msg->mb)
        return {};
    return {reinterpret_cast<const char *>(mbuf_buf(msg->mb)), mbuf_get_left(msg->mb)};
}

/// A new mbuf holding `text` (position 0); null when out of memory.
inline mbuf *mbufOf(std::string_view text)
{
    mbuf *mb = mbuf_alloc(text.size() + 1);
    if (!mb)
        return nullptr;
    mbuf_write_mem(mb, reinterpret_cast<const uint8_t *>(text.data()), text.size());
    mb->pos = 0;
    return mb;
}

} // namespace sip

#endif
