// The main window's two longest commands: "&Transfer..." (blind, or after a
// consultation call) and "Con&ference..." (merging calls already there, or
// dialling a new party into a conference). Every failure and every cancel on
// the way drops what the command built, so no consultation or conference call
// is left half set up.
//
// Lifetime: the command holds a reference to every call it works with, so the
// objects outlive the dialogs and waits (which pump messages, during which
// calls go idle and their line lets them go). While the consultation window is
// open, release is deferred as well, so the calls keep their handles and the
// window can keep showing a call that has gone idle.
#include <ui/main/PhoneDlg.h>

#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/dialogs/CompleteTransferDlg.h>
#include <ui/dialogs/SetupConfDlg.h>
#include <ui/dialogs/TransferDlg.h>
#include <ui/main/CommandSteps.h>
#include <ui/main/MakeCallParams.h>
#include <window/Clock.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

namespace {

// How long a new consultation call may take to offer dialling.
constexpr DWORD kDialFeatureWaitMs = 5000;
// The merge sweep waits this long for the call merged last to leave its held
// state, at most kSweepStaleRounds times in all.
constexpr std::uint32_t kSweepPauseMs = 1000;
constexpr int kSweepStaleRounds = 5;

DWORD CallFeatures(CTapiCall &call)
{
    const auto status = call.GetCallStatus();
    return status ? status->dwCallFeatures : 0;
}

// Issues a request on a cancel or failure path: nobody waits for it, and its
// outcome does not matter (the call may be on its way out already).
template <class Issue> void IssueUnwaited(const CTapiCallPtr &call, Issue issue)
{
    if (call)
        static_cast<void>(issue(*call));
}

// Keeps the calls that go idle while the consultation window is open, and
// lets them go when the command is done, on every path.
class DeferredRelease {
public:
    explicit DeferredRelease(CPhoneDlg &window) : window_(window) { window_.BeginDeferredRelease(); }
    ~DeferredRelease() { window_.EndDeferredRelease(); }
    DeferredRelease(const DeferredRelease &) = delete;
    DeferredRelease &operator=(const DeferredRelease &) = delete;

private:
    CPhoneDlg &window_;
};

// Waits for the consultation call to offer dialling and dials `number` on it.
// Any failure is reported; the caller then tears the consultation down.
bool DialConsultation(CTapiCall &consult, const QString &number)
{
    if (!consult.WaitForFeatures(LINECALLFEATURE_DIAL, kDialFeatureWaitMs)) {
        ReportResult("Dial feature unavailable", kTapiNoReply);
        return false;
    }
    const tapi_string digits = ToTapiString(number);
    // The reply comes as soon as the exchange takes the number; a refusal that
    // arrives with it must reach the user rather than leave a silent dial tone.
    return WaitAndReport("lineDial", consult.Dial(digits.c_str(), 0)) == 0;
}

CTapiCallPtr RefOf(CTapiCall *call)
{
    return call ? call->Ref() : nullptr;
}

} // namespace

