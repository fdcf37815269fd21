#include "exchange/features/Isdn.h"

#include "exchange/core/Connection.h"
#include "exchange/core/Line.h"

#include <string>

namespace exchange {

namespace {

constexpr DWORD kCompatibility = LINECALLINFOSTATE_LOWLEVELCOMP | LINECALLINFOSTATE_HIGHLEVELCOMP;
constexpr int64_t kUnitMs = 60000;

} // namespace

const std::vector<uint8_t> &Isdn::lowLevelCompatibility()
{
    static const std::vector<uint8_t> element{0x7C, 0x03, 0x80, 0x90, 0xA3};
    return element;
}

const std::vector<uint8_t> &Isdn::highLevelCompatibility()
{
    static const std::vector<uint8_t> element{0x7D, 0x02, 0x91, 0x81};
    return element;
}

std::vector<uint8_t> Isdn::chargingInfo(DWORD units, bool final)
{
    const std::string text = std::string(final ? "AOC-E " : "AOC-D ") + std::to_string(units) + " units";
    return {text.begin(), text.end()};
}

bool Isdn::carries(const Leg &leg) const
{
    const Line *line = core_.line(leg.line());
    if (!line || !line->config().isdn)
        return false;
    const Connection *c = core_.connection(leg.connection());
    return c && c->external.has_value();
}

void Isdn::offered(LegId id, bool internal)
{
    Leg *leg = core_.leg(id);
    if (internal || !leg || !carries(*leg))
        return;
    leg->changeInfo(kCompatibility, core_.out(), [](CallInfoData &info) {
        info.lowLevelComp = lowLevelCompatibility();
        info.highLevelComp = highLevelCompatibility();
    });
}

void Isdn::stateChanged(Leg &leg, DWORD before)
{
    if (leg.info().origin != LINECALLORIGIN_OUTBOUND || !carries(leg))
        return;
    if (leg.state() == LINECALLSTATE_CONNECTED && !answeredAt_.contains(leg.id()) &&
        (before & (LINECALLSTATE_RINGBACK | LINECALLSTATE_PROCEEDING | LINECALLSTATE_DIALING))) {
        answeredAt_[leg.id()] = core_.clock().now();
        leg.changeInfo(kCompatibility | LINECALLINFOSTATE_CHARGINGINFO, core_.out(), [](CallInfoData &info) {
            info.lowLevelComp = lowLevelCompatibility();
            info.highLevelComp = highLevelCompatibility();
            info.chargingInfo = chargingInfo(1, false);
        });
        return;
    }
    const auto answered = answeredAt_.find(leg.id());
    if (leg.state() == LINECALLSTATE_DISCONNECTED && answered != answeredAt_.end()) {
        const int64_t elapsed = (core_.clock().now() - answered->second).count();
        const auto units = static_cast<DWORD>(elapsed / kUnitMs + 1);
        answeredAt_.erase(answered);
        leg.changeInfo(LINECALLINFOSTATE_CHARGINGINFO, core_.out(),
                       [units](CallInfoData &info) { info.chargingInfo = chargingInfo(units, true); });
    }
}

void Isdn::forgetting(LegId id)
{
    answeredAt_.erase(id);
}

} // namespace exchange
