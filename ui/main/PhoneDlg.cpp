#include <ui/main/PhoneDlg.h>

#include <ui/dialogs/AboutDlg.h>
#include <ui/main/AppIcon.h>
#include <ui/main/CallDisplay.h>
#include <ui/main/CallList.h>
#include <ui/main/LineSession.h>
#include <ui/workbench/ExchangeConsole.h>
#include <ui/workbench/TraceWindow.h>

#include <app/CMainApp.h>
#include <app/ResultReporting.h>
#include <resources/resource.h>
#include <window/Clock.h>
#include <window/Fonts.h>
#include <window/Shell.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiConnection.h"

namespace {

constexpr int kTimerId = 100;
constexpr std::uint32_t kTimerPeriodMs = 1000;
// A report stays in the status line this long after it was written.
constexpr std::uint32_t kReportLifetimeMs = 10000;

} // namespace

CPhoneDlg::CPhoneDlg(const QString &preferredLine, QWidget *parent) : win::Dialog(parent), preferredLine_(preferredLine)
{
    CreateControls();
    LayOutControls();
    BindFields();
    BindHandlers();
    BindEventMessages();
    setWindowTitle(QStringLiteral("Teldrix TAPI Dialwerk Extended"));
}

CPhoneDlg::~CPhoneDlg() = default;

void CPhoneDlg::BindFields()
{
    session_ = std::make_unique<CLineSession>(*this);
    BindText(IDC_MAXCALLS, maxCalls_);
    BindText(IDC_NUMBER, number_);
    display_ = std::make_unique<CCallDisplay>(*this);
    callList_ = std::make_unique<CCallList>([this](CTapiCall &call) { DeallocateCall(call); });
}

void CPhoneDlg::BindHandlers()
{
    OnNotify(IDC_DEVICE, win::Notify::SelChange, [this] { OnDeviceChange(); });
    OnNotify(IDC_ADDRESS, win::Notify::SelChange, [this] { OnAddressChange(); });
    OnNotify(IDC_NUMBER, win::Notify::TextChange, [this] { OnAddressChange(); });
    OnNotify(IDC_LINE_SPIN, win::Notify::Scroll, [this](int step) { OnLineSpin(step); });
    OnNotify(IDC_CALL_SPIN, win::Notify::Scroll, [this](int step) { OnCallSpin(step); });
    OnClicked(IDC_SESSION, [this] { OnSession(); });
    OnClicked(IDC_CONFIGURE, [this] { OnConfigure(); });
    for (int id : {IDC_MWI, IDC_LCK, IDC_CON, IDC_SVC})
        OnClicked(id, [this] { session_->OnStatusClicked(GetSelectedLine()); });

    const std::pair<int, void (CPhoneDlg::*)()> commands[] = {
        {IDC_MAKECALL, &CPhoneDlg::OnMakeCall},
        {IDC_PICKUP, &CPhoneDlg::OnPickup},
        {IDC_UNPARK, &CPhoneDlg::OnUnpark},
        {IDC_ACCEPT, &CPhoneDlg::OnAccept},
        {IDC_ANSWER, &CPhoneDlg::OnAnswer},
        {IDC_HANGUP, &CPhoneDlg::OnHangUp},
        {IDC_HOLD, &CPhoneDlg::OnHold},
        {IDC_SWAP, &CPhoneDlg::OnSwap},
        {IDC_DIALDIGITS, &CPhoneDlg::OnDialDigits},
        {IDC_REDIRECT, &CPhoneDlg::OnRedirect},
        {IDC_PARK, &CPhoneDlg::OnPark},
        {IDC_COMPLETE, &CPhoneDlg::OnComplete},
        {IDC_MERGE, &CPhoneDlg::OnMerge},
        {IDC_CONFERENCE, &CPhoneDlg::OnConference},
        {IDC_ADDPARTY, &CPhoneDlg::OnAddParty},
        {IDC_DROPPARTY, &CPhoneDlg::OnDropParty},
        {IDC_APPSPECIFIC, &CPhoneDlg::OnAppSpecific},
        {IDC_FORWARD, &CPhoneDlg::OnForward},
        {IDC_TRANSFER, &CPhoneDlg::OnTransfer},
        {IDC_SETUPCONF, &CPhoneDlg::OnSetupConference},
        {IDC_USERINFO, &CPhoneDlg::OnUserInfo},
        {IDC_CALLDATA, &CPhoneDlg::OnCallData},
        {IDC_QOSINFO, &CPhoneDlg::OnQosInfo},
        {IDC_ISDNINFO, &CPhoneDlg::OnIsdnInfo},
        {IDC_CONFLIST, &CPhoneDlg::OnConfList},
        {IDC_FEATURES, &CPhoneDlg::OnFeatures},
        {IDC_AGENT, &CPhoneDlg::OnAgent},
        {IDC_PHONE, &CPhoneDlg::OnPhone},
    };
    for (const auto &[id, handler] : commands)
        OnClicked(id, [this, handler] { (this->*handler)(); });
}

