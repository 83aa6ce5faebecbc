// The settings file as the user or another program left it: the bytes become the file, a few keys are read, one
// is written, and the keys are read again. Writing a key must make it read back as written and leave every other
// key reading as before.
#include "common/inifile.h"
#include "fuzz/fuzzsupport.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>

using wagetrove::IniFile;
using wagetrove::fuzz::require;

namespace {

using Key = std::pair<QString, QString>; // section, key

const QString& settingsPath()
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("settings.ini"));
    return path;
}

/// A name the writer can set and the reader find again: ASCII letters, digits and a few marks, no blanks around.
bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name.trimmed() != name || name.startsWith(QLatin1Char(';'))) {
        return false;
    }
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && !QStringLiteral(" _.-").contains(c)) {
            return false;
        }
    }
    return true;
}

/// The keys to read: some fixed ones and the first few the file itself names, each with its section.
QList<Key> keysNamedIn(const QByteArray& bytes)
{
    QList<Key> keys{{QStringLiteral("Settings"), QStringLiteral("Rate")},
                    {QStringLiteral("Company"), QStringLiteral("Name")}};
    QString section;
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals).trimmed();
        if (equals > 0 && isPlainName(section) && isPlainName(key)) {
            keys.append({section, key});
            if (keys.size() == 6) {
                break;
            }
        }
    }
    return keys;
}

bool sameKey(const Key& a, const Key& b)
{
    return a.first.compare(b.first, Qt::CaseInsensitive) == 0 && a.second.compare(b.second, Qt::CaseInsensitive) == 0;
}

QStringList readAll(const IniFile& ini, const QList<Key>& keys)
{
    QStringList values;
    for (const Key& key : keys) {
        const QString value = ini.read(key.first, key.second);
        require(value.size() <= IniFile::kMaxValueLength);
        values.append(value);
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = wagetrove::fuzz::bytesOf(data, size);
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            return 0;
        }
    }
    const IniFile ini(settingsPath());
    const QList<Key> keys = keysNamedIn(bytes);
    const QStringList before = readAll(ini, keys);

    // The last key the file names, so that a key already there is replaced; with none, a new one is added.
    const Key written = keys.size() > 2 ? keys.last() : Key{QStringLiteral("Settings"), QStringLiteral("Written")};
    const QString value = QStringLiteral("written value %1").arg(size);
    if (!ini.write(written.first, written.second, value)) {
        return 0;
    }
    require(ini.read(written.first, written.second) == value);
    const QStringList after = readAll(ini, keys);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        require(sameKey(keys[i], written) || after[i] == before[i]);
    }
    return 0;
}
