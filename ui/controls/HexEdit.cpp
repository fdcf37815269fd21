#include <ui/controls/HexEdit.h>

#include <window/Fonts.h>

namespace {

constexpr std::size_t kBytesPerRow = 16;
// Offset (8) and values (16 x 3) take 56 characters; the characters follow after two blanks.
constexpr const char *kCharacterGap = "  ";

QChar Printable(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E ? QChar(byte) : QChar(u'.');
}

} // namespace

CHexEdit::CHexEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // A row is a unit: it is never wrapped.
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void CHexEdit::Attach()
{
    setFont(win::GetStockFont(win::StockFont::AnsiFixed));
    Show();
}

void CHexEdit::SetData(const void *bytes, DWORD count)
{
    data_.clear();
    if (bytes && count > 0) {
        const auto *first = static_cast<const unsigned char *>(bytes);
        data_.assign(first, first + count);
    }
    Show();
}

void CHexEdit::Show()
{
    setReadOnly(true);
    setPlainText(FormatDump(data_.data(), data_.size()));
}

QString CHexEdit::FormatDump(const unsigned char *bytes, std::size_t size)
{
    QString text;
    if (!bytes || size == 0)
        return text;
    const std::size_t rows = (size + kBytesPerRow - 1) / kBytesPerRow;
    text.reserve(static_cast<qsizetype>(rows * 76));
    for (std::size_t row = 0; row < rows; ++row) {
        if (row > 0)
            text += QStringLiteral("\r\n");
        const std::size_t first = row * kBytesPerRow;
        text += QString::asprintf("%08lX", static_cast<unsigned long>(first));
        QString characters;
        for (std::size_t i = first; i < first + kBytesPerRow; ++i) {
            const bool inData = i < size;
            const unsigned char byte = inData ? bytes[i] : 0;
            text += QString::asprintf(" %02X", static_cast<unsigned>(byte));
            characters += inData ? Printable(byte) : QChar(u'.');
        }
        text += QLatin1String(kCharacterGap);
        text += characters;
    }
    return text;
}
