#include "forms/winansi.h"

#include <QList>

namespace wagetrove {
namespace {

// The characters of bytes 0x80 to 0x9F, where WinAnsiEncoding differs from Latin-1; 0 where it has none.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char encode(uint character)
{
    if (character < 0x20) {
        return ' ';
    }
    if (character < 0x7F || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<char>(character);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == character) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

} // namespace

QByteArray toWinAnsi(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const uint character : text.toUcs4()) {
        bytes += encode(character);
    }
    return bytes;
}

} // namespace wagetrove
