#include <ui/workbench/TraceWindow.h>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kMaxViewLines = 20000;

QString HandleText(uint32_t handle)
{
    return QStringLiteral("0x%1").arg(handle, 8, 16, QLatin1Char('0'));
}

// Inserts `handle` into a filter list kept in ascending order after "All ...".
void InsertHandle(QComboBox *box, uint32_t handle)
{
    int at = 1;
    while (at < box->count() && box->itemData(at).toUInt() < handle)
        ++at;
    box->insertItem(at, HandleText(handle), QVariant::fromValue(handle));
}

} // namespace

CTraceWindow::CTraceWindow(std::shared_ptr<tapitrace::TraceLog> log, QWidget *parent)
    : QWidget(parent, Qt::Window), log_(std::move(log))
{
    setWindowTitle(QStringLiteral("Dialwerk - TAPI Trace"));
    lines_ = new QComboBox(this);
    lines_->addItem(QStringLiteral("All lines"), QVariant::fromValue(0u));
    calls_ = new QComboBox(this);
    calls_->addItem(QStringLiteral("All calls"), QVariant::fromValue(0u));
    pause_ = new QPushButton(QStringLiteral("&Pause"), this);
    pause_->setCheckable(true);
    auto *clear = new QPushButton(QStringLiteral("&Clear"), this);
    auto *save = new QPushButton(QStringLiteral("&Save..."), this);
    view_ = new QPlainTextEdit(this);
    view_->setReadOnly(true);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setMaximumBlockCount(kMaxViewLines);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Line:"), this));
    bar->addWidget(lines_);
    bar->addWidget(new QLabel(QStringLiteral("Call:"), this));
    bar->addWidget(calls_);
    bar->addStretch(1);
    bar->addWidget(pause_);
    bar->addWidget(clear);
    bar->addWidget(save);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_);
    resize(900, 500);

    connect(lines_, &QComboBox::activated, this, [this](int i) { SetLineFilter(lines_->itemData(i).toUInt()); });
    connect(calls_, &QComboBox::activated, this, [this](int i) { SetCallFilter(calls_->itemData(i).toUInt()); });
    connect(pause_, &QPushButton::toggled, this, [this](bool on) { SetPaused(on); });
    connect(clear, &QPushButton::clicked, this, [this] { Clear(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });

    // The log calls this on whichever thread traced; it only queues a pull.
    QPointer<CTraceWindow> self(this);
    auto queued = pullQueued_;
    log_->SetListener([self, queued] {
        if (queued->exchange(true))
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, queued] {
                queued->store(false);
                if (self)
                    self->Pull();
            },
            Qt::QueuedConnection);
    });
    Pull();
}

CTraceWindow::~CTraceWindow()
{
    // After this returns the log calls the listener no more.
    log_->SetListener(nullptr);
}

void CTraceWindow::SetLineFilter(uint32_t line)
{
    lineFilter_ = line;
    lines_->setCurrentIndex(std::max(0, lines_->findData(QVariant::fromValue(line))));
    Rebuild();
}

void CTraceWindow::SetCallFilter(uint32_t call)
{
    callFilter_ = call;
    calls_->setCurrentIndex(std::max(0, calls_->findData(QVariant::fromValue(call))));
    Rebuild();
}

void CTraceWindow::SetPaused(bool paused)
{
    paused_ = paused;
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused);
    pause_->setText(paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    if (!paused)
        Pull();
}

void CTraceWindow::Clear()
{
    log_->Clear();
    view_->clear();
}

bool CTraceWindow::SaveTo(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QString text = Text();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    return file.write(text.toUtf8()) >= 0;
}

QString CTraceWindow::Text() const
{
    return view_->toPlainText();
}

bool CTraceWindow::Passes(const tapitrace::TraceEntry &entry) const
{
    return (lineFilter_ == 0 || entry.line == lineFilter_) && (callFilter_ == 0 || entry.call == callFilter_);
}

void CTraceWindow::NoteHandles(const tapitrace::TraceEntry &entry)
{
    if (entry.line && seenLines_.insert(entry.line).second)
        InsertHandle(lines_, entry.line);
    if (entry.call && seenCalls_.insert(entry.call).second)
        InsertHandle(calls_, entry.call);
}

void CTraceWindow::Pull()
{
    if (paused_)
        return;
    QScrollBar *scroll = view_->verticalScrollBar();
    const bool atEnd = scroll->value() == scroll->maximum();
    for (const tapitrace::TraceEntry &entry : log_->Since(next_, next_)) {
        NoteHandles(entry);
        if (Passes(entry))
            view_->appendPlainText(QString::fromStdString(tapitrace::FormatEntry(entry)));
    }
    if (atEnd)
        scroll->setValue(scroll->maximum());
}

void CTraceWindow::Rebuild()
{
    view_->clear();
    next_ = 0;
    Pull();
}

void CTraceWindow::OnSave()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Trace"), QStringLiteral("trace.txt"),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (!path.isEmpty() && !SaveTo(path))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("The trace could not be written to %1.").arg(path));
}

CTraceWindow *ShowTraceWindow()
{
    static QPointer<CTraceWindow> window;
    if (!window) {
        window = new CTraceWindow(tapitrace::StartTrace());
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}
