#include "common/lettercase.h"

#include <optional>

namespace wagetrove {
namespace {

/// The text with its ASCII letters from `from` to `to` shifted into the other case, or nothing when it holds a
/// character beyond ASCII. A text with nothing to change is returned shared, without a copy.
std::optional<QString> shiftedAscii(const QString& text, char16_t from, char16_t to)
{
    const char16_t* const begin = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = begin + text.size();
    qsizetype first = -1;
    for (const char16_t* c = begin; c != end; ++c) {
        if (*c >= 0x80) {
            return std::nullopt;
        }
        if (first < 0 && *c >= from && *c <= to) {
            first = c - begin;
        }
    }
    if (first < 0) {
        return text;
    }
    QString shifted = text;
    char16_t* const data = reinterpret_cast<char16_t*>(shifted.data());
    for (qsizetype i = first; i < shifted.size(); ++i) {
        if (data[i] >= from && data[i] <= to) {
            data[i] = char16_t(data[i] ^ 0x20);
        }
    }
    return shifted;
}

} // namespace

QString upperCased(const QString& text)
{
    std::optional<QString> upper = shiftedAscii(text, u'a', u'z');
    return upper ? *std::move(upper) : text.toUpper();
}

QString caseFolded(const QString& text)
{
    std::optional<QString> folded = shiftedAscii(text, u'A', u'Z');
    return folded ? *std::move(folded) : text.toCaseFolded();
}

} // namespace wagetrove
