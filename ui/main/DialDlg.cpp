#include <ui/main/DialDlg.h>

#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <window/Fonts.h>

#include "CTapiBuffer.h"
#include "CTapiLine.h"
#include "TapiFields.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// What the dialog says and offers in each of its modes.
struct DialMode {
    DWORD feature;
    const char *title;
    const char *okCaption;
    const char *instructions;
};

constexpr DialMode kModes[] = {
    {LINECALLFEATURE_DIAL, "Dial a Number", "Dial",
     "Enter the dialable number you wish to target. Press the \"Translate\" button to invoke the current dialing "
     "plan on the number."},
    {LINECALLFEATURE_PARK, "Park a call", "Park",
     "Enter the extension to park the number to. If this is a non-directed park, leave it blank."},
    {LINECALLFEATURE_REDIRECT, "Redirect to Number", "Redirect", "Enter the extension to redirect the call to."},
};

const DialMode &ModeOf(DWORD feature)
{
    for (const DialMode &mode : kModes) {
        if (mode.feature == feature)
            return mode;
    }
    return kModes[0];
}

} // namespace

CDialDlg::CDialDlg(QWidget *parent, CTapiLine *line, DWORD mode) : win::Dialog(parent), line_(line), mode_(mode)
{
    static const win::ControlTemplate controls[] = {
        {IDC_INSTRUCTIONS, win::ControlKind::Static},
        {IDC_NUMBER, win::ControlKind::Edit},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
        {IDC_TRANSLATE, win::ControlKind::PushButton, "Translate"},
    };
    AddControls(controls);
    if (auto *instructions = Item<QLabel>(IDC_INSTRUCTIONS))
        instructions->setWordWrap(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(GetDlgItem(IDC_TRANSLATE));
    buttons->addStretch();
    buttons->addWidget(GetDlgItem(win::IDOK));
    buttons->addWidget(GetDlgItem(win::IDCANCEL));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GetDlgItem(IDC_INSTRUCTIONS));
    layout->addWidget(GetDlgItem(IDC_NUMBER));
    layout->addLayout(buttons);

    BindText(IDC_NUMBER, number_);
    BindText(IDC_INSTRUCTIONS, instructions_);
    OnNotify(IDC_NUMBER, win::Notify::TextChange, [this] { OnNumberChange(); });
    OnClicked(IDC_TRANSLATE, [this] { OnTranslate(); });
}

void CDialDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    const DialMode &mode = ModeOf(mode_);
    setWindowTitle(QString::fromUtf8(mode.title));
    SetDlgItemText(win::IDOK, QString::fromUtf8(mode.okCaption));
    instructions_ = QString::fromUtf8(mode.instructions);
    LimitText(IDC_NUMBER, kNumberLimit);
    // Both buttons start enabled; the number rule takes over with the first edit.
    EnableDlgItem(win::IDOK);
    EnableDlgItem(IDC_TRANSLATE);
    win::Dialog::OnInitDialog();
}

void CDialDlg::OnNumberChange()
{
    UpdateData(true);
    // An empty number is a non-directed park, so park mode accepts it.
    EnableDlgItem(win::IDOK, !number_.isEmpty() || mode_ == LINECALLFEATURE_PARK);
    EnableDlgItem(IDC_TRANSLATE, !number_.isEmpty());
}

void CDialDlg::OnTranslate()
{
    UpdateData(true);
    if (!line_)
        return;
    auto output = CTapiBuffer::Create(kTranslateOutputSize);
    if (!output) {
        ReportResult("lineTranslateAddress", LINEERR_NOMEM);
        return;
    }
    const tapi_string number = ToTapiString(number_);
    const DWORD result = line_->TranslateAddress(number.c_str(), 0, 0, output->As<LINETRANSLATEOUTPUT>());
    if (result != 0) {
        ReportResult("lineTranslateAddress", result);
        return;
    }
    output->RestoreTotalSize();
    const auto *translated = output->As<LINETRANSLATEOUTPUT>();
    const bool present =
        TapiFieldPresent(translated, translated->dwDialableStringOffset, translated->dwDialableStringSize);
    // The buffer is not grown: a dialable string that did not fit leaves the number as typed.
    if (!present && output->NeededSize() > output->size()) {
        ReportResult("lineTranslateAddress", LINEERR_STRUCTURETOOSMALL);
        return;
    }
    number_ =
        ToQString(ReadTapiString(translated, translated->dwDialableStringOffset, translated->dwDialableStringSize));
    UpdateData(false);
    OnNumberChange();
}
