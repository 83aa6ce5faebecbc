#pragma once

#include "app/session.h"
#include "tests/support/filebytes.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace wagetrove::test {

/// Fills a window's boxes Text1, Text2, … in turn from `texts`, separated by "|".
template <typename Boxes>
void fillBoxes(Boxes& boxes, const QString& texts)
{
    const QStringList values = texts.split(QLatin1Char('|'));
    for (int i = 0; i < values.size(); ++i) {
        boxes.box(i + 1) = values[i];
    }
}

/// A store, scripted dialogs and an output folder holding one target file: for tests of the file writers. Test
/// classes inherit it next to QObject and call resetWriter() from init().
class WriterFixture
{
protected:
    explicit WriterFixture(const QString& fileName) : m_fileName(fileName) {}

    /// A new store and dialogs, and an empty output folder.
    void resetWriter()
    {
        m_store = std::make_unique<StoreFixture>();
        m_dialogs = ScriptedDialogs();
        QDir(m_out.path()).removeRecursively();
        QDir().mkpath(m_out.path());
    }
    Session& session() { return m_store->session(); }
    QString target() const { return m_out.filePath(m_fileName); }
    /// Inserts Employee rows: `rows` is one or more parenthesised value lists in the order of `columns`.
    void addEmployees(const QString& columns, const QString& rows)
    {
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (%1) VALUES %2").arg(columns, rows)));
    }
    /// Last quarter's file at the target, for a failed write to leave alone.
    void placeExistingFile() { QVERIFY(writeBytes(target(), kExistingFile)); }
    /// One message shown, titled `title` and holding every part; the file placed before untouched, no other file
    /// left in the output folder and the hourglass restored.
    void verifyStopped(const QStringList& messageParts, const QString& title)
    {
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().title, title);
        for (const QString& part : messageParts) {
            QVERIFY2(m_dialogs.calls().first().text.contains(part), qPrintable(m_dialogs.calls().first().text));
        }
        QCOMPARE(bytesOf(target()), kExistingFile);
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files), QStringList{m_fileName});
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

    std::unique_ptr<StoreFixture> m_store;
    ScriptedDialogs m_dialogs;
    QTemporaryDir m_out;

private:
    inline static const QByteArray kExistingFile = "last quarter's file";
    QString m_fileName;
};

} // namespace wagetrove::test
