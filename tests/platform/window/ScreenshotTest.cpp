// A dialog laid out like a finished desktop tool: group boxes and grids that
// hold at any font size, grabbed to PNG files in the build folder.
#include "WindowTestSupport.h"

#include <window/Fonts.h>

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>

namespace win::test {
namespace {

// The session group of a main window, with a status line below it.
class SessionDialog : public Dialog {
public:
    SessionDialog()
    {
        static const ControlTemplate controls[] = {
            {1009, ControlKind::DropDownList, "", Style::Sorted},
            {1077, ControlKind::PushButton, "Initiate Session", Style::Disabled},
            {1010, ControlKind::DropDownList},
            {1079, ControlKind::PushButton, "&Agent", Style::Disabled},
            {1078, ControlKind::PushButton, "P&hone", Style::Disabled},
            {1110, ControlKind::CheckBox, "MWI", Style::Disabled},
            {1059, ControlKind::CheckBox, "LCK", Style::Disabled},
            {1021, ControlKind::Edit},
            {1016, ControlKind::DefaultButton, "Ma&ke Call", Style::Disabled},
            {1000, ControlKind::UpDown},
            {1042, ControlKind::Static, "0 of 0"},
            {1028, ControlKind::StatusLine},
        };
        AddControls(controls);
        setWindowTitle(QStringLiteral("Teldrix TAPI Dialwerk Extended - unicode - X64"));
        Items(1009).AddString(QStringLiteral("Extension 201"));
        Items(1009).SetCurSel(0);
        Items(1010).AddString(QStringLiteral("201 - ID 0"));
        Items(1010).SetCurSel(0);

        auto *session = new QGroupBox(QStringLiteral("Session"));
        auto *grid = new QGridLayout(session);
        grid->addWidget(AddLabel(QStringLiteral("&Device:"), 1009), 0, 0);
        grid->addWidget(GetDlgItem(1009), 0, 1, 1, 3);
        grid->addWidget(GetDlgItem(1077), 0, 4);
        grid->addWidget(AddLabel(QStringLiteral("A&ddress:"), 1010), 1, 0);
        grid->addWidget(GetDlgItem(1010), 1, 1, 1, 3);
        grid->addWidget(GetDlgItem(1079), 1, 4);
        grid->addWidget(GetDlgItem(1110), 2, 1);
        grid->addWidget(GetDlgItem(1059), 2, 2);
        grid->addWidget(GetDlgItem(1078), 2, 4);
        grid->addWidget(AddLabel(QStringLiteral("Phone #:"), 1021), 3, 0);
        grid->addWidget(GetDlgItem(1021), 3, 1, 1, 3);
        grid->addWidget(GetDlgItem(1016), 3, 4);
        auto *open = new QHBoxLayout;
        open->addWidget(GetDlgItem(1000));
        open->addWidget(GetDlgItem(1042));
        open->addStretch();
        grid->addLayout(open, 4, 1, 1, 3);
        grid->setColumnStretch(3, 1);

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(session);
        layout->addWidget(GetDlgItem(1028));
    }
};

using ScreenshotTest = WindowTest;

TEST_F(ScreenshotTest, LaidOutDialogGrabsToAPngAtAnyFontSize)
{
    for (int points : {9, 16}) {
        SessionDialog dialog;
        QFont font = GetStockFont(StockFont::AnsiVariable);
        font.setPointSize(points);
        dialog.SetChildFont(font);
        ASSERT_TRUE(dialog.Create());
        dialog.SetDlgItemText(1028, QStringLiteral("lineOpen (0x80000034) The line device is in use"));
        dialog.adjustSize();

        // Every control fits inside the window and keeps at least its own
        // smallest useful size: nothing is clipped or squeezed at this font.
        for (int id : {1009, 1077, 1010, 1079, 1078, 1110, 1059, 1021, 1016, 1042, 1028}) {
            const QWidget *control = dialog.GetDlgItem(id);
            const QRect area(control->mapTo(&dialog, QPoint(0, 0)), control->size());
            EXPECT_TRUE(dialog.rect().contains(area)) << id << " at " << points << " pt";
            EXPECT_GE(control->width(), control->minimumSizeHint().width()) << id << " at " << points << " pt";
        }

        const QString path = win::testing::SaveScreenshot(dialog, QStringLiteral("window-session-%1pt").arg(points));
        ASSERT_FALSE(path.isEmpty());
        const QImage image(path);
        EXPECT_EQ(image.size(), dialog.size());
        dialog.DestroyWindow();
    }
}

} // namespace
} // namespace win::test
