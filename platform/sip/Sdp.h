// The SDP of one audio stream as text: what we offer or answer (PCMU and
// telephone-event, one direction) and what we read from the far end's
// description. Pure functions; the parser bounds every read to its text.
#ifndef DIALWERK_SIP_SDP_H
#define DIALWERK_SIP_SDP_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sip {

enum class Direction { Inactive, RecvOnly, SendOnly, SendRecv };

const char *directionName(Direction direction);
/// The direction to answer with when the far end offers `offered` and we
/// would like `wanted`: we send only where they receive and the reverse.
Direction answerDirection(Direction offered, Direction wanted);
bool sends(Direction direction);

struct LocalSdp {
    std::string address; // IPv4 address of the RTP socket
    uint16_t port = 0;
    Direction direction = Direction::SendRecv;
    uint64_t sessionId = 0;
    uint32_t version = 0; // goes up with every new description
};

/// The description for an offer or answer.
std::string buildSdp(const LocalSdp &sdp);

struct RemoteSdp {
    std::string address;
    uint16_t port = 0; // 0: the audio stream is refused
    Direction direction = Direction::SendRecv;
    bool pcmu = false;       // payload type 0 offered
    int telephoneEvent = -1; // payload type of telephone-event, or -1
};

/// The first audio stream of a description; nullopt when there is none or
/// the text is not SDP.
std::optional<RemoteSdp> parseSdp(std::string_view text);

} // namespace sip

#endif
