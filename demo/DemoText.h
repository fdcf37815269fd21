// Texts for the demo's output: message and call state names, UTF-16 to
// terminal text.
#ifndef DIALWERK_DEMO_DEMOTEXT_H
#define DIALWERK_DEMO_DEMOTEXT_H

#include <tapi.h>

#include <string>

namespace demo {

std::string messageName(DWORD message);
std::string callStateName(DWORD state);
/// The zero-terminated UTF-16 string at `offset` of a structure of
/// `usedSize` bytes, or "" when it lies outside.
std::string textAt(const void *structure, DWORD usedSize, DWORD offset, DWORD size);

} // namespace demo

#endif
