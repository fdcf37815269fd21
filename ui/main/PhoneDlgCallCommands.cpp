// The main window's commands on the current call: accept, answer, hang up,
// hold, swap, digits, redirect, park, merge, conference and its parties.
// Each clears the status line, makes the program owner of every call the
// request touches, issues the request, waits for its reply (pumping messages,
// so events keep arriving) and reports a failure under the TAPI function's name.
#include <ui/main/PhoneDlg.h>

#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/main/CommandSteps.h>
#include <ui/main/DialDlg.h>

#include "CTapiCall.h"
#include "CTapiLine.h"

#include <algorithm>
#include <array>

namespace {

// Bytes of the text buffer that receives the place of a non-directed park.
constexpr DWORD kParkBufferBytes = 255;

// Runs one request on one call: the owner step, the request, its wait and report.
template <class Issue> void RunOnCall(CTapiCall *call, const char *operation, Issue issue)
{
    if (!call || !TakeOwnership({call}))
        return;
    WaitAndReport(operation, issue(*call));
}

// The held and the other call of a two-call command, or nulls when one is missing.
struct CallPair {
    CTapiCall *held = nullptr;
    CTapiCall *other = nullptr;
};

// The current call and its partner on the line: a held current call pairs with
// the first call in one of `partnerStates`, any other current call with the
// first held call; the partner must offer `feature`.
CallPair FindPartner(CTapiLine &line, CTapiCall &current, DWORD partnerStates, DWORD feature)
{
    if (current.GetCallState() & kHeldCallStates)
        return {&current, line.FindCallByState(partnerStates, feature)};
    return {line.FindCallByState(kHeldCallStates, feature), &current};
}

DWORD CallFeatures(CTapiCall &call)
{
    const auto status = call.GetCallStatus();
    return status ? status->dwCallFeatures : 0;
}

} // namespace

void CPhoneDlg::OnAccept()
{
    ClearStatus();
    RunOnCall(GetCurrentCall(), "lineAccept", [](CTapiCall &call) { return call.Accept(); });
}

void CPhoneDlg::OnAnswer()
{
    ClearStatus();
    RunOnCall(GetCurrentCall(), "lineAnswer", [](CTapiCall &call) { return call.Answer(); });
}

void CPhoneDlg::OnHangUp()
{
    ClearStatus();
    RunOnCall(GetCurrentCall(), "lineDrop", [](CTapiCall &call) { return call.Drop(); });
}

void CPhoneDlg::OnDropParty()
{
    ClearStatus();
    RunOnCall(GetCurrentCall(), "lineRemoveFromConference",
              [](CTapiCall &call) { return call.RemoveFromConference(); });
}

void CPhoneDlg::OnHold()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    if (!call || !TakeOwnership({call}))
        return;
    // The one button holds a call that can be held and otherwise takes it off hold.
    if (CallFeatures(*call) & LINECALLFEATURE_HOLD)
        WaitAndReport("lineHold", call->Hold());
    else
        WaitAndReport("lineUnhold", call->Unhold());
}

void CPhoneDlg::OnSwap()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    CTapiLine *line = GetSelectedLine();
    if (!call || !line)
        return;
    const CallPair pair = FindPartner(*line, *call, kActiveCallStates, LINECALLFEATURE_SWAPHOLD);
    if (!pair.held || !pair.other) {
        ShowStatus("Unable to locate two calls with lineSwapHold ability.");
        return;
    }
    if (!TakeOwnership({pair.held, pair.other}))
        return;
    WaitAndReport("lineSwapHold", line->SwapHold(pair.other, pair.held));
}

void CPhoneDlg::OnMerge()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    CTapiLine *line = GetSelectedLine();
    if (!call || !line)
        return;
    const CallPair pair = FindPartner(*line, *call, kActiveCallStates, LINECALLFEATURE_COMPLETETRANSF);
    if (!pair.held || !pair.other) {
        ShowStatus("Unable to locate two calls with lineCompleteTransfer ability");
        return;
    }
    if (!TakeOwnership({pair.held, pair.other}))
        return;
    ReportStoredOutcome("lineCompleteTransfer",
                        pair.held->CompleteTransfer(pair.other, nullptr, LINETRANSFERMODE_TRANSFER));
}

void CPhoneDlg::OnConference()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    CTapiLine *line = GetSelectedLine();
    if (!call || !line)
        return;
    // Only a connected call joins a held one; a call in any other state has no partner.
    CallPair pair;
    if ((call->GetCallState() & kHeldCallStates) || call->GetCallState() == LINECALLSTATE_CONNECTED)
        pair = FindPartner(*line, *call, LINECALLSTATE_CONNECTED, LINECALLFEATURE_COMPLETETRANSF);
    if (!pair.held || !pair.other) {
        ShowStatus("Unable to locate two calls with lineCompleteTransfer ability");
        return;
    }
    if (!TakeOwnership({pair.held, pair.other}))
        return;
    // The conference call TAPI creates is attached to the line and listed through its new-call message.
    CTapiCall *conference = nullptr;
    ReportStoredOutcome("lineCompleteTransfer",
                        pair.held->CompleteTransfer(pair.other, &conference, LINETRANSFERMODE_CONFERENCE));
}

