#include "tests/writers/writerfixture.h"

#include "tests/writers/expectedrecord.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace wagetrove::test {

namespace {

const QByteArray kExistingFile("last quarter's file");

} // namespace

WriterFixture::WriterFixture(const QString& fileName, const QString& employeeColumns)
    : m_fileName(fileName), m_employeeColumns(employeeColumns)
{}

void WriterFixture::resetWriter()
{
    m_store = std::make_unique<StoreFixture>();
    m_dialogs = ScriptedDialogs();
    QDir(m_out.path()).removeRecursively();
    QDir().mkpath(m_out.path());
}

QString WriterFixture::target() const
{
    return m_out.filePath(m_fileName);
}

void WriterFixture::addEmployee(const QString& values)
{
    QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (%1) VALUES (%2)").arg(m_employeeColumns, values)));
}

void WriterFixture::placeExistingFile()
{
    QFile old(target());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(kExistingFile);
}

void WriterFixture::verifyStopped(const QStringList& messageParts, const QString& title)
{
    QCOMPARE(m_dialogs.calls().size(), 1);
    if (!title.isNull()) {
        QCOMPARE(m_dialogs.calls().first().title, title);
    }
    for (const QString& part : messageParts) {
        QVERIFY2(m_dialogs.calls().first().text.contains(part), qPrintable(m_dialogs.calls().first().text));
    }
    QCOMPARE(contentsOf(target()), kExistingFile);
    QCOMPARE(QDir(m_out.path()).entryList(QDir::Files), QStringList{m_fileName});
    QCOMPARE(m_dialogs.busyDepth(), 0);
}

void WriterFixture::verifyErrorShown(const QString& text)
{
    QCOMPARE(m_dialogs.calls().size(), 1);
    QCOMPARE(m_dialogs.calls().first().text, text);
    QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
    QCOMPARE(contentsOf(target()), kExistingFile);
    QCOMPARE(m_dialogs.busyDepth(), 0);
}

} // namespace wagetrove::test
