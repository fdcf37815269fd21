// The main window's display of one call: the texts of the "Calls" group bound
// to their statics, the rule that enables each call command from the call's
// features, the buttons that depend on the call's data, and the feature list
// handed to the call features window. It knows neither the call list nor the
// line; it shows the call it is given. User-interface thread only.
#pragma once

#include "TapiPlatform.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class CTapiCall;

namespace win {
class Dialog;
}

class CCallDisplay {
public:
    /// Binds the texts to the statics of `window`, which outlives the display.
    explicit CCallDisplay(win::Dialog &window);

    /// Shows `call` as entry `index` of `count`. Without call information or
    /// status the commands stay disabled and the texts are not pushed.
    void Show(CTapiCall &call, int index, int count);
    /// Shows no call: "0 of 0", the time "00:00:00", every call button disabled;
    /// the texts are pushed (the fields of the last call shown are kept on screen
    /// only when a call is shown without its structures).
    void ShowNone();
    /// Empties the display and disables every call button, "Features" too, and
    /// moves the focus to "Phone #:" (or the device list when it is disabled).
    void Clear();
    /// The time in state of `call` (or "00:00:00" without its status), pushed to its static.
    void ShowTime(CTapiCall &call);

    /// The button rule: enables each call command whose features are present
    /// (all zero disables them all) and sets the Hold caption.
    void UpdateCallButtons(DWORD features, DWORD features2, DWORD transferModes);
    /// Re-reads the call's information and status and re-evaluates the data-dependent buttons.
    void UpdateDetailButtons(CTapiCall *call);

    const tapi_string &GetFeaturesText() const { return featuresText_; }
    void AttachFeaturesWindow(win::Dialog *window, std::function<void(const tapi_string &)> setText);
    win::Dialog *GetFeaturesWindow() const { return featuresWindow_.data(); }
    /// Destroys the call features window, if any.
    void DestroyFeaturesWindow();

private:
    struct Texts {
        QString position, state, features, type, direction, media, trunkId, callId, relatedCallId, appSpecific,
            addressId, callerNumber, callerName, calledNumber, calledName, connectedNumber, connectedName,
            redirectingNumber, redirectingName, redirectionNumber, redirectionName, time;
    };

    void Reset();
    /// Shows the texts in their controls.
    void Push();
    void ShowDetailButtons(const LINECALLINFO *info, DWORD features);
    void SetFeaturesText(tapi_string text);

    win::Dialog &window_;
    Texts texts_;
    std::vector<std::pair<int, QString *>> fields_; // control and text, for Push
    tapi_string featuresText_;
    QPointer<win::Dialog> featuresWindow_;
    std::function<void(const tapi_string &)> featuresSink_;
};
