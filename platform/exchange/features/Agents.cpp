#include "exchange/features/Agents.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace exchange {

namespace {

constexpr DWORD kAgentFeatures = LINEAGENTFEATURE_SETAGENTSTATE | LINEAGENTFEATURE_SETAGENTACTIVITY |
                                 LINEAGENTFEATURE_GETAGENTACTIVITYLIST | LINEAGENTFEATURE_SETAGENTGROUP |
                                 LINEAGENTFEATURE_GETAGENTGROUP;

const std::u16string *activityName(const AgentConfig &config, DWORD id)
{
    for (const auto &[aid, name] : config.activities)
        if (aid == id)
            return &name;
    return nullptr;
}

const AgentGroup *groupOf(const AgentConfig &config, const AgentGroupId &id)
{
    for (const AgentGroup &g : config.groups)
        if (g.id == id)
            return &g;
    return nullptr;
}

/// LINEAGENTGROUPENTRY records followed by their names. Name offsets count
/// from the start of the enclosing structure, in which the records start at
/// `base`.
std::vector<uint8_t> groupEntries(const std::vector<const AgentGroup *> &groups, DWORD base)
{
    std::vector<uint8_t> bytes(groups.size() * sizeof(LINEAGENTGROUPENTRY));
    for (size_t i = 0; i < groups.size(); ++i) {
        const AgentGroup &g = *groups[i];
        LINEAGENTGROUPENTRY e{};
        e.GroupID.dwGroupID1 = g.id[0];
        e.GroupID.dwGroupID2 = g.id[1];
        e.GroupID.dwGroupID3 = g.id[2];
        e.GroupID.dwGroupID4 = g.id[3];
        e.dwNameSize = DWORD((g.name.size() + 1) * sizeof(char16_t));
        e.dwNameOffset = base + DWORD(bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + e.dwNameSize, 0);
        std::memcpy(bytes.data() + at, g.name.data(), g.name.size() * sizeof(char16_t));
        bytes.resize((bytes.size() + 3) & ~size_t(3));
        std::memcpy(bytes.data() + i * sizeof e, &e, sizeof e);
    }
    return bytes;
}

/// Offset at which the writer places a structure's first variable field.
template <class T> constexpr DWORD firstFieldOffset()
{
    return (DWORD(sizeof(T)) + 3) & ~DWORD(3);
}

} // namespace

const AgentConfig *Agents::configOf(DWORD line, DWORD address) const
{
    const Line *l = core_.line(line);
    if (!l || !l->hasAddress(address))
        return nullptr;
    const auto it = l->config().agents.find(address);
    return it == l->config().agents.end() ? nullptr : &it->second;
}

Agents::AgentState Agents::stateOf(DWORD line, DWORD address) const
{
    const auto it = agents_.find({line, address});
    return it == agents_.end() ? AgentState{} : it->second;
}

