// Shows the sending and receiving FLOWSPECs of a call and asks for
// a best-effort quality of service.
#pragma once

#include <ui/dialogs/CallDetailDlg.h>

#include <array>
#include <cstdint>

/// A modal dialog on the user-interface thread (see CCallDetailDlg).
class CQosInfo : public CCallDetailDlg {
public:
    static constexpr int IDD = 1096;
    static constexpr int IDC_SENDING = 2006;
    static constexpr int IDC_RECEIVING = 2007;

    /// The quality of service "Set QOS" asks for in both directions: a
    /// Windows Sockets FLOWSPEC of eight 32-bit fields (TokenRate,
    /// TokenBucketSize, PeakBandwidth, Latency, DelayVariation, ServiceType,
    /// MaxSduSize, MinimumPolicedSize).
    static constexpr std::array<std::uint32_t, 8> kFlowSpec{
        0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 100, 1000, 1 /* best effort */, 4096, 1024,
    };

    CQosInfo(QWidget *parent, CTapiCall *call);

protected:
    /// The viewers show both FLOWSPECs; "Set QOS" follows LINECALLFEATURE_SETQOS.
    void OnInitDialog() override;

private:
    /// lineSetCallQualityOfService with kFlowSpec as sending and receiving
    /// FLOWSPEC; a failure is reported as "lineCallSetQualityOfService". The
    /// viewers stay as they are.
    void OnSetQos();

    CHexEdit *sending_ = nullptr;
    CHexEdit *receiving_ = nullptr;
};
