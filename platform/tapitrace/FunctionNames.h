// Names of TAPI's published functions, as an application calls them: the
// names a fault is armed by.
#ifndef DIALWERK_TAPITRACE_FUNCTIONNAMES_H
#define DIALWERK_TAPITRACE_FUNCTIONNAMES_H

#include <string>
#include <vector>

namespace tapitrace {

/// The functions an application can call, sorted: each wide ("W") variant
/// and each function without variants; the ANSI variants and the names that
/// only stand for a variant are left out.
std::vector<std::string> CallableFunctionNames();

} // namespace tapitrace

#endif
