#include "common/inifile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <optional>

namespace wagetrove {
namespace {

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    // Every byte order mark before the first line goes, not only the first: one left would hide the first
    // header until a rewrite dropped the one before it.
    qsizetype marks = 0;
    while (marks < text.size() && text.at(marks) == QChar(QChar::ByteOrderMark)) {
        ++marks;
    }
    text.remove(0, marks);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

/// The section's name when the line is a "[Section]" header.
std::optional<QString> sectionHeader(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    }
    return std::nullopt;
}

/// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<QString> keyOf(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0 || line.trimmed().startsWith(QLatin1Char(';'))) {
        return std::nullopt;
    }
    return line.left(equals).trimmed();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::read(const QString& section, const QString& key) const
{
    bool inSection = false;
    for (const QString& line : readLines(m_path)) {
        if (const auto header = sectionHeader(line)) {
            inSection = sameName(*header, section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto lineKey = keyOf(line);
        if (!lineKey || !sameName(*lineKey, key)) {
            continue;
        }
        QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
        // A value wrapped in matching quotes is read without them.
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front()) {
            value = value.mid(1, value.size() - 2);
        }
        return value.left(kMaxValueLength);
    }
    return {};
}

bool IniFile::write(const QString& section, const QString& key, const QString& value) const
{
    QStringList lines = readLines(m_path);
    const QString newLine = key + QLatin1Char('=') + value;

    qsizetype sectionStart = -1; // index of the header line
    qsizetype sectionEnd = -1;   // index after the section's last non-empty line
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size() && !replaced; ++i) {
        if (const auto header = sectionHeader(lines[i])) {
            if (sectionStart >= 0) {
                break; // the next section begins
            }
            if (sameName(*header, section)) {
                sectionStart = i;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (sectionStart < 0) {
            continue;
        }
        if (!lines[i].trimmed().isEmpty()) {
            sectionEnd = i + 1;
        }
        const auto lineKey = keyOf(lines[i]);
        if (lineKey && sameName(*lineKey, key)) {
            lines[i] = newLine;
            replaced = true;
        }
    }
    if (!replaced) {
        if (sectionStart < 0) {
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(newLine);
        } else {
            lines.insert(sectionEnd, newLine);
        }
    }

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(lines.join(QStringLiteral("\r\n")).toUtf8());
    file.write("\r\n");
    return file.commit();
}

} // namespace wagetrove
