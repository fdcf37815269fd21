#include <ui/dialogs/AgentStateDlg.h>

#include <app/AppMessages.h>
#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/dialogs/DialogParts.h>
#include <ui/main/CommandSteps.h>
#include <window/Fonts.h>

#include "CTapiLine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

constexpr ValueText kStates[] = {
    {LINEAGENTSTATE_LOGGEDOFF, "Logged Off"},
    {LINEAGENTSTATE_NOTREADY, "Not Ready"},
    {LINEAGENTSTATE_READY, "Ready"},
    {LINEAGENTSTATE_BUSYACD, "Busy ACD"},
    {LINEAGENTSTATE_BUSYINCOMING, "Busy Incoming"},
    {LINEAGENTSTATE_BUSYOUTBOUND, "Busy Outbound"},
    {LINEAGENTSTATE_BUSYOTHER, "Busy Other"},
    {LINEAGENTSTATE_WORKINGAFTERCALL, "Call Work"},
    {LINEAGENTSTATE_UNAVAIL, "Unavailable"},
};

// The state buttons and the state each of them asks for.
struct StateButton {
    int id;
    DWORD state;
};

constexpr StateButton kStateButtons[] = {
    {CAgentStateDlg::IDC_LOG_OUT, LINEAGENTSTATE_LOGGEDOFF},
    {CAgentStateDlg::IDC_NOT_READY, LINEAGENTSTATE_NOTREADY},
    {CAgentStateDlg::IDC_READY, LINEAGENTSTATE_READY},
    {CAgentStateDlg::IDC_CALL_WORK, LINEAGENTSTATE_WORKINGAFTERCALL},
};

// The agent-status changes that each part of the window follows.
constexpr DWORD kStatusChanges =
    LINEAGENTSTATUS_GROUP | LINEAGENTSTATUS_STATE | LINEAGENTSTATUS_NEXTSTATE | LINEAGENTSTATUS_ACTIVITY;
constexpr DWORD kAllChanges = 255;

QString TrimmedRight(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

} // namespace

