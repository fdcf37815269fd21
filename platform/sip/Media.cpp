#include "sip/Media.h"

#include <netinet/in.h>

#include <random>

namespace sip {

namespace {

constexpr uint32_t kFrameMs = 20;
constexpr size_t kFrameBytes = 160; // 20 ms of 8 kHz PCMU
constexpr uint8_t kPcmuSilence = 0xFF;

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

void Media::onReceive(const sa *, const rtp_header *, mbuf *, void *)
{
    // Audio from the far end is not played anywhere.
}

} // namespace sip
