#include "common/accelerators.h"

namespace wagetrove {
namespace {

/// The position of the letter the caption takes, or -1: word starts first, then any letter.
qsizetype chosenLetter(const QString& caption, const QString& taken)
{
    const auto isFree = [&](qsizetype i) {
        return caption[i].isLetterOrNumber() && !taken.contains(caption[i].toLower());
    };
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const bool wordStart = i == 0 || !caption[i - 1].isLetterOrNumber();
        if (wordStart && isFree(i)) {
            return i;
        }
    }
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (isFree(i)) {
            return i;
        }
    }
    return -1;
}

} // namespace

QStringList withAccelerators(const QStringList& captions, const QString& reserved)
{
    QString taken = reserved.toLower();
    QStringList marked;
    for (const QString& caption : captions) {
        const qsizetype letter = chosenLetter(caption, taken);
        QString text;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            if (i == letter) {
                text += QLatin1Char('&');
                taken += caption[i].toLower();
            }
            text += caption[i];
            if (caption[i] == QLatin1Char('&')) {
                text += QLatin1Char('&');
            }
        }
        marked << text;
    }
    return marked;
}

QString withoutAccelerator(const QString& caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                text += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        text += caption[i];
    }
    return text;
}

} // namespace wagetrove