CAgentStateDlg::CAgentStateDlg(QWidget *parent, CTapiAddress *address, ClosedHandler onClosed)
    : win::Dialog(parent), address_(address), onClosed_(std::move(onClosed))
{
    static const win::ControlTemplate controls[] = {
        {IDC_GROUP1, win::ControlKind::Edit},
        {IDC_GROUP2, win::ControlKind::Edit},
        {IDC_GROUP_LIST, win::ControlKind::ListBox, "",
         win::Style::ExtendedSelection | win::Style::Sorted | win::Style::Disabled},
        {IDC_SET_GROUPS, win::ControlKind::PushButton, "&Set Group(s)", win::Style::Disabled},
        {IDC_ACTIVITY, win::ControlKind::DropDownList, "", win::Style::Sorted},
        {IDC_CURRENT_STATE, win::ControlKind::Static},
        {IDC_NEXT_STATE, win::ControlKind::Static},
        {IDC_READY, win::ControlKind::PushButton, "&Ready", win::Style::Disabled},
        {IDC_CALL_WORK, win::ControlKind::PushButton, "Call &Work", win::Style::Disabled},
        {IDC_NOT_READY, win::ControlKind::PushButton, "&Not Ready", win::Style::Disabled},
        {IDC_LOG_OUT, win::ControlKind::PushButton, "&Log Out", win::Style::Disabled},
        {IDC_UPDATE, win::ControlKind::PushButton, "&Update"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Agent Status"));

    auto *groups = new QGridLayout;
    groups->addWidget(AddLabel(QStringLiteral("Group(s) or Agent ID:"), IDC_GROUP1), 0, 0, 1, 2);
    groups->addWidget(GetDlgItem(IDC_GROUP1), 1, 0);
    groups->addWidget(GetDlgItem(IDC_GROUP2), 1, 1);
    QWidget *groupList = GetDlgItem(IDC_GROUP_LIST);
    groupList->setMaximumHeight(groupList->fontMetrics().height() * 6 + 8);
    groups->addWidget(groupList, 2, 0, 1, 2);
    groups->addWidget(GetDlgItem(IDC_SET_GROUPS), 3, 1, Qt::AlignRight);
    auto *state = new QGridLayout;
    state->addWidget(AddLabel(QStringLiteral("Agent Activity:"), IDC_ACTIVITY), 0, 0);
    state->addWidget(GetDlgItem(IDC_ACTIVITY), 0, 1);
    state->addWidget(AddLabel(QStringLiteral("Curr State:")), 1, 0);
    state->addWidget(GetDlgItem(IDC_CURRENT_STATE), 1, 1);
    state->addWidget(AddLabel(QStringLiteral("Nxt State:")), 2, 0);
    state->addWidget(GetDlgItem(IDC_NEXT_STATE), 2, 1);
    state->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    for (int id : {IDC_READY, IDC_CALL_WORK, IDC_NOT_READY, IDC_LOG_OUT, IDC_UPDATE})
        buttons->addWidget(GetDlgItem(id));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(state);
    layout->addLayout(buttons);

    BindText(IDC_GROUP1, group1_);
    BindText(IDC_GROUP2, group2_);
    BindText(IDC_CURRENT_STATE, currentState_);
    BindText(IDC_NEXT_STATE, nextState_);
    for (const StateButton &button : kStateButtons)
        OnClicked(button.id, [this, state = button.state] { OnStateButton(state); });
    OnClicked(IDC_SET_GROUPS, [this] { OnSetGroups(); });
    OnClicked(IDC_UPDATE, [this] { OnAgentChanged(kAllChanges); });
    OnNotify(IDC_ACTIVITY, win::Notify::SelChange, [this] { OnActivityChange(); });
    OnMessage(WM_TAPI_AGENTCHANGED, [this](win::WPARAM address, win::LPARAM changes) {
        if (address_ && ParamObject<CTapiAddress>(address) == address_)
            OnAgentChanged(static_cast<DWORD>(changes));
        return 0;
    });
    Create();
}

QString CAgentStateDlg::StateName(DWORD state)
{
    return TextOfValue(kStates, state, "Unknown");
}

QString CAgentStateDlg::GroupText(const CTapiAgentGroupEntry &group)
{
    if (!group.name.empty())
        return ToQString(group.name);
    return QString::asprintf("0x%x 0x%x 0x%x 0x%x", group.groupId[0], group.groupId[1], group.groupId[2],
                             group.groupId[3]);
}

QString CAgentStateDlg::ActivityText(const CTapiAgentActivityEntry &activity)
{
    if (!activity.name.empty())
        return ToQString(activity.name);
    return QString::asprintf("Activity 0x%x", activity.activityId);
}

void CAgentStateDlg::OnInitDialog()
{
    CTapiLine *line = address_ ? address_->GetLine() : nullptr;
    if (line) {
        setWindowTitle(QStringLiteral("%1 - %2 %3")
                           .arg(windowTitle(), ToQString(line->GetLineName()), ToQString(address_->GetAddressName())));
    }
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    win::Dialog::OnInitDialog();
    RefillActivities();
    RefillGroups();
    RefreshStatus();
}

void CAgentStateDlg::OnClose()
{
    if (auto onClosed = std::exchange(onClosed_, {}))
        onClosed(address_);
    address_ = nullptr;
    DestroyWindow();
}

void CAgentStateDlg::OnAgentChanged(DWORD changes)
{
    if (changes & LINEAGENTSTATUS_ACTIVITYLIST)
        RefillActivities();
    if (changes & LINEAGENTSTATUS_GROUPLIST)
        RefillGroups();
    if (changes & kStatusChanges)
        RefreshStatus();
}

void CAgentStateDlg::RefillActivities()
{
    win::ListControl list = Items(IDC_ACTIVITY);
    list.ResetContent();
    std::vector<CTapiAgentActivityEntry> activities;
    if (!address_ || address_->GetAgentActivityList(activities) != 0 || activities.empty())
        EnableDlgItem(IDC_ACTIVITY, false);
    for (const CTapiAgentActivityEntry &activity : activities)
        list.SetItemData(list.AddString(ActivityText(activity)), activity.activityId);
    UpdateData(false);
}

void CAgentStateDlg::RefillGroups()
{
    win::ListControl list = Items(IDC_GROUP_LIST);
    list.ResetContent();
    groups_.clear();
    group1_.clear();
    group2_.clear();
    if (!address_ || address_->GetAgentGroupList(groups_) != 0 || groups_.empty()) {
        groups_.clear();
        EnableDlgItem(IDC_GROUP_LIST, false);
    }
    for (std::size_t i = 0; i < groups_.size(); ++i)
        list.SetItemData(list.AddString(GroupText(groups_[i])), i);
    UpdateData(false);
}

void CAgentStateDlg::RefreshStatus()
{
    if (!address_)
        return;
    win::ListControl list = Items(IDC_GROUP_LIST);
    std::vector<CTapiAgentGroupEntry> current;
    if (address_->GetAgentGroups(current) == 0 && !current.empty()) {
        if (list.GetCount() == 0)
            group2_.clear();
        group1_ = GroupText(current[0]);
        if (current.size() > 1)
            group2_ = GroupText(current[1]);
        for (const CTapiAgentGroupEntry &group : current) {
            for (int row = 0; row < list.GetCount(); ++row) {
                const auto index = list.GetItemData(row);
                if (index < groups_.size() &&
                    std::equal(std::begin(group.groupId), std::end(group.groupId), groups_[index].groupId))
                    list.SetSel(row, true);
            }
        }
    }
    const auto status = address_->GetAgentStatus();
    if (status) {
        currentState_ = StateName(status->dwState);
        nextState_ = StateName(status->dwNextState);
        win::ListControl activities = Items(IDC_ACTIVITY);
        for (int row = 0; row < activities.GetCount(); ++row) {
            if (activities.GetItemData(row) == status->dwActivityID && activities.GetCurSel() != row)
                activities.SetCurSel(row);
        }
    }
    UpdateData(false);
    ApplyEnabling(status.get());
}

void CAgentStateDlg::ApplyEnabling(const LINEAGENTSTATUS *status)
{
    if (!IsCreated())
        return;
    if (!status) {
        for (const StateButton &button : kStateButtons)
            EnableDlgItem(button.id, false);
        EnableDlgItem(IDC_SET_GROUPS, false);
        return;
    }
    const DWORD features = status->dwAgentFeatures;
    const DWORD valid = status->dwValidStates | status->dwValidNextStates;
    for (const StateButton &button : kStateButtons) {
        EnableDlgItem(button.id, (features & LINEAGENTFEATURE_SETAGENTSTATE) && (valid == 0 || (valid & button.state)));
    }
    const bool setGroups = features & LINEAGENTFEATURE_SETAGENTGROUP;
    EnableDlgItem(IDC_SET_GROUPS, setGroups);
    EnableDlgItem(IDC_GROUP1, setGroups);
    EnableDlgItem(IDC_GROUP2, setGroups);
    // Choosing groups is of no use where they cannot be set.
    EnableDlgItem(IDC_GROUP_LIST, setGroups && Items(IDC_GROUP_LIST).GetCount() > 0);
    EnableDlgItem(IDC_ACTIVITY, (features & LINEAGENTFEATURE_SETAGENTACTIVITY) && Items(IDC_ACTIVITY).GetCount() > 0);
    EnableDlgItem(IDC_UPDATE);
}

void CAgentStateDlg::OnStateButton(DWORD state)
{
    ClearStatus();
    // The waits below handle messages, so the user may close the window meanwhile;
    // the address outlives it, the window may not.
    CTapiAddress *address = address_;
    const QPointer<CAgentStateDlg> self(this);
    const auto status = address ? address->GetAgentStatus() : nullptr;
    if (!status)
        return;
    const bool direct =
        (status->dwValidStates == 0 && status->dwValidNextStates == 0) || (status->dwValidStates & state);
    WaitAndReport("lineSetAgentState", direct ? address->SetAgentState(state, 0) : address->SetAgentState(0, state));
    if (self)
        RefreshStatus();
}

void CAgentStateDlg::OnSetGroups()
{
    ClearStatus();
    UpdateData(true);
    std::vector<CTapiAgentGroupEntry> join;
    if (!group1_.isEmpty())
        join.push_back({{0, 0, 0, 0}, ToTapiString(group1_)});
    if (const QString second = TrimmedRight(group2_); !second.isEmpty())
        join.push_back({{0, 0, 0, 0}, ToTapiString(second)});
    win::ListControl list = Items(IDC_GROUP_LIST);
    if (IsDlgItemEnabled(IDC_GROUP_LIST) && list.GetCount() > 0) {
        for (int row : list.GetSelItems()) {
            if (const auto index = list.GetItemData(row); index < groups_.size())
                join.push_back(groups_[index]);
        }
    }
    const QPointer<CAgentStateDlg> self(this);
    if (const DWORD result = address_ ? address_->SetAgentGroup(join) : 0; result != 0)
        ReportResult("lineSetAgentGroup", result);
    if (self)
        RefreshStatus();
}

void CAgentStateDlg::OnActivityChange()
{
    win::ListControl list = Items(IDC_ACTIVITY);
    const int row = list.GetCurSel();
    if (row < 0 || !address_)
        return;
    const QPointer<CAgentStateDlg> self(this);
    WaitAndReport("lineSetAgentActivity", address_->SetAgentActivity(DWORD(list.GetItemData(row))));
    if (self)
        RefreshStatus();
}
