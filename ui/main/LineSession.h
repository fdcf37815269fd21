// The main window's line session: opening and closing lines (with the media
// mode fallback), the lines this window opened and the open-line stepper, the
// caption of the session button, and the line-status check boxes. It knows
// nothing of calls or of the device list; the window hands it the line.
// User-interface thread only.
#pragma once

#include "TapiPlatform.h"

#include <QString>

#include <vector>

class CTapiAddress;
class CTapiLine;

namespace win {
class Dialog;
}

class CLineSession {
public:
    /// Binds the open-line label and the status boxes to the statics of `window`.
    explicit CLineSession(win::Dialog &window);

    /// The lines this window opened, in the order of opening.
    const std::vector<CTapiLine *> &OpenLines() const { return openLines_; }

    /// Opens the line for every media mode it has (or, when it refuses them
    /// together, the first single mode it accepts), asks for every line and
    /// address state message and lists it as open. False after a reported failure.
    bool Open(CTapiLine &line, CTapiAddress *address);
    /// Takes the line off the open list and closes it; a failure is reported.
    void Close(CTapiLine &line);

    /// The session button and the buttons of an open line, and the status boxes
    /// from the line's status (pushed by the window's next UpdateData). False when
    /// the status cannot be read (the boxes are then left as they were).
    bool ShowOpen(CTapiLine &line);
    /// The session button and the buttons of a closed line.
    void ShowClosedControls();
    /// Clears the status boxes' values.
    void ResetStatus();
    /// A click on a status box: asks the line to change that status; on failure
    /// reports it and puts the boxes back.
    void OnStatusClicked(CTapiLine *line);
    /// Reports a line that is out of service or disconnected in the status line.
    void ReportStatus(CTapiLine &line);

    void AppendOpenLine(CTapiLine *line);
    void RemoveOpenLine(CTapiLine *line);
    /// "<n> of <count>" for a listed line, "<count> Open" otherwise.
    void UpdateOpenLineLabel(CTapiLine *line);
    /// The open line one step of the stepper away from the shown one, or null when there is none.
    CTapiLine *Step(int step);

private:
    DWORD OpenWithMediaModes(CTapiLine &line);

    win::Dialog &window_;
    std::vector<CTapiLine *> openLines_;
    int openLinePosition_ = 0;
    QString openLineLabel_ = QStringLiteral("0 Open");
    int msgWaiting_ = 0, locked_ = 0, connected_ = 0, inService_ = 0, badPassword_ = 0;
};
