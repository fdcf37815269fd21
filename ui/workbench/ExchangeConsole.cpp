#include <ui/workbench/ExchangeConsole.h>

#include <ui/workbench/DeskPhonePanel.h>
#include <ui/workbench/DevicesPanel.h>
#include <ui/workbench/FarEndPanel.h>
#include <ui/workbench/FaultsPanel.h>
#include <ui/workbench/OfficeView.h>

#include <tapi32/Runtime.h>

#include <QLabel>
#include <QPointer>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kRefreshMs = 200;

} // namespace

CExchangeConsole::CExchangeConsole(exchange::Exchange &exchange, QWidget *parent)
    : QWidget(parent, Qt::Window), exchange_(exchange)
{
    setWindowTitle(QStringLiteral("Dialwerk - Exchange Console"));
    office_ = new COfficeView(this);
    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("consoleTabs"));
    farEnd_ = new CFarEndPanel(exchange_, tabs);
    auto *deskPhone = new CDeskPhonePanel(exchange_, tabs);
    auto *devices = new CDevicesPanel(exchange_, tabs);
    auto *faults = new CFaultsPanel(exchange_, tabs);
    tabs->addTab(farEnd_, QStringLiteral("&Far End"));
    tabs->addTab(deskPhone, QStringLiteral("&Desk Phone"));
    tabs->addTab(devices, QStringLiteral("De&vices"));
    tabs->addTab(faults, QStringLiteral("Fa&ults"));
    panels_ = {farEnd_, deskPhone, devices, faults};
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("consoleResult"));
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    timer_ = new QTimer(this);
    timer_->setInterval(kRefreshMs);

    for (CConsolePanel *panel : panels_)
        panel->SetReporter([this](const QString &text) { Report(text); });
    office_->OnCallChosen([this](exchange::LegId leg) { farEnd_->SetCall(leg); });
    connect(timer_, &QTimer::timeout, this, [this] { Refresh(); });

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(office_);
    split->addWidget(tabs);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addWidget(result_);
    resize(1000, 720);

    Refresh();
    timer_->start();
}

void CExchangeConsole::Refresh()
{
    ExchangeSnapshot snapshot = TakeSnapshot(exchange_);
    if (!shownOnce_ || !(snapshot == shown_)) {
        shown_ = std::move(snapshot);
        shownOnce_ = true;
        office_->Show(shown_);
        for (CConsolePanel *panel : panels_)
            panel->Show(shown_);
    }
    for (CConsolePanel *panel : panels_)
        panel->Poll();
}

QString CExchangeConsole::Result() const
{
    return result_->text();
}

void CExchangeConsole::Report(const QString &text)
{
    result_->setText(text);
    // What an action did shows at once, not at the next tick.
    Refresh();
}

CExchangeConsole *ShowExchangeConsole()
{
    static QPointer<CExchangeConsole> window;
    if (!window) {
        window = new CExchangeConsole(tapi32::Runtime::instance().exchange());
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}
