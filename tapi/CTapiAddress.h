#ifndef DIALWERK_TAPI_CTAPIADDRESS_H
#define DIALWERK_TAPI_CTAPIADDRESS_H

#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "CTapiObject.h"
#include "TapiLists.h"
#include "TapiPlatform.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CTapiCall;
class CTapiLine;
class CTapiRequest;

/// What the provider answered when asked whether an address supports agents.
enum class CTapiAgentSupport {
    Supported,   // the question was not refused
    Unsupported, // LINEERR_OPERATIONUNAVAIL
    Pending,     // the question is still waiting for its reply
};

/// One address of a line: cached capabilities and status, its name, pickup and
/// unpark, and the agent functions. Owned by its line.
class CTapiAddress : public CTapiObject {
public:
    CTapiAddress();
    ~CTapiAddress() override;

    // ---- hooks (line event thread) ----
    /// Re-reads cached capabilities on LINEADDRESSSTATE_CAPSCHANGE and a cached status on any other bit.
    virtual void OnStateChange(DWORD addressState);
    /// Notes that the agent status (or, on LINEAGENTSTATUS_CAPSCHANGE, the agent capabilities) changed.
    virtual void OnAgentStatusChange(DWORD agentStatus, DWORD agentState);

    /// Stores the owning line and the address identifier.
    void Init(CTapiLine *line, DWORD addressId);
    CTapiLine *GetLine() const { return line_; }
    DWORD GetAddressID() const { return addressId_; }
    bool HasAgentStatusChanged() const { return agentStatusChanged_.load() != 0; }
    bool HaveAgentCapsChanged() const { return agentCapsChanged_.load() != 0; }

    /// The capabilities (cached), or null. API version 0: the line's negotiated one.
    TapiStructPtr<LINEADDRESSCAPS> GetAddressCaps(DWORD apiVersion = 0, DWORD extVersion = 0, bool force = false);
    /// The status (cached), or null; null at once while the line is closed.
    TapiStructPtr<LINEADDRESSSTATUS> GetAddressStatus(bool force = false);
    /// The address string of the capabilities, or "Address unknown".
    tapi_string GetAddressName();

    /// linePickupW; waits for the reply and attaches the picked-up call to `call`.
    /// Returns linePickupW's own result; `call` stays null unless the wait gave 0.
    DWORD Pickup(CTapiCall **call, LPCWSTR destAddress, LPCWSTR groupId);
    /// lineUnparkW, the same way as Pickup.
    DWORD Unpark(CTapiCall **call, LPCWSTR parkAddress);

    /// The agent status, read afresh (waits for the reply); null on failure or while the line is closed.
    TapiStructPtr<LINEAGENTSTATUS> GetAgentStatus();
    /// lineSetAgentState, registered and returned without waiting.
    DWORD SetAgentState(DWORD agentState, DWORD nextAgentState);
    /// lineSetAgentActivity, registered and returned without waiting.
    DWORD SetAgentActivity(DWORD activityId);
    /// lineSetAgentGroup with these groups (none: no list); returns the outcome of the wait.
    DWORD SetAgentGroup(const std::vector<CTapiAgentGroupEntry> &groups);
    /// Appends the groups the agent may join; 0 or non-zero on failure.
    DWORD GetAgentGroupList(std::vector<CTapiAgentGroupEntry> &groups);
    /// Appends the activities the agent may choose; 0 or non-zero on failure.
    DWORD GetAgentActivityList(std::vector<CTapiAgentActivityEntry> &activities);
    /// Appends the groups the agent is in now; LINEERR_INVALAGENTGROUP when none or no status.
    DWORD GetAgentGroups(std::vector<CTapiAgentGroupEntry> &groups);
    /// Whether the provider supports agents on this address: true unless the
    /// answer known so far is LINEERR_OPERATIONUNAVAIL (see GetAgentSupport).
    bool IsAgentSupported();
    /// The provider's answer on agent support. On an open line the question is
    /// asked once per line handle and the answer kept: a question whose reply is
    /// still out is Pending (and is not asked again), a later call picks up the
    /// reply. Capability changes of the address or its agent forget the answer.
    /// On a closed line the question is asked on a temporary handle each time.
    /// User-interface thread.
    CTapiAgentSupport GetAgentSupport();

private:
    DWORD FetchAgentList(DWORD initialSize, const std::function<LONG(void *)> &issue,
                         std::shared_ptr<CTapiBuffer> &block);
    DWORD PickupOrUnpark(CTapiCall **call, const std::function<LONG(LPHCALL)> &issue);

    CTapiLine *line_ = nullptr;
    DWORD addressId_ = 0;
    CTapiCache addressCaps_;
    CTapiCache addressStatus_;
    CTapiCache agentStatus_;
    std::atomic<DWORD> agentStatusChanged_{1};
    std::atomic<DWORD> agentCapsChanged_{1};

    /// Forgets the kept answer on agent support (any thread).
    void ForgetAgentSupport();
    CTapiAgentSupport ProbeClosedLine();

    // The agent-support answer of an open line: asked on the user-interface
    // thread, forgotten by the hooks on the line event thread. Guards the
    // three members below; a leaf lock, never held while calling TAPI.
    std::mutex agentSupportMutex_;
    HLINE agentSupportFor_ = 0;                       // the handle asked on; 0: nothing kept
    CTapiAgentSupport agentSupport_ = CTapiAgentSupport::Pending;
    std::shared_ptr<CTapiRequest> agentProbe_;        // the question while its reply is out
};

#endif