void CPhoneDlg::OnInitDialog()
{
    // The event bridge can reach the window from now on.
    GetMainApp().SetMainWindowHandle(GetSafeHwnd());
    setWindowTitle(windowTitle() + QStringLiteral(" - unicode") + QStringLiteral(" - X64"));

    stockFont_ = win::GetStockFont(win::StockFont::AnsiVariable);
    // The window's texts are plain Latin: laid out without a shaping pass, each of
    // the many repaints a call event causes costs a fraction.
    stockFont_.setStyleStrategy(QFont::PreferNoShaping);
    boldFont_ = win::BoldFont(stockFont_);
    // A little smaller, so that the bold text fits where the plain text did.
    if (boldFont_.pixelSize() > 0)
        boldFont_.setPixelSize(boldFont_.pixelSize() - 1);
    else if (boldFont_.pointSizeF() > 1.0)
        boldFont_.setPointSizeF(boldFont_.pointSizeF() - 0.75);
    SetChildFont(stockFont_);

    win::Dialog::OnInitDialog();

    AppendSystemMenuSeparator();
    AppendSystemMenu(IDM_ABOUTBOX, QStringLiteral("&About Dialwerk..."));
    AppendSystemMenu(IDM_TRACE, QStringLiteral("TAPI &Trace..."));
    AppendSystemMenu(IDM_CONSOLE, QStringLiteral("Exchange &Console..."));
    setWindowIcon(AppIcon());
    SetRange(IDC_LINE_SPIN, 0, 0);
    FillDeviceList();
    SetTimer(kTimerId, kTimerPeriodMs);
}

void CPhoneDlg::OnSysCommand(int commandId)
{
    // Commands 16 to 31 all mean the about box.
    if ((commandId & 0xFFF0) == IDM_ABOUTBOX)
        ShowAboutBox();
    else if (commandId == IDM_TRACE)
        ShowTraceWindow();
    else if (commandId == IDM_CONSOLE)
        ShowExchangeConsole();
}

void CPhoneDlg::ShowAboutBox()
{
    CAboutDlg about(this);
    about.DoModal();
}

void CPhoneDlg::OnTimer(int)
{
    if (CTapiCall *call = GetCurrentCall())
        display_->ShowTime(*call);
    // The agent question of the selected address may have been answered since.
    if (CTapiAddress *address = agentAnswerPending_; address && address == GetSelectedAddress())
        UpdateAgentButton(address, address->GetAddressStatus() != nullptr);
    if (win::GetTickCount() - GetLastReportTick() > kReportLifetimeMs)
        ClearStatus();
}

void CPhoneDlg::OnKeyMessage(bool, int)
{
    const bool ctrlDown = win::IsCtrlKeyDown();
    if (ctrlDown == ctrlDown_)
        return;
    ctrlDown_ = ctrlDown;
    UpdateMakeCallButtons(0);
}

void CPhoneDlg::OnClose()
{
    CTapiConnection *session = GetTapiConnection();
    if (const DWORD pending = session->GetPendingRequestCount(); pending > 0) {
        const QString question = QString::asprintf("There are %d pending TAPI requests which have not "
                                                   "completed.\r\nDo you want to wait for these to complete?",
                                                   static_cast<int>(pending));
        if (win::MessageBox(this, question, {}, win::MB_YESNO | win::MB_ICONQUESTION) == win::IDNO)
            session->CancelAllRequests();
    }
    EndDialog(win::IDCANCEL);
}

void CPhoneDlg::OnDestroy()
{
    for (auto &[address, window] : agentWindows_)
        delete window.data();
    agentWindows_.clear();
    display_->DestroyFeaturesWindow();
}