LONG Agents::checkAgent(DWORD line, DWORD address) const
{
    const Line *l = core_.line(line);
    if (!l || l->removed())
        return LINEERR_NODEVICE;
    if (!l->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    return configOf(line, address) ? 0 : LINEERR_OPERATIONUNAVAIL;
}

LONG Agents::checkState(DWORD line, DWORD address, DWORD state, DWORD next) const
{
    if (LONG r = checkAgent(line, address))
        return r;
    const AgentConfig &c = *configOf(line, address);
    auto valid = [](DWORD value, DWORD allowed) {
        return value == 0 || (std::has_single_bit(value) && (allowed & value));
    };
    if (!valid(state, c.validStates) || !valid(next, c.validNextStates))
        return LINEERR_INVALAGENTSTATE;
    return 0;
}

LONG Agents::checkActivity(DWORD line, DWORD address, DWORD activity) const
{
    if (LONG r = checkAgent(line, address))
        return r;
    return activityName(*configOf(line, address), activity) ? 0 : LINEERR_INVALAGENTACTIVITY;
}

LONG Agents::checkGroups(DWORD line, DWORD address, const std::vector<AgentGroupId> &groups) const
{
    if (LONG r = checkAgent(line, address))
        return r;
    const AgentConfig &c = *configOf(line, address);
    for (const AgentGroupId &id : groups)
        if (!groupOf(c, id))
            return LINEERR_INVALAGENTGROUP;
    return 0;
}

VarStruct Agents::status(DWORD line, DWORD address) const
{
    const AgentConfig &c = *configOf(line, address);
    const AgentState a = stateOf(line, address);
    LINEAGENTSTATUS s{};
    s.dwState = a.state;
    s.dwNextState = a.nextState;
    s.dwActivityID = a.activity;
    s.dwAgentFeatures = kAgentFeatures;
    s.dwValidStates = c.validStates;
    s.dwValidNextStates = c.validNextStates;
    std::vector<const AgentGroup *> in;
    for (const AgentGroupId &id : a.groups)
        if (const AgentGroup *g = groupOf(c, id))
            in.push_back(g);
    s.dwNumEntries = DWORD(in.size());
    VarStruct v = VarStruct::of(s);
    // The group list is the first variable field, so its records start
    // right after the fixed part.
    v.addBytes(offsetof(LINEAGENTSTATUS, dwGroupListSize), groupEntries(in, firstFieldOffset<LINEAGENTSTATUS>()));
    if (const std::u16string *name = activityName(c, a.activity))
        v.addText(offsetof(LINEAGENTSTATUS, dwActivitySize), *name);
    return v;
}

VarStruct Agents::activities(DWORD line, DWORD address) const
{
    const AgentConfig &c = *configOf(line, address);
    LINEAGENTACTIVITYLIST list{};
    list.dwNumEntries = DWORD(c.activities.size());
    VarStruct v = VarStruct::of(list);
    // The entries' names follow the entries; their offsets count from the
    // start of the list, which the entries (its only field) follow directly.
    const DWORD base = (DWORD(sizeof list) + 3) & ~DWORD(3);
    std::vector<uint8_t> bytes(c.activities.size() * sizeof(LINEAGENTACTIVITYENTRY));
    for (size_t i = 0; i < c.activities.size(); ++i) {
        const std::u16string &name = c.activities[i].second;
        LINEAGENTACTIVITYENTRY e{};
        e.dwID = c.activities[i].first;
        e.dwNameSize = DWORD((name.size() + 1) * sizeof(char16_t));
        e.dwNameOffset = base + DWORD(bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + e.dwNameSize, 0);
        std::memcpy(bytes.data() + at, name.data(), name.size() * sizeof(char16_t));
        bytes.resize((bytes.size() + 3) & ~size_t(3));
        std::memcpy(bytes.data() + i * sizeof e, &e, sizeof e);
    }
    v.addBytes(offsetof(LINEAGENTACTIVITYLIST, dwListSize), bytes.data(), bytes.size());
    return v;
}

VarStruct Agents::groupList(DWORD line, DWORD address) const
{
    const AgentConfig &c = *configOf(line, address);
    std::vector<const AgentGroup *> all;
    for (const AgentGroup &g : c.groups)
        all.push_back(&g);
    LINEAGENTGROUPLIST list{};
    list.dwNumEntries = DWORD(all.size());
    VarStruct v = VarStruct::of(list);
    v.addBytes(offsetof(LINEAGENTGROUPLIST, dwListSize), groupEntries(all, firstFieldOffset<LINEAGENTGROUPLIST>()));
    return v;
}

void Agents::setState(DWORD line, DWORD address, DWORD state, DWORD next)
{
    AgentState &a = agents_[{line, address}];
    DWORD changed = 0;
    if (state && state != a.state) {
        a.state = state;
        changed |= LINEAGENTSTATUS_STATE;
    }
    if (next && next != a.nextState) {
        a.nextState = next;
        changed |= LINEAGENTSTATUS_NEXTSTATE;
    }
    if (changed)
        core_.report(Event::agentStatus(line, address, changed));
}

void Agents::setActivity(DWORD line, DWORD address, DWORD activity)
{
    AgentState &a = agents_[{line, address}];
    if (a.activity == activity)
        return;
    a.activity = activity;
    core_.report(Event::agentStatus(line, address, LINEAGENTSTATUS_ACTIVITY));
}

void Agents::setGroups(DWORD line, DWORD address, const std::vector<AgentGroupId> &groups)
{
    const AgentConfig &c = *configOf(line, address);
    // Kept in the address's order without repeats, so the same set asked
    // for in another order is no change.
    std::vector<AgentGroupId> wanted;
    for (const AgentGroup &g : c.groups)
        if (std::find(groups.begin(), groups.end(), g.id) != groups.end())
            wanted.push_back(g.id);
    AgentState &a = agents_[{line, address}];
    if (a.groups == wanted)
        return;
    a.groups = std::move(wanted);
    core_.report(Event::agentStatus(line, address, LINEAGENTSTATUS_GROUP));
}

} // namespace exchange
