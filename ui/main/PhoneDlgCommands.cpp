// The call command handlers of the main window.
#include <ui/main/PhoneDlg.h>

void CPhoneDlg::OnMakeCall()
{
    // Places a call from the selected address to the number typed.
}

void CPhoneDlg::OnPickup()
{
    // Picks up a call at the number typed.
}

void CPhoneDlg::OnUnpark()
{
    // Unparks the call parked at the number typed.
}

void CPhoneDlg::OnAccept()
{
    // Accepts the current call.
}

void CPhoneDlg::OnAnswer()
{
    // Answers the current call.
}

void CPhoneDlg::OnHangUp()
{
    // Drops the current call.
}

void CPhoneDlg::OnHold()
{
    // Holds the current call, or takes it off hold.
}

void CPhoneDlg::OnSwap()
{
    // Swaps the current call with its held or active partner.
}

void CPhoneDlg::OnDialDigits()
{
    // Dials or generates digits on the current call.
}

void CPhoneDlg::OnRedirect()
{
    // Redirects the current call to another number.
}

void CPhoneDlg::OnPark()
{
    // Parks the current call, directed or not.
}

void CPhoneDlg::OnComplete()
{
    // Asks for a completion mode and completes the current call.
}

void CPhoneDlg::OnMerge()
{
    // Completes a transfer between the current call and its partner.
}

void CPhoneDlg::OnConference()
{
    // Completes a transfer between the current call and its partner as a conference.
}

void CPhoneDlg::OnAddParty()
{
    // Adds a party to the current conference.
}

void CPhoneDlg::OnDropParty()
{
    // Removes the current call from its conference.
}

void CPhoneDlg::OnAppSpecific()
{
    // Edits the application-specific value of the current call.
}

void CPhoneDlg::OnForward()
{
    // Opens the call forwarding list of the selected line.
}

void CPhoneDlg::OnTransfer()
{
    // Transfers the current call, blind or with a consultation call.
}

void CPhoneDlg::OnSetupConference()
{
    // Sets up a conference from the current call.
}

void CPhoneDlg::OnUserInfo()
{
    // Shows the user-to-user information of the current call.
}

void CPhoneDlg::OnCallData()
{
    // Shows the call data of the current call.
}

void CPhoneDlg::OnQosInfo()
{
    // Shows the quality of service of the current call.
}

void CPhoneDlg::OnIsdnInfo()
{
    // Shows the ISDN information of the current call.
}

void CPhoneDlg::OnConfList()
{
    // Lists the calls of the current conference.
}

void CPhoneDlg::OnFeatures()
{
    // Shows or hides the call features window.
}

void CPhoneDlg::OnAgent()
{
    // Opens the agent state window of the selected address.
}

void CPhoneDlg::OnPhone()
{
    // Opens the phone device window of the selected line.
}
