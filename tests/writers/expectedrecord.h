#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <algorithm>

namespace wagetrove::test {

/// Expected bytes of one record written out from a layout table: each piece names the column it starts at, so a
/// slip in the hand-written table shows as a misplaced column rather than a silent shift. `length` counts every
/// byte of the record, its line end included.
class Expected
{
public:
    explicit Expected(int length) : m_length(length) {}

    Expected& at(int column, const QByteArray& text)
    {
        if (m_bytes.size() + 1 != column) {
            qFatal("expected record: column %d written at %d", column, int(m_bytes.size()) + 1);
        }
        m_bytes += text;
        return *this;
    }
    Expected& blanks(int column, int count) { return at(column, QByteArray(count, ' ')); }
    /// A text shorter than its field, padded with blanks by hand.
    Expected& padded(int column, const QByteArray& text, int width)
    {
        if (text.size() > width) {
            qFatal("expected record: \"%s\" is wider than %d", text.constData(), width);
        }
        return at(column, text + QByteArray(width - text.size(), ' '));
    }
    /// Carriage return and line feed at `column`.
    Expected& crlf(int column) { return at(column, "\r\n"); }
    operator QByteArray() const
    {
        if (m_bytes.size() != m_length) {
            qFatal("expected record: %d bytes instead of %d", int(m_bytes.size()), m_length);
        }
        return m_bytes;
    }

private:
    int m_length;
    QByteArray m_bytes;
};

/// A record of `length` bytes: its letter, blanks, and `lineEnd`.
inline QByteArray letterAndBlanks(char letter, int length, const QByteArray& lineEnd)
{
    return QByteArray(1, letter) + QByteArray(length - 1 - lineEnd.size(), ' ') + lineEnd;
}

/// Where two files of fixed-length records first differ, by record and column; empty when they are equal.
inline QString firstDifference(const QByteArray& actual, const QByteArray& expected, int recordLength)
{
    const qsizetype common = std::min(actual.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            const qsizetype record = i / recordLength;
            return QStringLiteral("record %1 (%2), column %3:\n expected \"%4\"\n actual   \"%5\"")
                .arg(record + 1)
                .arg(QLatin1Char(expected[record * recordLength]))
                .arg(i % recordLength + 1)
                .arg(QString::fromLatin1(expected.mid(i, 40)), QString::fromLatin1(actual.mid(i, 40)));
        }
    }
    return actual.size() == expected.size()
               ? QString()
               : QStringLiteral("%1 bytes instead of %2").arg(actual.size()).arg(expected.size());
}

inline QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace wagetrove::test

#define COMPARE_FILE(path, expected, recordLength)                                                                     \
    do {                                                                                                               \
        const QString difference =                                                                                     \
            wagetrove::test::firstDifference(wagetrove::test::contentsOf(path), expected, recordLength);               \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                                        \
    } while (false)
