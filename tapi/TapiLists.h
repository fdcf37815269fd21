// The lists a provider hands over inside its structures: call handles, forwarding
// entries, completion messages, agent groups and activities. Each reader takes the
// structure as the layer holds it (dwTotalSize is the size of the block) and returns
// only what lies wholly within it; a record whose text lies outside keeps its other
// values and gets an empty text.
#ifndef DIALWERK_TAPI_TAPILISTS_H
#define DIALWERK_TAPI_TAPILISTS_H

#include "TapiPlatform.h"

#include <string>
#include <vector>

/// An agent group as the group operations report and take it.
struct CTapiAgentGroupEntry {
    DWORD groupId[4] = {0, 0, 0, 0};
    tapi_string name;
};

/// An agent activity as the activity list reports it.
struct CTapiAgentActivityEntry {
    DWORD activityId = 0;
    tapi_string name;
};

/// One forwarding instruction of an address's status.
struct CTapiForwardEntry {
    DWORD mode = 0;
    tapi_string destination;
    tapi_string caller;
};

/// The call handles of a call list; none for a null list.
std::vector<HCALL> TapiCallHandles(const LINECALLLIST *list);

/// The forwarding instructions in force on an address; none for a null status.
std::vector<CTapiForwardEntry> TapiForwardEntries(const LINEADDRESSSTATUS *status);

/// The completion messages of an address: fixed-size entries of 8-bit text, each cut at
/// its first zero byte. None for a null structure or an entry size of 0.
std::vector<std::string> TapiCompletionMessages(const LINEADDRESSCAPS *caps);

/// Appends the group entries of a group list (records of LINEAGENTGROUPENTRY at `offset`).
void ReadAgentGroups(const void *structure, DWORD offset, DWORD size, DWORD count,
                     std::vector<CTapiAgentGroupEntry> &groups);

/// The groups of a group list; none for a null list.
std::vector<CTapiAgentGroupEntry> TapiAgentGroups(const LINEAGENTGROUPLIST *list);

/// The groups an agent is in now, as its status lists them; none for a null status.
std::vector<CTapiAgentGroupEntry> TapiAgentStatusGroups(const LINEAGENTSTATUS *status);

/// The activities of an activity list; none for a null list.
std::vector<CTapiAgentActivityEntry> TapiAgentActivities(const LINEAGENTACTIVITYLIST *list);

#endif
