// The phone features window, opened with "P&hone" for the selected line's
// phone of the default office: what it shows for each kind of phone, what
// its controls send, how a refused request is undone, how it follows the
// phone's events, and closing.
#include "CommandsTestSupport.h"

#include <app/CMyPhone.h>
#include <app/ResultReporting.h>
#include <ui/dialogs/PhoneCapsDlg.h>

#include <window/testing/TestEnvironment.h>
#include <window/testing/UserInput.h>

#include "CTapiConnection.h"

#include <QCoreApplication>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

using win::testing::ChooseItem;
using win::testing::MoveTrackbar;
using win::testing::TypeText;

namespace {

using Dlg = CPhoneCapsDlg;

class PhoneWindowTest : public CommandsTest {
protected:
    /// Opens the line through the main window and presses "P&hone"; the window, or null.
    CPhoneCapsDlg *OpenPhoneWindow(const QString &line, DWORD phoneId)
    {
        if (!StartedOnce())
            return nullptr;
        if (!OpenLine(line) || !Click(IDC_PHONE))
            return nullptr;
        return WindowOf(phoneId);
    }

    static CMyPhone *Phone(DWORD id) { return dynamic_cast<CMyPhone *>(GetTapiConnection()->GetPhone(id)); }
    static CPhoneCapsDlg *WindowOf(DWORD id)
    {
        CMyPhone *phone = Phone(id);
        return phone ? dynamic_cast<CPhoneCapsDlg *>(win::Dialog::FromHandle(phone->GetPhoneWindow())) : nullptr;
    }

    static QString ButtonLabels(CPhoneCapsDlg &window, int button)
    {
        ChooseItem(window, Dlg::IDC_BUTTONS, button);
        QStringList labels;
        for (int id : {Dlg::IDC_BUTTON_TEXT, Dlg::IDC_BUTTON_FUNCTION, Dlg::IDC_BUTTON_MODE, Dlg::IDC_BUTTON_LAMP})
            labels << window.GetDlgItemText(id);
        return labels.join(QLatin1Char('|'));
    }

private:
    bool StartedOnce()
    {
        if (!started_)
            started_ = StartSession() && (ShowWindow(), true);
        return started_;
    }
    bool started_ = false;
};

TEST_F(PhoneWindowTest, OpensOneWindowPerPhoneAsOwnerOfAllItsStates)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Phone Features - Phone 201"));
    EXPECT_EQ(Last("phoneOpen").number("dwPrivilege"), DWORD{PHONEPRIVILEGE_OWNER});
    EXPECT_EQ(Last("phoneSetStatusMessages").number("dwPhoneStates"), 0x00FFFFFFu);
    EXPECT_EQ(window->GetDlgItemText(Dlg::IDC_DISPLAY), QStringLiteral("201 Anna Berg"));
    EXPECT_EQ(window->GetDlgItemText(Dlg::IDC_DISPLAY_SIZE), QStringLiteral("40 x 2"));
    EXPECT_EQ(window->Items(Dlg::IDC_BUTTONS).GetCount(), 8);
    EXPECT_EQ(ButtonLabels(*window, 0), QStringLiteral("\"Line 1\"|Call Appearance|Call |Off "));
    // Entry i of the ring modes is ring mode i + 1: the phone's mode 1 is "Ring Mode #1".
    EXPECT_EQ(window->GetDlgItemText(Dlg::IDC_RING_MODE), QStringLiteral("Ring Mode #1"));
    ASSERT_TRUE(ChooseItem(*window, Dlg::IDC_RING_MODE, QStringLiteral("Ring Mode #3")));
    EXPECT_EQ(Last("phoneSetRing").number("dwRingMode"), 3u);

    // The second press brings the same window forward without opening the phone again.
    ASSERT_TRUE(Click(IDC_PHONE));
    EXPECT_EQ(WindowOf(0), window);
    EXPECT_EQ(Count("phoneOpen"), 1u);
}

