#include "TapiLists.h"

#include "TapiFields.h"

#include <algorithm>
#include <cstdint>

std::vector<HCALL> TapiCallHandles(const LINECALLLIST *list)
{
    if (!list)
        return {};
    return ReadTapiRecords<HCALL>(list, list->dwCallsOffset, list->dwCallsSize, list->dwCallsNumEntries);
}

std::vector<CTapiForwardEntry> TapiForwardEntries(const LINEADDRESSSTATUS *status)
{
    std::vector<CTapiForwardEntry> entries;
    if (!status)
        return entries;
    for (const LINEFORWARD &record : ReadTapiRecords<LINEFORWARD>(status, status->dwForwardOffset,
                                                                  status->dwForwardSize, status->dwForwardNumEntries)) {
        CTapiForwardEntry entry;
        entry.mode = record.dwForwardMode;
        entry.destination = ReadTapiString(status, record.dwDestAddressOffset, record.dwDestAddressSize);
        entry.caller = ReadTapiString(status, record.dwCallerAddressOffset, record.dwCallerAddressSize);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> TapiCompletionMessages(const LINEADDRESSCAPS *caps)
{
    std::vector<std::string> messages;
    if (!caps)
        return messages;
    const DWORD entrySize = caps->dwCompletionMsgTextEntrySize;
    // The field is count * entry size bytes; a product beyond 32 bits cannot lie in any block.
    const std::uint64_t fieldSize = std::uint64_t{entrySize} * caps->dwNumCompletionMessages;
    if (entrySize == 0 || fieldSize > 0xFFFFFFFFu)
        return messages;
    for (const unsigned char *entry : TapiRecords(caps, caps->dwCompletionMsgTextOffset, DWORD(fieldSize),
                                                  caps->dwNumCompletionMessages, entrySize)) {
        const auto *text = reinterpret_cast<const char *>(entry);
        messages.emplace_back(text, std::find(text, text + entrySize, '\0'));
    }
    return messages;
}

void ReadAgentGroups(const void *structure, DWORD offset, DWORD size, DWORD count,
                     std::vector<CTapiAgentGroupEntry> &groups)
{
    for (const auto &record : ReadTapiRecords<LINEAGENTGROUPENTRY>(structure, offset, size, count)) {
        CTapiAgentGroupEntry entry;
        entry.groupId[0] = record.GroupID.dwGroupID1;
        entry.groupId[1] = record.GroupID.dwGroupID2;
        entry.groupId[2] = record.GroupID.dwGroupID3;
        entry.groupId[3] = record.GroupID.dwGroupID4;
        entry.name = ReadTapiString(structure, record.dwNameOffset, record.dwNameSize);
        groups.push_back(std::move(entry));
    }
}

std::vector<CTapiAgentGroupEntry> TapiAgentGroups(const LINEAGENTGROUPLIST *list)
{
    std::vector<CTapiAgentGroupEntry> groups;
    if (list)
        ReadAgentGroups(list, list->dwListOffset, list->dwListSize, list->dwNumEntries, groups);
    return groups;
}

std::vector<CTapiAgentGroupEntry> TapiAgentStatusGroups(const LINEAGENTSTATUS *status)
{
    std::vector<CTapiAgentGroupEntry> groups;
    if (status)
        ReadAgentGroups(status, status->dwGroupListOffset, status->dwGroupListSize, status->dwNumEntries, groups);
    return groups;
}

std::vector<CTapiAgentActivityEntry> TapiAgentActivities(const LINEAGENTACTIVITYLIST *list)
{
    std::vector<CTapiAgentActivityEntry> activities;
    if (!list)
        return activities;
    for (const auto &record :
         ReadTapiRecords<LINEAGENTACTIVITYENTRY>(list, list->dwListOffset, list->dwListSize, list->dwNumEntries))
        activities.push_back({record.dwID, ReadTapiString(list, record.dwNameOffset, record.dwNameSize)});
    return activities;
}
