// The one place where the user learns the outcome of an operation: the
// status line of the main window (control 1028). A failed TAPI request is
// reported as "<operation> (0x<code>) <error text>"; free-form messages are
// shown as given. User-interface thread only.
#pragma once

#include <QString>

#include <cstdint>

/// Shows "%s (0x%lx) %s": the operation name (a TAPI function without its
/// character-set suffix), the code in lower-case hexadecimal and its error
/// text. Without a live main window the report is dropped.
void ReportResult(const char *operation, std::uint32_t code);

/// Shows a printf-style formatted text. Without a live main window the text is
/// dropped and the report tick stays as it was.
void ShowStatus(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// Shows a text as it is (for texts that carry provider or user strings).
void ShowStatus(const QString &text);

/// Empties the status line; the report tick does not move.
void ClearStatus();

/// The window platform's tick count at the last text shown; 0 before any.
std::uint32_t GetLastReportTick();

/// The report text of a result, as `ReportResult` shows it.
QString FormatResult(const char *operation, std::uint32_t code);
