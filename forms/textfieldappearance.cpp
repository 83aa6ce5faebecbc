#include "forms/textfieldappearance.h"

#include "forms/winansi.h"

#include <QRegularExpression>

#include <algorithm>

namespace wagetrove {
namespace {

// Every glyph of a monospaced standard font is 0.6 em wide.
constexpr double kAdvance = 0.6;
// From the baseline to the middle of the capitals, in em.
constexpr double kHalfCapHeight = 0.28;
constexpr double kLeading = 1.15;
constexpr double kPadding = 2;

QByteArray number(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 3);
    while (text.endsWith('0')) {
        text.chop(1);
    }
    if (text.endsWith('.')) {
        text.chop(1);
    }
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray pdfString(const QByteArray& bytes)
{
    QByteArray escaped = "(";
    for (const char byte : bytes) {
        if (byte == '(' || byte == ')' || byte == '\\') {
            escaped += '\\';
        }
        escaped += byte;
    }
    return escaped + ')';
}

} // namespace

QByteArray textFieldAppearance(const TextFieldLook& look, const QString& value)
{
    QList<QByteArray> lines;
    if (look.multiline) {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        for (const QString& line : value.split(lineBreak)) {
            lines.append(toWinAnsi(line));
        }
    } else {
        lines.append(toWinAnsi(value));
    }
    qsizetype longest = 0;
    for (const QByteArray& line : lines) {
        longest = std::max(longest, line.size());
    }

    const double innerWidth = std::max(0.0, look.width - 2 * kPadding);
    const double innerHeight = std::max(0.0, look.height - 2 * kPadding);
    double size = look.fontSize;
    if (longest > 0) {
        size = std::min(size, innerWidth / (kAdvance * static_cast<double>(longest)));
    }
    size = std::min(size, innerHeight / (kLeading * static_cast<double>(lines.size())));

    const double leading = kLeading * size;
    // The block of lines is centred in the box.
    double baseline = look.height / 2 + static_cast<double>(lines.size() - 1) * leading / 2 - kHalfCapHeight * size;

    QByteArray content = "/Tx BMC\nq\n";
    content += number(kPadding / 2) + ' ' + number(kPadding / 2) + ' ' + number(look.width - kPadding) + ' ' +
               number(look.height - kPadding) + " re W n\nBT\n/" + look.fontName + ' ' + number(size) + " Tf\n0 g\n";
    for (const QByteArray& line : lines) {
        const double lineWidth = kAdvance * size * static_cast<double>(line.size());
        double x = kPadding;
        if (look.quadding == 1) {
            x = (look.width - lineWidth) / 2;
        } else if (look.quadding == 2) {
            x = look.width - kPadding - lineWidth;
        }
        content += "1 0 0 1 " + number(x) + ' ' + number(baseline) + " Tm\n" + pdfString(line) + " Tj\n";
        baseline -= leading;
    }
    return content + "ET\nQ\nEMC\n";
}

} // namespace wagetrove
