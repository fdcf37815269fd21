#include "sip/Sdp.h"

#include <charconv>
#include <vector>

namespace sip {

namespace {

std::optional<Direction> directionOf(std::string_view attribute)
{
    if (attribute == "sendrecv")
        return Direction::SendRecv;
    if (attribute == "sendonly")
        return Direction::SendOnly;
    if (attribute == "recvonly")
        return Direction::RecvOnly;
    if (attribute == "inactive")
        return Direction::Inactive;
    return std::nullopt;
}

bool receives(Direction d)
{
    return d == Direction::SendRecv || d == Direction::RecvOnly;
}

std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    while (!s.empty()) {
        const size_t start = s.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        s.remove_prefix(start);
        const size_t end = s.find(' ');
        out.push_back(s.substr(0, end));
        if (end == std::string_view::npos)
            break;
        s.remove_prefix(end);
    }
    return out;
}

std::optional<unsigned> number(std::string_view s)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

} // namespace

const char *directionName(Direction direction)
{
    switch (direction) {
    case Direction::Inactive:
        return "inactive";
    case Direction::RecvOnly:
        return "recvonly";
    case Direction::SendOnly:
        return "sendonly";
    case Direction::SendRecv:
        return "sendrecv";
    }
    return "sendrecv";
}

bool sends(Direction direction)
{
    return direction == Direction::SendRecv || direction == Direction::SendOnly;
}

Direction answerDirection(Direction offered, Direction wanted)
{
    const bool send = sends(wanted) && receives(offered);
    const bool recv = receives(wanted) && sends(offered);
    if (send && recv)
        return Direction::SendRecv;
    if (send)
        return Direction::SendOnly;
    return recv ? Direction::RecvOnly : Direction::Inactive;
}

std::string buildSdp(const LocalSdp &sdp)
{
    const std::string port = std::to_string(sdp.port);
    return "v=0\r\n"
           "o=- " + std::to_string(sdp.sessionId) + " " + std::to_string(sdp.version) + " IN IP4 " + sdp.address +
           "\r\n"
           "s=-\r\n"
           "c=IN IP4 " + sdp.address + "\r\n"
           "t=0 0\r\n"
           "m=audio " + port + " RTP/AVP 0 101\r\n"
           "a=rtpmap:0 PCMU/8000\r\n"
           "a=rtpmap:101 telephone-event/8000\r\n"
           "a=fmtp:101 0-15\r\n"
           "a=ptime:20\r\n"
           "a=" + directionName(sdp.direction) + "\r\n";
}

std::optional<RemoteSdp> parseSdp(std::string_view text)
{
    RemoteSdp out;
    bool sawVersion = false, inAudio = false, sawAudio = false, inOtherMedia = false;
    std::optional<Direction> sessionDirection, mediaDirection;
    std::string sessionAddress, mediaAddress;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() < 2 || line[1] != '=')
            continue;
        const char type = line[0];
        const std::string_view value = line.substr(2);
        if (type == 'v') {
            sawVersion = value == "0";
            continue;
        }
        if (type == 'm') {
            if (sawAudio) { // only the first audio stream counts
                inAudio = false;
                inOtherMedia = true;
                continue;
            }
            const auto w = words(value);
            inAudio = w.size() >= 3 && w[0] == "audio";
            inOtherMedia = !inAudio;
            if (!inAudio)
                continue;
            sawAudio = true;
            const auto port = number(w[1].substr(0, w[1].find('/')));
            out.port = port && *port <= 65535 ? static_cast<uint16_t>(*port) : 0;
            for (size_t i = 3; i < w.size(); ++i)
                if (w[i] == "0")
                    out.pcmu = true;
            continue;
        }
        if (inOtherMedia)
            continue;
        if (type == 'c') {
            const auto w = words(value);
            if (w.size() >= 3 && w[0] == "IN" && w[1] == "IP4")
                (inAudio ? mediaAddress : sessionAddress) = std::string(w[2].substr(0, w[2].find('/')));
            continue;
        }
        if (type != 'a')
            continue;
        if (const auto d = directionOf(value)) {
            (inAudio ? mediaDirection : sessionDirection) = d;
            continue;
        }
        if (inAudio && value.starts_with("rtpmap:")) {
            const auto w = words(value.substr(7));
            if (w.size() >= 2 && w[1].size() >= 15 && w[1].substr(0, 15) == "telephone-event")
                if (const auto pt = number(w[0]); pt && *pt < 128)
                    out.telephoneEvent = static_cast<int>(*pt);
        }
    }
    if (!sawVersion || !sawAudio)
        return std::nullopt;
    out.address = !mediaAddress.empty() ? mediaAddress : sessionAddress;
    out.direction = mediaDirection.value_or(sessionDirection.value_or(Direction::SendRecv));
    // The old way of holding: a connection address of 0.0.0.0
    if (out.address == "0.0.0.0" && out.direction == Direction::SendRecv)
        out.direction = Direction::SendOnly;
    return out;
}

} // namespace sip
