#include <app/ResultReporting.h>

#include <app/CMainApp.h>
#include <app/ErrorTexts.h>

#include <resources/resource.h>
#include <window/Clock.h>
#include <window/Dialog.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// A report longer than this is cut: the status line is one line of text.
constexpr qsizetype kMaxStatusLength = 1023;

// Written on the user-interface thread only; read there by the main window's timer.
std::uint32_t lastReportTick = 0;

win::Dialog *LiveMainWindow()
{
    win::Dialog *window = GetMainApp().GetMainWnd();
    return window && window->IsCreated() ? window : nullptr;
}

} // namespace

QString FormatResult(const char *operation, std::uint32_t code)
{
    return QStringLiteral("%1 (0x%2) %3")
        .arg(QString::fromUtf8(operation ? operation : ""))
        .arg(code, 0, 16)
        .arg(GetErrorText(code));
}

void ReportResult(const char *operation, std::uint32_t code)
{
    ShowStatus(FormatResult(operation, code));
}

void ShowStatus(const char *format, ...)
{
    if (!format)
        return;
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        va_end(arguments);
        return;
    }
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    ShowStatus(QString::fromUtf8(text.data(), length));
}

void ShowStatus(const QString &text)
{
    win::Dialog *window = LiveMainWindow();
    if (!window)
        return;
    window->SetDlgItemText(IDC_STATUS, text.left(kMaxStatusLength));
    lastReportTick = win::GetTickCount();
}

void ClearStatus()
{
    if (win::Dialog *window = LiveMainWindow())
        window->SetDlgItemText(IDC_STATUS, QString());
}

std::uint32_t GetLastReportTick()
{
    return lastReportTick;
}
