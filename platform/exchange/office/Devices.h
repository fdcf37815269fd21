// Reads the line and phone devices of an office file: a preset first, then
// the fields the file gives on top of it. Names that point from one device
// to another are returned as they are; the loader resolves them once every
// device is read.
#ifndef DIALWERK_EXCHANGE_OFFICE_DEVICES_H
#define DIALWERK_EXCHANGE_OFFICE_DEVICES_H

#include "exchange/Topology.h"
#include "exchange/office/Node.h"

#include <optional>

namespace exchange::office {

struct ReadLine {
    LineConfig config;
    std::optional<Node> phone; // the phone it names, if any
};

struct ReadPhone {
    PhoneConfig config;
    std::optional<Node> line; // the line it names, if any
};

ReadLine ReadLineDevice(const Node &line);
ReadPhone ReadPhoneDevice(const Node &phone);

} // namespace exchange::office

#endif