void CPhoneDlg::OnTransfer()
{
    ClearStatus();
    CTapiCall *current = GetCurrentCall();
    if (!current)
        return;
    const CTapiCallPtr first = current->Ref();
    if (!first || !TakeOwnership({first.get()}))
        return;
    CTapiLine *firstLine = first->GetLine();
    const HCALL firstHandle = first->GetCallHandle();
    CTransferDlg dialog(this, first.get());
    if (dialog.DoModal() != win::IDOK)
        return;
    const tapi_string number = ToTapiString(dialog.GetNumber());
    if (!IsCallAlive(firstLine, first.get(), firstHandle)) {
        ReportResult(dialog.GetConsultation() ? "lineSetupTransfer" : "lineBlindTransfer", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!dialog.GetConsultation()) {
        WaitAndReport("lineBlindTransfer", first->BlindTransfer(number.c_str(), 0));
        return;
    }

    // The consultation call is placed from the selected address (else address 0).
    CMakeCallParams params;
    if (CTapiLine *line = GetSelectedLine()) {
        CTapiAddress *address = GetSelectedAddress();
        if (!address)
            address = line->GetAddress(0);
        if (address && address->GetAddressID() != 0)
            params.SetAddress(address->GetAddressID());
    }
    LPLINECALLPARAMS block = params.Get();
    if (params.HasParameters() && !block) {
        ReportResult("lineSetupTransfer", LINEERR_NOMEM);
        return;
    }
    CTapiCall *created = nullptr;
    if (ReportStoredOutcome("lineSetupTransfer", first->SetupTransfer(&created, block)) != 0)
        return;
    const CTapiCallPtr consult = RefOf(created);
    if (!consult) {
        // TAPI accepted the set-up but its consultation call never reached the line.
        ReportResult("lineSetupTransfer", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!DialConsultation(*consult, dialog.GetNumber())) {
        IssueUnwaited(consult, [](CTapiCall &call) { return call.Drop(); });
        return;
    }

    const DeferredRelease keep(*this);
    CCompleteTransferDlg done(this, first.get(), consult.get(), 0);
    switch (done.DoModal()) {
    case win::IDOK: {
        const DWORD mode = done.GetConference() == 1 ? LINETRANSFERMODE_CONFERENCE : LINETRANSFERMODE_TRANSFER;
        CTapiCall *conference = nullptr;
        ReportStoredOutcome("lineCompleteTransfer", first->CompleteTransfer(consult.get(), &conference, mode));
        break;
    }
    case win::IDCANCEL:
        // "Cancel Consultation": the consultation goes, the first call comes back.
        IssueUnwaited(consult, [](CTapiCall &call) { return call.Drop(); });
        if (CallFeatures(*first) & LINECALLFEATURE_UNHOLD)
            IssueUnwaited(first, [](CTapiCall &call) { return call.Unhold(); });
        break;
    default:
        // "Close Window": both calls stay as they are, for the user to finish by hand.
        break;
    }
}

void CPhoneDlg::OnSetupConference()
{
    ClearStatus();
    CTapiLine *line = GetSelectedLine();
    CTapiCall *current = GetCurrentCall();
    if (!line || !current)
        return;
    const CTapiCallPtr first = current->Ref();
    if (!first)
        return;
    const auto status = first->GetCallStatus();
    const DWORD features = status ? status->dwCallFeatures : 0;
    const DWORD features2 = status ? status->dwCallFeatures2 : 0;
    CTapiAddress *address = first->GetAddress();
    const auto caps = address ? address->GetAddressCaps() : nullptr;
    const bool mergeOffered = (features & LINECALLFEATURE_COMPLETETRANSF) && caps &&
                              (caps->dwTransferModes & LINETRANSFERMODE_CONFERENCE) &&
                              (features2 & LINECALLFEATURE2_TRANSFERCONF);
    CTapiLine *firstLine = first->GetLine();
    const HCALL firstHandle = first->GetCallHandle();
    CSetupConfDlg dialog(this, first.get(), mergeOffered);
    if (dialog.DoModal() != win::IDOK)
        return;
    // The dialog let events in: the line may have been closed or switched meanwhile.
    if (line != GetSelectedLine() || !IsCallAlive(firstLine, first.get(), firstHandle)) {
        ReportResult(dialog.GetMerge() ? "lineCompleteTransfer" : "lineSetupConference", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (dialog.GetMerge())
        MergeIntoConference(*line, first);
    else
        DialIntoConference(first, dialog.GetNumber());
}

void CPhoneDlg::MergeIntoConference(CTapiLine &line, const CTapiCallPtr &first)
{
    CTapiCallPtr held;
    CTapiCallPtr other;
    if (first->GetCallState() & kHeldCallStates) {
        held = first;
        other = RefOf(line.FindCallByState(kActiveCallStates, LINECALLFEATURE_COMPLETETRANSF));
    } else {
        held = RefOf(line.FindCallByState(kHeldCallStates, LINECALLFEATURE_COMPLETETRANSF));
        other = first;
    }
    if (!held || !other) {
        ShowStatus("Unable to locate two calls with lineCompleteTransfer ability");
        return;
    }
    if (!TakeOwnership({held.get(), other.get()}))
        return;
    CTapiCall *created = nullptr;
    if (ReportStoredOutcome("lineCompleteTransfer",
                            held->CompleteTransfer(other.get(), &created, LINETRANSFERMODE_CONFERENCE)) != 0)
        return;
    const CTapiCallPtr conference = RefOf(created);
    if (!conference)
        return;

    // Every other held call joins the conference too. The call merged last may
    // not have left its held state yet: give it a moment, a few times in all.
    // The pause handles no messages, as the window does nothing else meanwhile;
    // the event thread still moves the calls' states on.
    CTapiCallPtr lastMerged = held;
    int staleRounds = 0;
    for (;;) {
        // The line may have been closed by the waits of the rounds before.
        if (!line.IsOpen())
            break;
        const CTapiCallPtr next = RefOf(line.FindCallByState(kHeldCallStates, LINECALLFEATURE_COMPLETETRANSF));
        if (!next)
            break;
        if (next == lastMerged) {
            if (++staleRounds > kSweepStaleRounds)
                break;
            win::Sleep(kSweepPauseMs);
            continue;
        }
        WaitAndReport("lineAddToConference", conference->AddToConference(next.get()));
        lastMerged = next;
    }
}

void CPhoneDlg::DialIntoConference(const CTapiCallPtr &first, const QString &number)
{
    if (!TakeOwnership({first.get()}))
        return;
    CTapiCall *createdConference = nullptr;
    CTapiCall *createdConsult = nullptr;
    const DWORD setup = first->SetupConference(&createdConference, &createdConsult, 3, nullptr);
    if (ReportStoredOutcome("lineSetupConference", setup) != 0)
        return;
    const CTapiCallPtr conference = RefOf(createdConference);
    const CTapiCallPtr consult = RefOf(createdConsult);
    // Tears down what the set-up built, first the consultation, then the
    // conference (taking the first call out of it first so it survives).
    auto tearDown = [&] {
        IssueUnwaited(consult, [](CTapiCall &call) { return call.Drop(); });
        IssueUnwaited(first, [](CTapiCall &call) { return call.RemoveFromConference(); });
        IssueUnwaited(conference, [](CTapiCall &call) { return call.Drop(); });
    };
    if (!consult) {
        ReportResult("lineSetupConference", LINEERR_INVALCALLHANDLE);
        IssueUnwaited(conference, [](CTapiCall &call) { return call.Drop(); });
        return;
    }
    if (!DialConsultation(*consult, number)) {
        IssueUnwaited(consult, [](CTapiCall &call) { return call.Drop(); });
        IssueUnwaited(conference, [](CTapiCall &call) { return call.Drop(); });
        return;
    }

    const DeferredRelease keep(*this);
    CCompleteTransferDlg done(this, first.get(), consult.get(), 1);
    if (done.DoModal() == win::IDOK && conference) {
        WaitAndReport("lineAddToConference", conference->AddToConference(consult.get()));
        return;
    }
    // "Cancel Consultation" and "Close Window" alike: a conference is not left half built.
    tearDown();
}
