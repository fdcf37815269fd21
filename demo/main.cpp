// Dialwerk console demo: prints the simulated exchange's line and phone
// devices, then places one call from extension 201 to 202 with two
// applications, printing every message each side receives, answers it,
// hangs up and exits 0 (1 when anything goes wrong).
#include "DemoText.h"

#include <tapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using demo::callStateName;
using demo::messageName;
using demo::textAt;

namespace {

constexpr DWORD kVersion = 0x00030000;

HLINEAPP initLine(const char16_t *name, DWORD &devices)
{
    HLINEAPP app = 0;
    DWORD version = kVersion;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    const LONG r = lineInitializeExW(&app, nullptr, nullptr, name, &devices, &version, &params);
    return r == 0 ? app : 0;
}

/// Fetches a variable-size structure, growing the buffer to dwNeededSize.
template <class Fetch> std::vector<uint8_t> fetchStruct(DWORD size, Fetch fetch)
{
    std::vector<uint8_t> buffer;
    for (int attempt = 0; attempt < 4; ++attempt) {
        buffer.assign(size, 0);
        std::memcpy(buffer.data(), &size, sizeof size);
        if (fetch(buffer.data()) != 0)
            return {};
        DWORD needed = 0;
        std::memcpy(&needed, buffer.data() + 4, sizeof needed);
        if (needed <= size)
            return buffer;
        size = needed;
    }
    return {};
}

void listDevices(HLINEAPP app, DWORD lines)
{
    for (DWORD id = 0; id < lines; ++id) {
        DWORD version = 0;
        LINEEXTENSIONID ext{};
        if (lineNegotiateAPIVersion(app, id, 0x00010003, kVersion, &version, &ext) != 0)
            continue;
        auto caps = fetchStruct(sizeof(LINEDEVCAPS), [&](void *b) {
            return lineGetDevCapsW(app, id, version, 0, static_cast<LPLINEDEVCAPS>(b));
        });
        if (caps.empty())
            continue;
        const auto *dc = reinterpret_cast<const LINEDEVCAPS *>(caps.data());
        std::printf("line %u: %s\n", id, textAt(dc, dc->dwUsedSize, dc->dwLineNameOffset, dc->dwLineNameSize).c_str());
        for (DWORD a = 0; a < dc->dwNumAddresses; ++a) {
            auto acaps = fetchStruct(sizeof(LINEADDRESSCAPS), [&](void *b) {
                return lineGetAddressCapsW(app, id, a, version, 0, static_cast<LPLINEADDRESSCAPS>(b));
            });
            if (acaps.empty())
                continue;
            const auto *ac = reinterpret_cast<const LINEADDRESSCAPS *>(acaps.data());
            std::printf("  address %u: number %s\n", a,
                        textAt(ac, ac->dwUsedSize, ac->dwAddressOffset, ac->dwAddressSize).c_str());
        }
    }
}

void listPhones()
{
    HPHONEAPP app = 0;
    DWORD phones = 0, version = kVersion;
    PHONEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = PHONEINITIALIZEEXOPTION_USEEVENT;
    if (phoneInitializeExW(&app, nullptr, nullptr, u"Dialwerk demo", &phones, &version, &params) != 0)
        return;
    for (DWORD id = 0; id < phones; ++id) {
        DWORD v = 0;
        PHONEEXTENSIONID ext{};
        if (phoneNegotiateAPIVersion(app, id, 0x00010003, kVersion, &v, &ext) != 0)
            continue;
        auto caps = fetchStruct(sizeof(PHONECAPS),
                                [&](void *b) { return phoneGetDevCapsW(app, id, v, 0, static_cast<LPPHONECAPS>(b)); });
        if (caps.empty())
            continue;
        const auto *pc = reinterpret_cast<const PHONECAPS *>(caps.data());
        std::printf("phone %u: %s (%u buttons, display %u x %u)\n", id,
                    textAt(pc, pc->dwUsedSize, pc->dwPhoneNameOffset, pc->dwPhoneNameSize).c_str(),
                    pc->dwNumButtonLamps, pc->dwDisplayNumColumns, pc->dwDisplayNumRows);
    }
    phoneShutdown(app);
}

void print(const char *who, const LINEMESSAGE &m)
{
    std::printf("%-7s %-18s hDevice=0x%x", who, messageName(m.dwMessageID).c_str(), m.hDevice);
    if (m.dwMessageID == LINE_CALLSTATE)
        std::printf(" %s mode=0x%llx", callStateName(DWORD(m.dwParam1)).c_str(), (unsigned long long)m.dwParam2);
    else
        std::printf(" p1=0x%llx p2=0x%llx p3=0x%llx", (unsigned long long)m.dwParam1, (unsigned long long)m.dwParam2,
                    (unsigned long long)m.dwParam3);
    std::printf("\n");
}

struct Side {
    const char *name;
    HLINEAPP app = 0;
    HLINE line = 0;
    HCALL call = 0;
    DWORD state = 0;
};

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    DWORD lines = 0;
    Side caller{"201"}, callee{"202"};
    caller.app = initLine(u"Dialwerk demo caller", lines);
    callee.app = initLine(u"Dialwerk demo callee", lines);
    if (!caller.app || !callee.app || lines < 2) {
        std::printf("There are no TAPI devices installed!\n");
        return 1;
    }
    std::printf("== devices of the simulated exchange\n");
    listDevices(caller.app, lines);
    listPhones();

    constexpr DWORD owner = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR;
    if (lineOpenW(caller.app, 0, &caller.line, kVersion, 0, 1, owner, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr) ||
        lineOpenW(callee.app, 1, &callee.line, kVersion, 0, 2, owner, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr)) {
        std::printf("lineOpen failed\n");
        return 1;
    }
    std::printf("== call from 201 to 202\n");
    const LONG request = lineMakeCallW(caller.line, &caller.call, u"202", 0, nullptr);
    if (request <= 0) {
        std::printf("lineMakeCall failed: 0x%x\n", unsigned(request));
        return 1;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool droppedByCaller = false;
    while (!(caller.state == LINECALLSTATE_IDLE && callee.state == LINECALLSTATE_IDLE)) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::printf("the call did not complete in time\n");
            return 1;
        }
        for (Side *side : {&caller, &callee}) {
            LINEMESSAGE m{};
            if (lineGetMessage(side->app, &m, 50) != 0)
                continue;
            print(side->name, m);
            if (m.dwMessageID == LINE_APPNEWCALL)
                side->call = HCALL(m.dwParam2);
            if (m.dwMessageID == LINE_REPLY && m.dwParam2 != 0) {
                std::printf("request failed: 0x%llx\n", (unsigned long long)m.dwParam2);
                return 1;
            }
            if (m.dwMessageID != LINE_CALLSTATE || m.hDevice != side->call)
                continue;
            side->state = DWORD(m.dwParam1);
            if (side == &callee && side->state == LINECALLSTATE_OFFERING)
                lineAnswer(side->call, nullptr, 0);
            if (side == &caller && side->state == LINECALLSTATE_CONNECTED && !droppedByCaller) {
                droppedByCaller = true;
                lineDrop(side->call, nullptr, 0);
            }
            if (side == &callee && side->state == LINECALLSTATE_DISCONNECTED)
                lineDrop(side->call, nullptr, 0);
        }
    }
    lineDeallocateCall(caller.call);
    lineDeallocateCall(callee.call);
    lineShutdown(caller.app);
    lineShutdown(callee.app);
    std::printf("== call completed\n");
    return 0;
}
