#ifndef DIALWERK_TAPI_CTAPIADDRESS_H
#define DIALWERK_TAPI_CTAPIADDRESS_H

#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "CTapiObject.h"
#include "TapiLists.h"
#include "TapiPlatform.h"

#include <atomic>
#include <functional>
#include <vector>

class CTapiCall;
class CTapiLine;

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
    /// Whether the provider supports agents on this address.
    bool IsAgentSupported();

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
};

#endif
