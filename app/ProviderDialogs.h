// The configuration dialogs that TAPI asks the provider for
// (lineConfigDialogW, phoneConfigDialogW). The simulated exchange has no
// settings to change, so its dialog tells the user which device was asked
// about and that there is nothing to set.
#pragma once

/// Installs the handler with the TAPI runtime. User-interface thread.
void InstallProviderDialogs();