TEST_F(PhoneWindowTest, ControlsFollowWhatEachPhoneOffers)
{
    struct Row {
        const char *line;
        DWORD phone;
        const char *size;
        bool displayEnabled, readOnly;
        bool speakerMicSpeaker, speakerSpeaker;
    } rows[] = {
        {"Extension 201", 0, "40 x 2", true, false, true, true},
        {"Extension 203", 2, "40 x 2", true, true, false, true}, // read-only display, no MICSPEAKER
        {"Lobby 206", 4, "0 x 0", false, true, true, true},      // no display at all
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        CPhoneCapsDlg *window = OpenPhoneWindow(QString::fromLatin1(row.line), row.phone);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->GetDlgItemText(Dlg::IDC_DISPLAY_SIZE), QString::fromLatin1(row.size));
        for (int id : {Dlg::IDC_DISPLAY, Dlg::IDC_RETRIEVE})
            EXPECT_EQ(window->IsDlgItemEnabled(id), row.displayEnabled) << id;
        EXPECT_FALSE(window->IsDlgItemEnabled(Dlg::IDC_SET_DISPLAY));
        EXPECT_EQ(window->Item<QPlainTextEdit>(Dlg::IDC_DISPLAY)->isReadOnly(), row.readOnly);
        EXPECT_EQ(window->IsDlgItemEnabled(Dlg::IDC_SPEAKER_MICSPEAKER), row.speakerMicSpeaker);
        EXPECT_EQ(window->IsDlgItemEnabled(Dlg::IDC_SPEAKER_SPEAKER), row.speakerSpeaker);
        // The handset offers on hook and mic-and-speaker only, on every phone.
        EXPECT_TRUE(window->IsDlgItemEnabled(Dlg::IDC_HANDSET_MICSPEAKER));
        EXPECT_FALSE(window->IsDlgItemEnabled(Dlg::IDC_HANDSET_SPEAKER));
    }
}

TEST_F(PhoneWindowTest, ButtonFunctionsAndLampModesAreNamed)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Agent 204"), 3);
    ASSERT_NE(window, nullptr);
    const std::pair<int, const char *> rows[] = {
        {8, "\"Supervisor\"|Station Speed Dial|Feature |Off "},
        {9, "\"Camp On\"|Camp On|Feature |Steady Broken Flutter "},
        {10, "\"\"|None|Feature |Off "},
        {11, "\"Wrap Up\"|0x2f|Feature Local |Off "},
    };
    for (const auto &[button, labels] : rows)
        EXPECT_EQ(ButtonLabels(*window, button), QString::fromLatin1(labels)) << button;
}

TEST_F(PhoneWindowTest, DisplayTextTravelsInTheAnsiCodePage)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(TypeText(*window, Dlg::IDC_DISPLAY, QStringLiteral("Hello")));
    ASSERT_TRUE(window->IsDlgItemEnabled(Dlg::IDC_SET_DISPLAY));
    // Keys beyond ASCII cannot be typed offscreen: the text is put in as a paste would.
    window->Item<QPlainTextEdit>(Dlg::IDC_DISPLAY)->setPlainText(QStringLiteral("Caf\u00E9 5 \u20AC"));
    ASSERT_TRUE(win::testing::Click(*window, Dlg::IDC_SET_DISPLAY));
    const std::vector<uint8_t> sent = Last("phoneSetDisplay").bytes("lpsDisplay");
    EXPECT_EQ(std::string(sent.begin(), sent.end()), "Caf\xE9 5 \x80");
    EXPECT_TRUE(window->GetDlgItemText(Dlg::IDC_DISPLAY).startsWith(QStringLiteral("Caf\u00E9 5 \u20AC")));
    EXPECT_FALSE(window->IsDlgItemEnabled(Dlg::IDC_SET_DISPLAY));
}

TEST_F(PhoneWindowTest, RefusedRequestsPutTheControlBack)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->IsDlgButtonChecked(Dlg::IDC_HANDSET_ONHOOK));

    Faults().failNext("phoneSetHookSwitch", PHONEERR_RESOURCEUNAVAIL);
    ASSERT_TRUE(win::testing::Click(*window, Dlg::IDC_HANDSET_MICSPEAKER));
    EXPECT_EQ(Status(), FormatResult("phoneSetHookSwitch", PHONEERR_RESOURCEUNAVAIL));
    EXPECT_TRUE(window->IsDlgButtonChecked(Dlg::IDC_HANDSET_ONHOOK));
    EXPECT_FALSE(window->IsDlgButtonChecked(Dlg::IDC_HANDSET_MICSPEAKER));

    Faults().failNext("phoneSetGain", PHONEERR_OPERATIONFAILED);
    ASSERT_TRUE(MoveTrackbar(*window, Dlg::IDC_HEADSET_GAIN, 0x100));
    EXPECT_EQ(Status(), FormatResult("phoneSetGain", PHONEERR_OPERATIONFAILED));
    EXPECT_EQ(window->GetPos(Dlg::IDC_HEADSET_GAIN), 0x8000);

    // Accepted, the change stays and the phone reports it.
    ASSERT_TRUE(win::testing::Click(*window, Dlg::IDC_HANDSET_MICSPEAKER));
    EXPECT_EQ(Last("phoneSetHookSwitch").number("dwHookSwitchMode"), DWORD{PHONEHOOKSWITCHMODE_MICSPEAKER});
    EXPECT_TRUE(window->IsDlgButtonChecked(Dlg::IDC_HANDSET_MICSPEAKER));
    EXPECT_EQ(Status(), QString());
}

