// Finding SIPp and knowing when it listens, for the tests that play the
// far end with it on 127.0.0.1.
#ifndef DIALWERK_TESTS_SIP_SIPPLOCATOR_H
#define DIALWERK_TESTS_SIP_SIPPLOCATOR_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace siptest {

/// The sipp program on PATH, or empty when it is not installed.
inline std::string sippPath()
{
    const char *path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && access((dir + "/sipp").c_str(), X_OK) == 0)
            return dir + "/sipp";
    return {};
}

/// True when something listens on UDP 127.0.0.1:`port` (read from /proc,
/// so the check never takes the port itself).
inline bool udpBound(uint16_t port)
{
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::ifstream table("/proc/net/udp");
    for (std::string line; std::getline(table, line);)
        if (line.find(local) != std::string::npos)
            return true;
    return false;
}

} // namespace siptest

#endif
