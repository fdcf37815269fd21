#include "sip/Media.h"

#include <netinet/in.h>

#include <algorithm>
#include <random>

namespace sip {

namespace {

constexpr uint32_t kFrameMs = 20;
constexpr size_t kFrameBytes = 160; // 20 ms of 8 kHz PCMU
constexpr uint8_t kPcmuSilence = 0xFF;
// A telephone event: 8 steps of tone (160 ms), the last one sent three
// times with the end bit, then 60 ms of silence before the next digit.
constexpr int kToneTicks = 8;
constexpr int kEndRepeats = 2;
constexpr int kGapTicks = 3;
constexpr uint8_t kEventVolume = 10; // -10 dBm0

uint8_t eventCode(char16_t digit)
{
    if (digit >= u'0' && digit <= u'9')
        return static_cast<uint8_t>(digit - u'0');
    if (digit == u'*')
        return 10;
    if (digit == u'#')
        return 11;
    return static_cast<uint8_t>(12 + (digit - u'A')); // A to D
}

} // namespace

Media::Media(std::string localAddress)
{
    tmr_init(&tick_);
    local_.address = std::move(localAddress);
    std::random_device random;
    local_.sessionId = (uint64_t(random()) << 16) ^ random();
    timestamp_ = random();
}

Media::~Media()
{
    tmr_cancel(&tick_);
    mem_deref(packet_);
    mem_deref(rtp_);
}

int Media::open()
{
    sa address;
    if (int err = sa_set_str(&address, local_.address.c_str(), 0))
        return err;
    if (int err = rtp_listen(&rtp_, IPPROTO_UDP, &address, 16384, 32767, false, onReceive, nullptr, this))
        return err;
    local_.port = sa_port(rtp_local(rtp_));
    packet_ = mbuf_alloc(RTP_HEADER_SIZE + kFrameBytes);
    return packet_ ? 0 : ENOMEM;
}

std::string Media::offer(Direction direction)
{
    local_.direction = direction;
    ++local_.version;
    return buildSdp(local_);
}

std::string Media::answer(const RemoteSdp &offered, Direction wanted)
{
    takeRemote(offered);
    local_.direction = answerDirection(offered.direction, wanted);
    ++local_.version;
    return buildSdp(local_);
}

void Media::answered(const RemoteSdp &remote)
{
    takeRemote(remote);
}

bool Media::heldByFarEnd() const
{
    return remote_ && (remote_->direction == Direction::SendOnly || remote_->direction == Direction::Inactive);
}

void Media::takeRemote(const RemoteSdp &remote)
{
    remote_ = remote;
    if (remote.port == 0 || sa_set_str(&remoteAddress_, remote.address.c_str(), remote.port) != 0)
        sa_init(&remoteAddress_, AF_UNSPEC);
    schedule();
}

void Media::start()
{
    running_ = true;
    schedule();
}

void Media::schedule()
{
    if (running_ && rtp_ && !tmr_isrunning(&tick_))
        tmr_start(&tick_, kFrameMs, onTick, this);
}

void Media::onTick(void *arg)
{
    auto *self = static_cast<Media *>(arg);
    tmr_start(&self->tick_, kFrameMs, onTick, self);
    self->timestamp_ += kFrameBytes;
    if (!sa_isset(&self->remoteAddress_, SA_ALL) || !sends(self->local_.direction))
        return;
    if (!self->events_.empty()) {
        self->sendEvent();
        return;
    }
    mbuf *mb = self->packet_;
    mb->pos = RTP_HEADER_SIZE;
    mb->end = RTP_HEADER_SIZE;
    mbuf_fill(mb, kPcmuSilence, kFrameBytes);
    mb->pos = RTP_HEADER_SIZE;
    // A closed port answers with ICMP; the next send reports it and the
    // stream simply goes on.
    (void)rtp_send(self->rtp_, &self->remoteAddress_, false, self->marker_, 0, self->timestamp_, mb);
    self->marker_ = false;
}

void Media::sendDigits(const std::u16string &digits)
{
    for (const char16_t c : digits)
        if ((c >= u'0' && c <= u'9') || c == u'*' || c == u'#' || (c >= u'A' && c <= u'D'))
            events_ += c;
}

void Media::sendEvent()
{
    const int step = eventTick_++;
    if (step == 0)
        eventTimestamp_ = timestamp_;
    if (step >= kToneTicks + kEndRepeats + kGapTicks - 1) {
        events_.erase(0, 1);
        eventTick_ = 0;
    }
    if (step >= kToneTicks + kEndRepeats)
        return; // the gap between digits
    const bool end = step >= kToneTicks - 1;
    const auto duration = static_cast<uint16_t>(std::min(step + 1, kToneTicks) * kFrameBytes);
    const uint8_t payload[4] = {eventCode(events_.front()), static_cast<uint8_t>((end ? 0x80 : 0) | kEventVolume),
                                static_cast<uint8_t>(duration >> 8), static_cast<uint8_t>(duration & 0xFF)};
    mbuf *mb = packet_;
    mb->pos = RTP_HEADER_SIZE;
    mb->end = RTP_HEADER_SIZE;
    mbuf_write_mem(mb, payload, sizeof payload);
    mb->pos = RTP_HEADER_SIZE;
    (void)rtp_send(rtp_, &remoteAddress_, false, step == 0, static_cast<uint8_t>(remote_->telephoneEvent),
                   eventTimestamp_, mb);
}

void Media::onReceive(const sa *, const rtp_header *, mbuf *, void *)
{
    // Audio from the far end is not played anywhere.
}

} // namespace sip