TEST_F(PhoneWindowTest, SliderMovesDuringAWaitCollapseToTheNewest)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    Recorder().clear();
    Faults().delayReply("phoneSetVolume", exchange::Millis(1000));
    // While the first request waits, the user drags on; then the reply comes.
    QTimer::singleShot(0, window, [&] {
        for (int position : {0x2000, 0x3000, 0x4000})
            MoveTrackbar(*window, Dlg::IDC_HANDSET_VOLUME, position);
        AdvanceExchange(1000);
    });
    ASSERT_TRUE(MoveTrackbar(*window, Dlg::IDC_HANDSET_VOLUME, 0x1000));
    EXPECT_EQ(Count("phoneSetVolume"), 2u);
    EXPECT_EQ(Last("phoneSetVolume").number("dwVolume"), 0x4000u);
    EXPECT_TRUE(WaitFor([&] { return window->GetPos(Dlg::IDC_HANDSET_VOLUME) == 0x4000; }));
}

TEST_F(PhoneWindowTest, TheLineLampFollowsARingingCall)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    auto lamp = [&] { return window->GetDlgItemText(Dlg::IDC_BUTTON_LAMP); };
    ASSERT_EQ(lamp(), QStringLiteral("Off "));
    exchange::LegId leg = 0;
    ASSERT_TRUE(IncomingOffering(&leg));
    EXPECT_TRUE(WaitFor([&] { return lamp() == QStringLiteral("Flash "); })) << lamp().toStdString();
    ASSERT_TRUE(Click(IDC_ANSWER));
    EXPECT_TRUE(WaitFor([&] { return lamp() == QStringLiteral("Steady "); })) << lamp().toStdString();
    Exchange().remoteHangUp(leg);
    EXPECT_TRUE(WaitFor([&] { return lamp() == QStringLiteral("Off "); })) << lamp().toStdString();
}

TEST_F(PhoneWindowTest, TheHandsetFollowsTheUserAtThePhone)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(Exchange().phoneOffHook(0), 0u);
    EXPECT_TRUE(WaitFor([&] { return window->IsDlgButtonChecked(Dlg::IDC_HANDSET_MICSPEAKER) != 0; }));
    Exchange().phoneOnHook(0);
    EXPECT_TRUE(WaitFor([&] { return window->IsDlgButtonChecked(Dlg::IDC_HANDSET_ONHOOK) != 0; }));
}

TEST_F(PhoneWindowTest, ReinitClosesTheWindowAndThePhone)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Extension 201"), 0);
    ASSERT_NE(window, nullptr);
    QPointer<CPhoneCapsDlg> alive(window);
    Exchange().raisePhoneState(0, PHONESTATE_REINIT);
    ASSERT_TRUE(WaitFor([&] { return !Phone(0)->IsOpen(); }));
    EXPECT_EQ(Phone(0)->GetPhoneWindow(), win::WindowHandle::Null);
    EXPECT_TRUE(WaitFor([&] { return alive.isNull(); }));

    // The next press opens a new window on the phone, opened again.
    ASSERT_TRUE(Click(IDC_PHONE));
    EXPECT_NE(WindowOf(0), nullptr);
    EXPECT_EQ(Count("phoneOpen"), 2u);
}

TEST_F(PhoneWindowTest, Screenshot)
{
    CPhoneCapsDlg *window = OpenPhoneWindow(QStringLiteral("Agent 204"), 3);
    ASSERT_NE(window, nullptr);
    ChooseItem(*window, Dlg::IDC_BUTTONS, 9);
    QCoreApplication::sendPostedEvents();
    window->layout()->activate();
    window->resize(window->sizeHint());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(win::testing::SaveScreenshot(*window, QStringLiteral("phone-features")).isEmpty());
}

} // namespace
