// A read-only hexadecimal viewer for the raw byte fields of TAPI structures
// (call data, user-to-user information, flow specs, ISDN elements). Each row
// shows 16 bytes: the offset of the first, the values, then the bytes as
// characters.
#pragma once

#include "TapiPlatform.h"

#include <QPlainTextEdit>
#include <QString>

#include <cstddef>
#include <vector>

/// User-interface thread only. A dialog registers the viewer as one of its
/// multi-line edit controls and calls `Attach` when it opens, after it gave
/// its controls their font. The viewer owns a copy of the bytes it shows.
class CHexEdit : public QPlainTextEdit {
public:
    explicit CHexEdit(QWidget *parent = nullptr);

    /// Switches to the fixed-pitch font and shows the bytes held (empty without).
    void Attach();
    /// Replaces the bytes held by a copy of `count` bytes at `bytes` and shows
    /// them; null bytes or a count of 0 empty the viewer.
    void SetData(const void *bytes, DWORD count);
    /// The bytes held.
    const std::vector<unsigned char> &GetData() const { return data_; }

    /// The viewer's text for `size` bytes: rows of "%08X", sixteen " %02X"
    /// (00 past the end), two blanks and the sixteen characters (0x20 to 0x7E
    /// as themselves, anything else and every position past the end as "."),
    /// joined by "\r\n" without one after the last row. Empty for no bytes.
    static QString FormatDump(const unsigned char *bytes, std::size_t size);

private:
    void Show();

    std::vector<unsigned char> data_;
};
