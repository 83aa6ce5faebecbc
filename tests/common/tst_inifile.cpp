#include "common/inifile.h"
#include "tests/support/filebytes.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using wagetrove::IniFile;

class TestIniFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    /// A file of its own with `content`; none when content is null.
    QString fileWith(const QByteArray& content)
    {
        static int counter = 0;
        const QString path = m_dir.filePath(u"f%1.ini"_s.arg(++counter));
        return content.isNull() || wagetrove::test::writeBytes(path, content) ? path : QString();
    }

private Q_SLOTS:
    // The value read for a section and key, of any case, each from a file of its own; then a value written.
    void values_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const QByteArray sections = "[Other]\r\nA=1\r\n[Options]\r\nB=2\r\nC=\r\n";
        const QByteArray options =
            "; comment\n[options]\n  remitid =  123 456  \nName=\"  quoted  \"\nNone=\"\"\nLong=" +
            QByteArray(200, 'x') + "\nExact=" + QByteArray(127, 'y') + "\n";
        const auto row = [this](const char* name, const QByteArray& content, const char* section, const char* key,
                                const QString& value) {
            QTest::newRow(name) << IniFile(fileWith(content)).read(QLatin1String(section), QLatin1String(key)) << value;
        };
        row("missing file", QByteArray(), "Options", "A", QString());
        row("key in another section", sections, "Options", "A", QString());
        row("empty value", sections, "Options", "C", QString());
        row("first section", sections, "Other", "A", u"1"_s);
        row("any case, trimmed", options, "OPTIONS", "RemitID", u"123 456"_s);
        row("quotes taken off", options, "Options", "name", u"  quoted  "_s);
        row("two quotes", options, "Options", "None", QString());
        row("cut to 127 characters", options, "Options", "Long", QString(127, u'x'));
        row("127 characters", options, "Options", "Exact", QString(127, u'y'));

        // LastState=11 written into [Options], read back, and the file then.
        const auto written = [this](const char* name, const QByteArray& content, const char* file) {
            const QString path = fileWith(content);
            const IniFile ini(path);
            QTest::newRow(name) << (ini.write(u"Options"_s, u"LastState"_s, u"11"_s)
                                        ? ini.read(u"Options"_s, u"LastState"_s) + u" in "_s +
                                              QString::fromLatin1(wagetrove::test::bytesOf(path))
                                        : u"not written"_s)
                                << u"11 in "_s + QString::fromLatin1(file);
        };
        written("new file", {}, "[Options]\r\nLastState=11\r\n");
        written("key replaced, the rest kept",
                "[Options]\r\nMessage=Y\r\nlaststate=3\r\n\r\n[Other]\r\nLastState=9\r\n",
                "[Options]\r\nMessage=Y\r\nLastState=11\r\n\r\n[Other]\r\nLastState=9\r\n");
        written("key added at the end of its section", "[Options]\nMessage=Y\n\n[Other]\nX=1\n",
                "[Options]\r\nMessage=Y\r\nLastState=11\r\n\r\n[Other]\r\nX=1\r\n");
        written("byte order mark", "\xEF\xBB\xBF[Options]\r\nLastState=3\r\n", "[Options]\r\nLastState=11\r\n");
        // Found by fuzzing: the first mark was dropped on reading, the second made the header no header until
        // the rewritten file lost the first, and the old value came back. Three marks, as any number must go.
        written("three byte order marks, the section twice",
                "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF[Options]\nLastState=3\n[Options]\nLastState=5\n",
                "[Options]\r\nLastState=11\r\n[Options]\r\nLastState=5\r\n");
    }
    void values()
    {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