void CPhoneDlg::OnAddParty()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    CTapiLine *line = GetSelectedLine();
    if (!call || !line)
        return;
    const auto info = call->GetCallInfo();
    const bool isConference = info && info->dwOrigin == LINECALLORIGIN_CONFERENCE;
    if (isConference && call->GetCallState() == LINECALLSTATE_CONNECTED &&
        (CallFeatures(*call) & LINECALLFEATURE_PREPAREADDCONF)) {
        if (!TakeOwnership({call}))
            return;
        CTapiCall *consultation = nullptr;
        ReportStoredOutcome("linePrepareAddToConference", call->PrepareAddToConference(&consultation, nullptr));
        return;
    }
    CTapiCall *conference = call;
    CTapiCall *party = nullptr;
    if (isConference) {
        party = line->FindCallByState(kActiveCallStates, LINECALLFEATURE_ADDTOCONF);
    } else {
        party = call;
        conference = line->FindCallByState(kHeldCallStates, LINECALLFEATURE_ADDTOCONF);
        if (!conference)
            conference = line->FindCallByState(LINECALLSTATE_ONHOLDPENDCONF, 0);
    }
    if (!conference || !party) {
        ShowStatus("Unable to locate two calls with lineAddToConference ability");
        return;
    }
    if (!TakeOwnership({conference, party}))
        return;
    WaitAndReport("lineAddToConference", conference->AddToConference(party));
}

void CPhoneDlg::OnDialDigits()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    CTapiLine *line = GetSelectedLine();
    if (!call || !line)
        return;
    CTapiLine *callLine = call->GetLine();
    const HCALL handle = call->GetCallHandle();
    CDialDlg dialog(this, line, LINECALLFEATURE_DIAL);
    if (dialog.DoModal() != win::IDOK)
        return;
    if (!IsCallAlive(callLine, call, handle)) {
        ReportResult("lineDial", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!TakeOwnership({call}))
        return;
    // A call that can dial gets the number dialled, any other hears it as tones. A
    // failure is reported under the function that was called.
    const tapi_string number = ToTapiString(dialog.GetNumber());
    if (CallFeatures(*call) & LINECALLFEATURE_DIAL)
        WaitAndReport("lineDial", call->Dial(number.c_str(), 0));
    else
        WaitAndReport("lineGenerateDigits", call->GenerateDigits(LINEDIGITMODE_DTMF, number.c_str(), 0));
}

void CPhoneDlg::OnRedirect()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    CTapiLine *line = GetSelectedLine();
    if (!call || !line)
        return;
    CTapiLine *callLine = call->GetLine();
    const HCALL handle = call->GetCallHandle();
    CDialDlg dialog(this, line, LINECALLFEATURE_REDIRECT);
    if (dialog.DoModal() != win::IDOK)
        return;
    if (!IsCallAlive(callLine, call, handle)) {
        ReportResult("lineRedirect", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!TakeOwnership({call}))
        return;
    const tapi_string number = ToTapiString(dialog.GetNumber());
    WaitAndReport("lineRedirect", call->Redirect(number.c_str(), 0));
}

void CPhoneDlg::OnPark()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    if (!call)
        return;
    CTapiLine *callLine = call->GetLine();
    const HCALL handle = call->GetCallHandle();
    CDialDlg dialog(this, callLine, LINECALLFEATURE_PARK);
    if (dialog.DoModal() != win::IDOK)
        return;
    if (!IsCallAlive(callLine, call, handle)) {
        ReportResult("linePark", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!TakeOwnership({call}))
        return;
    // An empty number leaves the choice of the park place to the switch, which tells it.
    const tapi_string number = ToTapiString(dialog.GetNumber());
    const bool directed = !number.empty();
    // The park place comes back in a buffer of kParkBufferBytes; one more unit
    // keeps the text terminated whatever the switch writes.
    std::array<WCHAR, kParkBufferBytes / sizeof(WCHAR) + 1> parkedAt{};
    const DWORD result = call->Park(directed ? LINEPARKMODE_DIRECTED : LINEPARKMODE_NONDIRECTED,
                                    directed ? number.c_str() : nullptr, parkedAt.data(), kParkBufferBytes);
    if (ReportStoredOutcome("linePark", result) != 0)
        return;
    const auto whole = parkedAt.begin() + kParkBufferBytes / sizeof(WCHAR);
    const tapi_string place(parkedAt.begin(), std::find(parkedAt.begin(), whole, WCHAR{0}));
    if (!place.empty())
        ShowStatus(QStringLiteral("Call Parked at ") + ToQString(place));
}
