// Scripting modal dialogs from a test: each body runs with the next dialog
// whose modal run starts, once it is shown, and plays the user's part.
#pragma once

#include <cstddef>
#include <functional>

namespace win {
class Dialog;
}

namespace win::testing {

/// Queues `body` for the next modal run. Bodies run in the order queued; a body
/// typically clicks, types and ends the dialog. A modal run that starts with no
/// body queued ends at once with IDCANCEL (and a warning), so a test never
/// hangs on a dialog it did not expect.
void OnNextModal(std::function<void(Dialog &)> body);
/// Bodies queued but not yet run.
std::size_t PendingModalBodies();
/// Modal runs that started with no body queued since the last `ClearModalBodies`.
std::size_t UnscriptedModalRuns();
/// Forgets queued bodies and the count of unscripted runs.
void ClearModalBodies();

} // namespace win::testing
