// The audio stream of one call: its RTP socket, our side of the SDP, and a
// 20 ms timer that sends PCMU silence to the far end's negotiated address,
// so that exchanges which end calls without RTP keep ours up. No audio
// device is involved. SIP thread only (SipAgent.h); owned by its Dialog.
#ifndef DIALWERK_SIP_MEDIA_H
#define DIALWERK_SIP_MEDIA_H

#include "sip/Libre.h"
#include "sip/Sdp.h"

#include <optional>
#include <string>

namespace sip {

class Media {
public:
    explicit Media(std::string localAddress);
    ~Media();
    Media(const Media &) = delete;
    Media &operator=(const Media &) = delete;

    /// Opens the RTP socket on a free even port; an errno on failure.
    int open();
    /// A new offer with our direction set to `direction`.
    std::string offer(Direction direction);
    /// Takes the far end's offer and answers it, wanting `wanted`.
    std::string answer(const RemoteSdp &offered, Direction wanted);
    /// Takes the far end's answer to our offer.
    void answered(const RemoteSdp &remote);
    /// Starts sending once the call is up (and the far end's address known).
    void start();

    /// Queues DTMF digits as RFC 4733 telephone events (in place of the
    /// silence); only when the far end's description offers them.
    bool sendsEvents() const { return remote_ && remote_->telephoneEvent >= 0; }
    void sendDigits(const std::u16string &digits);

    Direction localDirection() const { return local_.direction; }
    /// True when the far end's last description holds us (it does not send).
    bool heldByFarEnd() const;

private:
    static void onTick(void *arg);
    static void onReceive(const sa *src, const rtp_header *hdr, mbuf *mb, void *arg);
    void takeRemote(const RemoteSdp &remote);
    void schedule();
    void sendEvent();

    struct rtp_sock *rtp_ = nullptr;
    mbuf *packet_ = nullptr;
    tmr tick_{};
    LocalSdp local_;
    std::optional<RemoteSdp> remote_;
    sa remoteAddress_{};
    bool running_ = false;
    bool marker_ = true;
    uint32_t timestamp_ = 0;
    std::u16string events_; // digits still to send, the first one sending
    int eventTick_ = 0;     // 20 ms steps into the first digit
    uint32_t eventTimestamp_ = 0;
};

} // namespace sip

#endif
