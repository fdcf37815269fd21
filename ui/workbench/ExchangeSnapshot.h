// What the exchange console shows, read in one go under the exchange's lock:
// the office (lines with their addresses, phones, park slots) and every call
// that is not idle, with its parties and state. Plain values, so the window
// compares one snapshot with the last and redraws only on a change.
#pragma once

#include <exchange/Exchange.h>

#include <QString>

#include <optional>
#include <vector>

struct ConsoleAddress {
    DWORD id = 0;
    QString number;
    bool operator==(const ConsoleAddress &) const = default;
};

struct ConsoleLine {
    DWORD id = 0;
    QString name;
    QString owner;
    std::vector<ConsoleAddress> addresses;
    std::optional<DWORD> phone;
    DWORD statusFlags = 0; // LINEDEVSTATUSFLAGS_
    bool removed = false;
    bool operator==(const ConsoleLine &) const = default;
};

struct ConsoleButton {
    DWORD id = 0;
    QString text;
    DWORD function = 0; // PHONEBUTTONFUNCTION_
    bool operator==(const ConsoleButton &) const = default;
};

struct ConsolePhone {
    DWORD id = 0;
    QString name;
    std::optional<DWORD> line;
    bool offHook = false; // the handset
    QString display;
    std::vector<ConsoleButton> buttons;
    bool removed = false;
    bool operator==(const ConsolePhone &) const = default;
};

struct ConsoleParkSlot {
    QString number;
    bool taken = false;
    QString party; // who waits there, when known
    bool operator==(const ConsoleParkSlot &) const = default;
};

struct ConsoleCall {
    exchange::LegId leg = 0;
    DWORD callId = 0; // shared by the parties of one call
    DWORD line = 0;
    DWORD address = 0;
    DWORD state = 0; // LINECALLSTATE_
    DWORD mode = 0;
    QString caller;
    QString called;
    QString connected;
    QString outside; // the party outside the exchange, if any
    bool operator==(const ConsoleCall &) const = default;
};

struct ExchangeSnapshot {
    std::vector<ConsoleLine> lines;
    std::vector<ConsolePhone> phones;
    std::vector<ConsoleParkSlot> parkSlots;
    std::vector<ConsoleCall> calls; // by line, oldest first
    bool operator==(const ExchangeSnapshot &) const = default;

    const ConsoleLine *FindLine(DWORD id) const;
    const ConsolePhone *FindPhone(DWORD id) const;
    const ConsoleCall *FindCall(exchange::LegId leg) const;
};

/// Reads the exchange under its lock (from any thread).
ExchangeSnapshot TakeSnapshot(const exchange::Exchange &exchange);

/// "Anna Berg <201>", "<201>", "Anna Berg", or "" for a party nobody knows.
QString PartyText(const QString &number, const QString &name);
/// "CONNECTED" for LINECALLSTATE_CONNECTED; the value in hexadecimal when unknown.
QString CallStateText(DWORD state);
/// A LINEERR_ / PHONEERR_ result by its name ("LINEERR_INVALCALLSTATE"), "OK" for 0.
QString ResultText(LONG result);
