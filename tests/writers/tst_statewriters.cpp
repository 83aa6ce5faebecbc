#include "app/datafolder.h"
#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/testenvironment.h"
#include "tests/writers/writerfixture.h"
#include "writers/createcticesafile.h"
#include "writers/createflicesafile.h"
#include "writers/createicesafile.h"
#include "writers/createilicesafile.h"
#include "writers/createmaicesafile.h"
#include "writers/createmapfmlfile.h"
#include "writers/createmdicesafile.h"
#include "writers/createmsicesafile.h"
#include "writers/createncicesafile.h"
#include "writers/createtnicesafile.h"
#include "writers/createwacsvfile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace wagetrove;
using test::bytesOf;
using namespace Qt::Literals::StringLiterals;

namespace {

using Writer = bool (*)(Session&, Dialogs&, const QString&);

const std::pair<StateItem, Writer> kWriters[] = {
    {StateItem::Texas, static_cast<Writer>(CreateICESAFile)},
    {StateItem::Kentucky, static_cast<Writer>(CreateICESAFile)},
    {StateItem::SouthCarolina, static_cast<Writer>(CreateICESAFile)},
    {StateItem::Illinois, static_cast<Writer>(CreateILICESAFile)},
    {StateItem::Florida, static_cast<Writer>(CreateFLICESAFile)},
    {StateItem::Connecticut, CreateCTICESAFile},
    {StateItem::MassachusettsQuest, CreateMAICESAFile},
    {StateItem::MassachusettsPFML, CreateMAPFMLFile},
    {StateItem::Maryland, CreateMDICESAFile},
    {StateItem::Mississippi, CreateMSICESAFile},
    {StateItem::NorthCarolina, CreateNCICESAFile},
    {StateItem::Tennessee, CreateTNICESAFile},
    {StateItem::Washington, CreateWACSVFile},
};

struct Piece
{
    int column;
    QByteArray text;
};

/// The expected bytes of one record: `length` characters holding each piece at its column and blanks between,
/// then `end`. A piece that overlaps the one before it or runs past `length` stops the test, so that a slip in a
/// hand-written layout shows as itself.
QByteArray record(int length, const QList<Piece>& pieces, const QByteArray& end = "\r\n")
{
    QByteArray bytes;
    for (const Piece& piece : pieces) {
        if (piece.column <= bytes.size()) {
            qFatal("expected record: column %d overlaps the piece before it", piece.column);
        }
        bytes += QByteArray(piece.column - 1 - bytes.size(), ' ') + piece.text;
    }
    if (bytes.size() > length) {
        qFatal("expected record: %d characters instead of %d", int(bytes.size()), length);
    }
    return bytes + QByteArray(length - bytes.size(), ' ') + end;
}

/// The employees of addEmployees() as the fixed-width files write them, in LastName order and without the
/// all-zero one: 1234.565 rounds half up, accents are folded, a 21-character last name is cut, "anne" gives A
/// and a blank middle name a blank; hours 520 and 40.5 (rounded up), the owner's first character.
struct EmployeeBytes
{
    QByteArray ss, last, first, middle, gross, excess, taxable, months;
    QByteArray hours = {}, swhWages = {}, swhAmount = {}, owner = {}, blankFree = {};
};
const EmployeeBytes kAbernathy{"123456789",
                               "ABERNATHY WORTHINGTO",
                               "JOSE",
                               "A",
                               "00000000123457",
                               "00000000023457",
                               "00000000100000",
                               "110",
                               "520",
                               "00000000123457",
                               "00000000006173",
                               "Y",
                               "ABERNATHYWORTHINGTON"};
const EmployeeBytes kBaker{"234567890",
                           "BAKER",
                           "ZOE",
                           " ",
                           "00000001134567",
                           "00000000000000",
                           "00000001134567",
                           "011",
                           "041",
                           "00000001134567",
                           "00000000056728",
                           "0",
                           "BAKER"};

template <typename RecordOf>
QByteArray bothEmployees(RecordOf recordOf)
{
    return recordOf(kAbernathy) + recordOf(kBaker);
}

QByteArray letterOnly(char letter)
{
    return record(275, {{1, QByteArray(1, letter)}});
}

// The records Texas, Kentucky, South Carolina and Illinois share; Illinois ends them in a blank.
QByteArray recordA(const QByteArray& date, const QByteArray& end)
{
    return record(275,
                  {{1, "A"},
                   {2, "2024"},
                   {6, "987654321"},
                   {15, "UTAX"},
                   {24, "Payroll Services LLC"},
                   {74, "200 Oak Ave"},
                   {114, "Austin"},
                   {139, "TX"},
                   {154, "78701"},
                   {159, "-4321"},
                   {164, "Pat Jones"},
                   {194, "5125551234"},
                   {214, "Y"},
                   {243, date}},
                  end);
}

QByteArray recordE(const QByteArray& fips, const QByteArray& stateId, const QByteArray& end, const QByteArray& at191)
{
    return record(275,
                  {{1, "E"},
                   {2, "2024"},
                   {6, "123456789"},
                   {24, "Acme Widgets, Inc."},
                   {74, "100 Main St"},
                   {114, "Dallas"},
                   {139, "TX"},
                   {149, "-1234"},
                   {154, "75201"},
                   {167, "UTAX"},
                   {171, fips},
                   {173, stateId},
                   {188, "06"},
                   {190, "0"},
                   {191, at191}},
                  end);
}

/// Kentucky writes the gross wages twice and the excess wages.
QByteArray recordS(const EmployeeBytes& e, const QByteArray& fips, const QByteArray& stateId, bool kentucky,
                   const QByteArray& end)
{
    return record(275,
                  {{1, "S"},
                   {2, e.ss},
                   {11, e.last},
                   {31, e.first},
                   {43, e.middle},
                   {44, fips},
                   {50, kentucky ? e.gross : QByteArray()},
                   {64, e.gross},
                   {78, kentucky ? e.excess : QByteArray()},
                   {92, e.taxable},
                   {143, "UTAX"},
                   {147, stateId},
                   {212, e.months},
                   {215, "062024"}},
                  end);
}

QByteArray recordF(const QByteArray& excess, const QByteArray& end)
{
    return record(275,
                  {{1, "F"},
                   {2, "0000000002"},
                   {12, "0000000001"},
                   {22, "UTAX"},
                   {41, "000000001258024"},
                   {56, excess},
                   {71, "000000001234567"}},
                  end);
}

int recordLength(StateItem state)
{
    return state == StateItem::MassachusettsQuest                         ? 275
           : state == StateItem::Illinois || state == StateItem::Maryland ? 276
                                                                          : 277;
}

} // namespace

class TestStateWriters : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestStateWriters() : WriterFixture(QStringLiteral("STATE.TXT")) {}

private:
    bool write(StateItem state, const QString& path)
    {
        selectState(session(), positionOf(state));
        for (const auto& [item, writer] : kWriters) {
            if (item == state) {
                return writer(session(), m_dialogs, path);
            }
        }
        qFatal("no writer for the state");
    }
    bool write(StateItem state) { return write(state, target()); }

    // Baker is added first, so that only LastName order puts him second; Cole has nothing to report.
    void addEmployees()
    {
        WriterFixture::addEmployees(
            QStringLiteral("SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages, TotalHours, SWHWages, "
                           "SWHAmount, Owner, Month1, Month2, Month3"),
            QStringLiteral("('234567890', 'baker', 'Zoë', ' ', 113456700, 113456700, 405000, 113456700, 5672800, '0', "
                           "0, 1, 1), ('555555555', 'Cole', 'Nobody', '', 0, 0, 100000, 0, 0, '0', 1, 1, 1), "
                           "('123456789', 'Abernathy Worthington', 'José', 'anne', 12345650, 10000000, 5200000, "
                           "12345650, 617250, 'Yes', 1, 1, 0)"));
    }

    void verifyWritten(StateItem state)
    {
        QVERIFY2(write(state), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.Today = QDate(2024, 7, 15);
        s.TaxYear = 2024;
        s.Quarter = QStringLiteral("2");
        s.ToMonthYear = QStringLiteral("062024");
        s.Rate = Currency::fromRaw(3'1000);
        s.ModifiedRate = Currency::fromRaw(3'0250);
        s.TotalWages = Currency::fromRaw(50000'0000);
        s.TaxableTotal = Currency::fromRaw(42000'0000);
        s.Month1Count = 5;
        s.Month2Count = 6;
        s.Month3Count = 7;
        s.RemitID = QStringLiteral("123456");
        s.frmTXMag = {QStringLiteral("Acme Widgets, Inc."),
                      QStringLiteral("100 Main St"),
                      QStringLiteral("Dallas"),
                      QStringLiteral("TX"),
                      QStringLiteral("75201-1234"),
                      QStringLiteral("Payroll Services LLC"),
                      QStringLiteral("200 Oak Ave"),
                      QStringLiteral("Austin"),
                      QStringLiteral("Pat Jones"),
                      QStringLiteral("pat@example.com"),
                      QStringLiteral("TX"),
                      QStringLiteral("78701-4321"),
                      QStringLiteral("98-7654321"),
                      QStringLiteral("512-555-1234")};
        s.Form3.Text1 = QStringLiteral("2");
        s.Form3.Text3 = QStringLiteral("2");
        s.Form3.Text4 = QStringLiteral("1");
        s.Form3.Text7 = QStringLiteral("$382.72");
        s.Form3.Text8 = QStringLiteral("12-3456789");
        s.Form3.Text9 = QStringLiteral("1234567");
        s.Form3.Text10 = QStringLiteral("5");
        s.Form3.Text11 = QStringLiteral("3");
    }

    // One file per layout. Texas: today's date in A, an empty B, the State ID 12-345678-9 as 123456789, taxable
    // 12345.67 at 3.1 percent, county 5 as 005 and the out-of-county count. Kentucky: no B, A dated the last day of
    // the quarter, in 2024 the rate without the 0.075 percent fund share, filed apart. Illinois: the records end in
    // a blank, not CR LF. Florida: the employer name's comma and period as blanks, ZIP+4 as nine digits, the
    // totals and tax due from the session and the totals window, the date ending the file. The header records of
    // Florida and North Carolina carry the session's totals, not the sum of the rows.
    void layout_writtenByteForByte_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray crlf = "\r\n";
        QTest::newRow("Texas") << int(StateItem::Texas) << "12-345678-9"
                               << recordA("07152024", crlf) + letterOnly('B') + recordE("48", "123456789", crlf, "") +
                                      bothEmployees(
                                          [](auto& e) { return recordS(e, "48", "123456789", false, "\r\n"); }) +
                                      record(275, {{1, "T"},
                                                   {2, "0000002"},
                                                   {9, "UTAX"},
                                                   {27, "00000001258024"},
                                                   {55, "00000001234567"},
                                                   {82, ".03100"},
                                                   {88, "0000000038272"},
                                                   {227, "0000002"},
                                                   {234, "0000002"},
                                                   {241, "0000001"},
                                                   {248, "005"},
                                                   {251, "0000003"}}) +
                                      recordF("", crlf);
        QTest::newRow("Kentucky") << int(StateItem::Kentucky) << "1234567"
                                  << recordA("06302024", crlf) + recordE("21", "001234567", crlf, "") +
                                         bothEmployees(
                                             [](auto& e) { return recordS(e, "21", "001234567", true, "\r\n"); }) +
                                         record(275, {{1, "T"},
                                                      {2, "0000002"},
                                                      {9, "UTAX"},
                                                      {13, "00000001258024"},
                                                      {41, "00000000023457"},
                                                      {55, "00000001234567"},
                                                      {69, "0000000037346"},
                                                      {82, ".03025"},
                                                      {145, "00075"},
                                                      {150, "00000000926"},
                                                      {227, "0000002"},
                                                      {234, "0000002"},
                                                      {241, "0000001"}}) +
                                         recordF("", crlf);
        QTest::newRow("South Carolina") << int(StateItem::SouthCarolina) << "1234567"
                                        << recordA("07152024", crlf) + letterOnly('B') +
                                               recordE("45", "123456", crlf, "") + bothEmployees([](auto& e) {
                                                   return recordS(e, "45", "123456", false, "\r\n");
                                               }) +
                                               letterOnly('T') + letterOnly('F');
        QTest::newRow("Illinois") << int(StateItem::Illinois) << "1234567"
                                  << recordA("07152024", " ") +
                                         record(276,
                                                {{1, "B"},
                                                 {2, "2024"},
                                                 {6, "987654321"},
                                                 {28, "ASC"},
                                                 {35, "UTAX"},
                                                 {147, "Payroll Services LLC"},
                                                 {191, "200 Oak Ave"},
                                                 {226, "Austin"},
                                                 {246, "TX"},
                                                 {253, "78701"},
                                                 {263, "ED"}},
                                                "") +
                                         recordE("17", "1234567", " ", "T") + bothEmployees([](auto& e) {
                                             return recordS(e, "17", "1234567", false, " ");
                                         }) +
                                         record(276,
                                                {{1, "T"},
                                                 {2, "0000002"},
                                                 {9, "UTAX"},
                                                 {27, "00000001258024"},
                                                 {41, "00000000023457"},
                                                 {55, "00000001234567"},
                                                 {82, ".03100"},
                                                 {88, "0000000038272"},
                                                 {101, "00000000000"},
                                                 {112, "00000000000"},
                                                 {123, "00000000000"},
                                                 {134, "00000000000"},
                                                 {175, "00000038272"},
                                                 {227, "0000002"},
                                                 {234, "0000002"},
                                                 {241, "0000001"},
                                                 {251, "062024"},
                                                 {258, "0000000001"},
                                                 {268, "1234567"}},
                                                "") +
                                         recordF("000000000023457", " ");
        QTest::newRow("Florida") << int(StateItem::Florida) << " 1234567 "
                                 << record(18, {{1, "00"}, {3, "987654321"}, {12, "1234567"}}) +
                                        record(304, {{1, "01"},
                                                     {3, "123456789"},
                                                     {12, "1234567"},
                                                     {19, "Acme Widgets  Inc"},
                                                     {76, "100 Main St"},
                                                     {98, "Dallas"},
                                                     {120, "TX"},
                                                     {122, "752011234"},
                                                     {131, "2024"},
                                                     {135, "02"},
                                                     {137, "000000005000000"},
                                                     {152, "00000800000"},
                                                     {163, "000000004200000"},
                                                     {178, "00000038272"},
                                                     {189, "000000000"},
                                                     {198, "000000000"},
                                                     {207, "00000038272"},
                                                     {218, "Pat Jones"},
                                                     {245, "5125551234"},
                                                     {255, "pat@example.com"}}) +
                                        bothEmployees([](auto& e) {
                                            return record(104, {{1, "02"},
                                                                {3, e.ss},
                                                                {12, e.first},
                                                                {27, e.middle},
                                                                {28, e.last},
                                                                {48, e.gross.right(11)},
                                                                {59, e.taxable.right(11)},
                                                                {70, "00000000000"},
                                                                {81, "00000000000"},
                                                                {92, "FL"},
                                                                {94, "00000000000"}});
                                        }) +
                                        record(23, {{1, "03"}, {3, "0000002"}, {10, "0000002"}, {17, "0000001"}}) +
                                        record(10, {{1, "99"}, {3, "20240715"}}, "");
        // Connecticut, Massachusetts, Maryland and Mississippi: employee records only. Massachusetts ends them in a
        // carriage return alone and trims the State ID; Maryland, in a carriage return, with no middle initial.
        QTest::newRow("Connecticut") << int(StateItem::Connecticut) << "123456789" << bothEmployees([](auto& e) {
            return record(275, {{1, "S"},
                                {2, e.ss},
                                {11, e.last},
                                {31, e.first},
                                {43, e.middle},
                                {44, "09"},
                                {50, e.gross},
                                {147, "123456789"},
                                {215, "062024"}});
        });
        QTest::newRow("Massachusetts") << int(StateItem::MassachusettsQuest) << " 12345678 "
                                       << bothEmployees([](auto& e) {
                                              return record(274,
                                                            {{1, "S"},
                                                             {2, e.ss},
                                                             {11, e.last},
                                                             {31, e.first},
                                                             {43, e.middle},
                                                             {46, "0"},
                                                             {50, e.gross},
                                                             {132, e.hours},
                                                             {147, "12345678"},
                                                             {162, "0000"},
                                                             {177, e.swhWages},
                                                             {191, e.swhAmount},
                                                             {210, e.owner},
                                                             {212, e.months},
                                                             {215, "062024"}},
                                                            "\r");
                                          });
        QTest::newRow("Maryland") << int(StateItem::Maryland) << "12345678" << bothEmployees([](auto& e) {
            return record(275,
                          {{1, "S"},
                           {2, e.ss},
                           {11, e.last},
                           {31, e.first},
                           {44, "24"},
                           {64, e.gross},
                           {147, "0012345678"},
                           {215, "062024"}},
                          "\r");
        });
        QTest::newRow("Mississippi") << int(StateItem::Mississippi) << "2345678901" << bothEmployees([](auto& e) {
            return record(275, {{1, "S"},
                                {2, e.ss},
                                {11, e.last},
                                {31, e.first},
                                {43, e.middle},
                                {44, "28"},
                                {50, e.gross},
                                {147, "2345678901"},
                                {215, "062024"}});
        });
        // North Carolina: the RemitID set by the user in N and E.
        QTest::newRow("North Carolina") << int(StateItem::NorthCarolina) << "1234567"
                                        << record(275, {{1, "N"},
                                                        {2, "1234567"},
                                                        {9, "2"},
                                                        {10, "2024"},
                                                        {14, "00005"},
                                                        {19, "00006"},
                                                        {24, "00007"},
                                                        {29, "00005000000"},
                                                        {40, "00000800000"},
                                                        {51, "00004200000"},
                                                        {62, "123456"},
                                                        {68, "I"}}) +
                                               record(275, {{1, "E"},
                                                            {6, "123456789"},
                                                            {24, "Acme Widgets, Inc."},
                                                            {74, "100 Main St"},
                                                            {114, "Dallas"},
                                                            {139, "TX"},
                                                            {149, "-1234"},
                                                            {154, "75201"},
                                                            {167, "UTAX"},
                                                            {197, "123456"}}) +
                                               bothEmployees([](auto& e) {
                                                   return record(275, {{1, "S"},
                                                                       {2, e.ss},
                                                                       {11, e.last},
                                                                       {31, e.first},
                                                                       {43, e.middle},
                                                                       {44, "37"},
                                                                       {64, e.gross},
                                                                       {143, "UTAX"},
                                                                       {147, "1234567"},
                                                                       {205, "N"},
                                                                       {215, "062024"}});
                                               });
        // Tennessee: names without their blanks, zeros at 50-63, an empty F record.
        QTest::newRow("Tennessee") << int(StateItem::Tennessee) << "12345678"
                                   << record(275, {{1, "E"},
                                                   {2, "2024"},
                                                   {6, "123456789"},
                                                   {161, "25"},
                                                   {171, "47"},
                                                   {173, "12345678"},
                                                   {188, "06"},
                                                   {190, "0"}}) +
                                          bothEmployees([](auto& e) {
                                              return record(275, {{1, "S"},
                                                                  {2, e.ss},
                                                                  {11, e.blankFree},
                                                                  {31, e.first},
                                                                  {43, e.middle},
                                                                  {44, "47"},
                                                                  {50, "00000000000000"},
                                                                  {64, e.gross}});
                                          }) +
                                          letterOnly('F');
    }
    void layout_writtenByteForByte()
    {
        QFETCH(int, state);
        QFETCH(QString, stateId);
        QFETCH(QByteArray, expected);
        session().Form3.Text9 = stateId;
        addEmployees();
        verifyWritten(StateItem(state));
        const QByteArray file = bytesOf(target());
        for (qsizetype i = 0; i < std::min(file.size(), expected.size()); ++i) {
            QVERIFY2(file[i] == expected[i], qPrintable(QStringLiteral("byte %1:\n expected \"%2\"\n actual   \"%3\"")
                                                            .arg(i)
                                                            .arg(QString::fromLatin1(expected.mid(i, 40)),
                                                                 QString::fromLatin1(file.mid(i, 40)))));
        }
        QCOMPARE(file.size(), expected.size());
    }

    // Name order, not LastName order; the SSN re-cut, an empty one left empty; commas in names as blanks, the middle
    // name's periods removed; hours and wages in their plain forms with up to four decimals; a missing value empty
    // or zero, never the employee's before; an all-zero employee removed; CR LF.
    void washington_writtenByteForByte()
    {
        WriterFixture::addEmployees(
            QStringLiteral("Name, SS, LastName, FirstName, MiddleName, TotalHours, GrossWages, TaxableWages, UnitCode"),
            QStringLiteral("('Zoë Adams', '234567890', 'Adams', 'Zoë', '', 1000, 5, 0, ''), "
                           "('Ann Cole', '555555555', 'Cole', 'Ann', '', 100000, 0, 0, '11-1011'), "
                           "('john smith', '123456789', 'Smith, Jr.', 'John,Paul', 'a.', 1205000, 10000000, 0, "
                           "'15-1252'), ('b', NULL, NULL, NULL, NULL, NULL, 1234567, NULL, NULL)"));
        verifyWritten(StateItem::Washington);
        QCOMPARE(bytesOf(target()), QByteArray(",,,,,0,123.4567,\r\n"
                                               "123-45-6789,SMITH  JR.,JOHN PAUL,A,,120.5,1000,15-1252\r\n"
                                               "234-56-7890,ADAMS,ZOE,,,0.1,0.0005,\r\n"));
    }

    // A missing value is a blank or a zero, never the value of the employee before. The store the checks before
    // filing left open is used and left open.
    void missingValues_writtenAsBlanksAndZeros()
    {
        WriterFixture::addEmployees(
            QStringLiteral("SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages, Month1, Month2, Month3"),
            QStringLiteral("('111111111', 'Adams', 'Ann', 'Lee', 7500000, 5000000, 1, 1, 1), "
                           "('222222222', 'Baker', NULL, NULL, NULL, 2500000, NULL, NULL, NULL), "
                           "(NULL, NULL, 'Cy', '', 1000000, 1000000, 1, 0, 0)"));
        session().Store.open(session().DataFolder + WageStore::kFileName);
        verifyWritten(StateItem::Illinois);
        QVERIFY(session().Store.isOpen());
        const auto s = [](const EmployeeBytes& e) { return recordS(e, "17", "1234567", false, " "); };
        QCOMPARE(bytesOf(target()).mid(3 * 276, 3 * 276),
                 s({"", "", "CY", "", "00000000010000", "", "00000000010000", "100"}) +
                     s({"111111111", "ADAMS", "ANN", "L", "00000000075000", "", "00000000050000", "111"}) +
                     s({"222222222", "BAKER", "", "", "00000000000000", "", "00000000025000", "000"}));
    }

    void stateId_asEachStateWritesIt_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("column");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("KY six") << int(StateItem::Kentucky) << "123456" << 1 << 173 << QByteArray("00123456 ");
        QTest::newRow("KY eight") << int(StateItem::Kentucky) << "12345678" << 2 << 147 << QByteArray("12345678 ");
        QTest::newRow("CT as typed") << int(StateItem::Connecticut) << " 12345678901" << 0 << 147
                                     << QByteArray(" 123456789");
        QTest::newRow("MA nine") << int(StateItem::MassachusettsQuest) << "123456789" << 1 << 147
                                 << QByteArray("12345678 ");
        QTest::newRow("MD seven") << int(StateItem::Maryland) << "1234567" << 0 << 147 << QByteArray("0001234567");
        QTest::newRow("MD empty") << int(StateItem::Maryland) << "" << 0 << 147 << QByteArray("0000000000");
        QTest::newRow("MD leading number")
            << int(StateItem::Maryland) << "12-345" << 1 << 147 << QByteArray("0000000012");
        QTest::newRow("MS long") << int(StateItem::Mississippi) << "1234567890ABCDEFG" << 0 << 147
                                 << QByteArray("1234567890ABCDE");
        QTest::newRow("NC header as typed")
            << int(StateItem::NorthCarolina) << " 123456789" << 0 << 2 << QByteArray(" 123456");
        QTest::newRow("NC S trimmed") << int(StateItem::NorthCarolina) << " 123456789" << 2 << 147
                                      << QByteArray("1234567 ");
        QTest::newRow("TN trimmed") << int(StateItem::Tennessee) << "  123456789 " << 0 << 173
                                    << QByteArray("12345678 ");
    }
    void stateId_asEachStateWritesIt()
    {
        QFETCH(int, state);
        QFETCH(QString, typed);
        QFETCH(int, record);
        QFETCH(int, column);
        QFETCH(QByteArray, written);
        session().Form3.Text9 = typed;
        addEmployees();
        verifyWritten(StateItem(state));
        QCOMPARE(bytesOf(target()).mid(record * recordLength(StateItem(state)) + column - 1, written.size()), written);
    }

    // Taxable wages of 10000.00 at 3.1 percent, or without the fund share at 3.025 percent: the contributions and
    // rate, and the surcharge code and amount, by year and quarter; the session's rate left as it was.
    void kentuckySurcharge_byYearAndQuarter_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QByteArray>("contributionsAndRate");
        QTest::addColumn<QByteArray>("surcharge");
        const QByteArray full = "0000000031000.03100";
        const QByteArray modified = "0000000030250.03025";
        QTest::newRow("2013") << 2013 << "4" << full << QByteArray("                ");
        QTest::newRow("2014") << 2014 << "1" << full << QByteArray("0022000000002200");
        QTest::newRow("2015") << 2015 << "3" << full << QByteArray("0021000000002100");
        QTest::newRow("2016 Q2") << 2016 << "2" << full << QByteArray("0021000000002100");
        QTest::newRow("2016 Q3") << 2016 << "3" << full << QByteArray("                ");
        QTest::newRow("2018 Q2") << 2018 << "2" << full << QByteArray("                ");
        QTest::newRow("2018 Q3") << 2018 << "3" << modified << QByteArray("0007500000000750");
        QTest::newRow("2019") << 2019 << "1" << modified << QByteArray("0007500000000750");
        QTest::newRow("2021") << 2021 << "1" << full << QByteArray("0000000000000000");
        QTest::newRow("2022") << 2022 << "4" << full << QByteArray("0000000000000000");
        QTest::newRow("2023") << 2023 << "2" << modified << QByteArray("0007500000000750");
    }
    void kentuckySurcharge_byYearAndQuarter()
    {
        QFETCH(int, year);
        QFETCH(QString, quarter);
        QFETCH(QByteArray, contributionsAndRate);
        QFETCH(QByteArray, surcharge);
        WriterFixture::addEmployees(QStringLiteral("SS, LastName, GrossWages, TaxableWages"),
                                    QStringLiteral("('111111111', 'Adams', 120000000, 100000000)"));
        session().TaxYear = qint16(year);
        session().Quarter = quarter;
        session().ToMonthYear = QStringLiteral("12%1").arg(year);
        verifyWritten(StateItem::Kentucky);
        const QByteArray t = bytesOf(target()).mid(3 * 277, 277);
        QCOMPARE(t.mid(68, 19), contributionsAndRate);
        QCOMPARE(t.mid(144, 16), surcharge);
        QCOMPARE(session().Rate, Currency::fromRaw(3'1000));
    }

    // Ten characters as typed are the bare digits; other ZIP and phone forms, and an empty tax due box.
    void florida_zipPhoneAndTaxDue_data()
    {
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("taxDue");
        QTest::addColumn<QByteArray>("written"); // columns 122-130, 245-254, 178-188 and 207-217
        QTest::newRow("bare") << "32301"
                              << "9045551234"
                              << "382.72"
                              << QByteArray("32301    9045551234"
                                            "0000003827200000038272");
        QTest::newRow("blanks around") << " 32301-1234 "
                                       << " 904.555.1234 "
                                       << "$1,234.50"
                                       << QByteArray("3230112349045551234"
                                                     "0000012345000000123450");
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << QByteArray("                   "
                                             "0000000000000000000000");
    }
    void florida_zipPhoneAndTaxDue()
    {
        QFETCH(QString, zip);
        QFETCH(QString, phone);
        QFETCH(QString, taxDue);
        QFETCH(QByteArray, written);
        session().frmTXMag.Text5 = zip;
        session().frmTXMag.Text14 = phone;
        session().Form3.Text7 = taxDue;
        verifyWritten(StateItem::Florida);
        const QByteArray r = bytesOf(target()).mid(20, 306);
        QCOMPARE(r.mid(121, 9) + r.mid(244, 10) + r.mid(177, 11) + r.mid(206, 11), written);
    }

    // Hours rounded half up; 999.5 and more stop the file (below).
    void massachusettsHours_data()
    {
        QTest::addColumn<qint64>("hours");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("zero") << qint64(0) << QByteArray("000");
        QTest::newRow("under a half") << qint64(4'4999) << QByteArray("004");
        QTest::newRow("last that fits") << qint64(999'4999) << QByteArray("999");
    }
    void massachusettsHours()
    {
        QFETCH(qint64, hours);
        QFETCH(QByteArray, written);
        addEmployees();
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Employee SET TotalHours = %1 WHERE SS = '123456789'").arg(hours)));
        verifyWritten(StateItem::MassachusettsQuest);
        QCOMPARE(bytesOf(target()).mid(131, 3), written);
    }

    // The writers with nothing but employee records replace last quarter's file with an empty one.
    void emptyTable_writesAnEmptyFile_data()
    {
        QTest::addColumn<int>("state");
        for (const StateItem state : {StateItem::Connecticut, StateItem::MassachusettsQuest, StateItem::Maryland,
                                      StateItem::Mississippi, StateItem::Washington}) {
            QTest::newRow(qPrintable(stateAt(positionOf(state)).code)) << int(state);
        }
    }
    void emptyTable_writesAnEmptyFile()
    {
        QFETCH(int, state);
        placeExistingFile();
        verifyWritten(StateItem(state));
        QVERIFY(QFile::exists(target()));
        QCOMPARE(bytesOf(target()), QByteArray());
    }

    // A value that cannot be written stops the file, naming the file, the record or employee and the columns.
    // Baker's row is changed as given, or a totals box.
    void valueThatCannotBeWritten_stopsTheFile_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("bakerChange");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("boxValue");
        QTest::addColumn<QStringList>("messageParts");
        const QString baker = u"Employee baker, Zoë (SS 234567890)"_s;
        const char* const negative = "GrossWages = -50000";
        const auto row = [](const char* name, StateItem state, const char* change, int box, const char* value,
                            const QStringList& parts) {
            QTest::newRow(name) << int(state) << QString::fromUtf8(change) << box << QString::fromUtf8(value) << parts;
        };
        row("TX negative", StateItem::Texas, negative, 0, "",
            {u"The Texas wage file was not written. "_s + baker +
             u": GrossWages (columns 64-77): The amount -5 is negative"_s});
        row("TX county code of four digits", StateItem::Texas, "", 10, "1005",
            {u"The Texas wage file was not written. The employer totals record (T): County code (columns 248-250)"_s});
        row("KY excess negative", StateItem::Kentucky, "TaxableWages = 200000000", 0, "",
            {u"The Kentucky wage file was not written. "_s + baker +
             u": Excess wages (GrossWages minus TaxableWages) (columns 78-91)"_s});
        row("SC negative", StateItem::SouthCarolina, negative, 0, "",
            {u"The South Carolina wage file was not written. "_s + baker + u": GrossWages (columns 64-77)"_s});
        row("IL negative", StateItem::Illinois, negative, 0, "",
            {u"The Illinois wage file was not written. "_s + baker + u": GrossWages (columns 64-77)"_s});
        row("IL total excess negative", StateItem::Illinois, "TaxableWages = 2000000000", 0, "",
            {u"The employer totals record (T): Excess wages (gross minus taxable) (columns 41-54)"_s});
        row("FL negative", StateItem::Florida, negative, 0, "",
            {u"The Florida UCT-6 file was not written. "_s + baker + u": GrossWages (columns 48-58)"_s});
        row("FL tax due not an amount", StateItem::Florida, "", 7, "12 dollars",
            {u"The employer record (01): Tax due (columns 178-188): The tax due \"12 dollars\" is not an amount."_s});
        row("CT negative", StateItem::Connecticut, negative, 0, "",
            {u"The Connecticut wage file was not written. "_s + baker + u": GrossWages (columns 50-63)"_s});
        row("MA hours rounding to 1000", StateItem::MassachusettsQuest, "TotalHours = 9995000", 0, "",
            {u"The Massachusetts Quest wage file was not written. "_s + baker + u": TotalHours (columns 132-134)"_s});
        row("MD State ID of nine digits", StateItem::Maryland, "", 9, "123456789",
            {u"The Maryland wage file was not written."_s, u"State ID (columns 149-156)"_s});
        row("MS negative", StateItem::Mississippi, negative, 0, "",
            {u"The Mississippi wage file was not written. "_s + baker + u": GrossWages (columns 50-63)"_s});
        row("NC negative", StateItem::NorthCarolina, negative, 0, "",
            {u"The North Carolina wage file was not written. "_s + baker + u": GrossWages (columns 64-77)"_s});
        row("TN negative", StateItem::Tennessee, negative, 0, "",
            {u"The Tennessee wage file was not written. "_s + baker + u": GrossWages (columns 64-77)"_s});
        row("WA eight-digit SSN", StateItem::Washington, "SS = '12345678'", 0, "",
            {u"The Washington wage file was not written. Employee baker, Zoë (SS 12345678): The Social Security "_s
             u"number \"12345678\" is not nine digits."_s});
        row("WA SSN with dashes", StateItem::Washington, "SS = '123-45-6789'", 0, "",
            {u"\"123-45-6789\" is not nine digits."_s});
        row("WA negative wages", StateItem::Washington, "GrossWages = -10000", 0, "",
            {baker + u": The GrossWages -1 is negative."_s});
        row("WA negative hours", StateItem::Washington, "TotalHours = -5000", 0, "",
            {baker + u": The TotalHours -0.5 is negative."_s});
        row("WA comma in SOC code", StateItem::Washington, "UnitCode = '15-1252,1'", 0, "",
            {baker + u": The SOC code \"15-1252,1\" holds a comma."_s});
    }
    void valueThatCannotBeWritten_stopsTheFile()
    {
        QFETCH(int, state);
        QFETCH(QString, bakerChange);
        QFETCH(int, box);
        QFETCH(QString, boxValue);
        QFETCH(QStringList, messageParts);
        addEmployees();
        if (!bakerChange.isEmpty()) {
            QVERIFY(m_store->exec(QStringLiteral("UPDATE Employee SET %1 WHERE SS = '234567890'").arg(bakerChange)));
        }
        if (box != 0) {
            session().Form3.box(box) = boxValue;
        }
        placeExistingFile();
        QVERIFY(!write(StateItem(state)));
        verifyStopped(messageParts, kApplicationTitle);
    }

    // Without its store each writer shows its own message; an ICESA writer asked for a state it does not write
    // does the same.
    void missingStore_showsTheWritersOwnError_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("writer");
        QTest::newRow("TX") << int(StateItem::Texas) << "CreateICESAFile";
        QTest::newRow("IL") << int(StateItem::Illinois) << "CreateICESAFile";
        QTest::newRow("FL") << int(StateItem::Florida) << "CreateICESAFile";
        QTest::newRow("CT") << int(StateItem::Connecticut) << "CreateCTICESAFile";
        QTest::newRow("MA") << int(StateItem::MassachusettsQuest) << "CreateMAICESAFile";
        QTest::newRow("MA PFML") << int(StateItem::MassachusettsPFML) << "CreateMAPFMLFile";
        QTest::newRow("MD") << int(StateItem::Maryland) << "CreateMDICESAFile";
        QTest::newRow("MS") << int(StateItem::Mississippi) << "CreateMSICESAFile";
        QTest::newRow("NC") << int(StateItem::NorthCarolina) << "CreateNCICESAFile";
        QTest::newRow("TN") << int(StateItem::Tennessee) << "CreateTNICESAFile";
        QTest::newRow("WA") << int(StateItem::Washington) << "CreateWACSVFile";
        QTest::newRow("ICESA for Illinois") << -1 << "CreateICESAFile";
    }
    void missingStore_showsTheWritersOwnError()
    {
        QFETCH(int, state);
        QFETCH(QString, writer);
        placeExistingFile();
        if (state == -1) {
            selectState(session(), positionOf(StateItem::Illinois));
            QVERIFY(!CreateICESAFile(session(), m_dialogs, target()));
        } else {
            QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
            QVERIFY(!write(StateItem(state)));
        }
        QCOMPARE(m_dialogs.messages(),
                 QStringList{QStringLiteral("Unexpected Error has occured in %1. Try Again.").arg(writer)});
        verifyStopped({}, QStringLiteral("Error"));
    }

    // Tests run as root, so a read-only folder would not stop the write: the target's folder is a file.
    void unwritableTarget_leavesNoFileAndNamesThePathAndReason_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("target"); // under the output folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("its folder is a file") << int(StateItem::Illinois) << "CreateICESAFile"
                                              << "not-a-folder/L1234567.242"
                                              << "Not a directory";
        QTest::newRow("its folder is missing") << int(StateItem::Illinois) << "CreateICESAFile"
                                               << "missing/L1234567.242"
                                               << "No such file or directory";
        QTest::newRow("it is a folder") << int(StateItem::Illinois) << "CreateICESAFile"
                                        << "a-folder"
                                        << "it is a folder, not a file";
        QTest::newRow("PFML workbook") << int(StateItem::MassachusettsPFML) << "CreateMAPFMLFile"
                                       << "missing/PFML.xlsx"
                                       << "No such file or directory";
    }
    void unwritableTarget_leavesNoFileAndNamesThePathAndReason()
    {
        QFETCH(int, state);
        QFETCH(QString, writer);
        QFETCH(QString, target);
        QFETCH(QString, reason);
        addEmployees();
        QVERIFY(QFile::copy(test::programFolder() + QStringLiteral("/PFML.xlsx"),
                            session().DataFolder + kPfmlTemplateName));
        QVERIFY(test::writeBytes(m_out.filePath(QStringLiteral("not-a-folder")), ""));
        QVERIFY(QDir(m_out.path()).mkdir(QStringLiteral("a-folder")));
        const QString path = m_out.filePath(target);
        QVERIFY(!write(StateItem(state), path));
        QCOMPARE(m_dialogs.messages(),
                 QStringList{QStringLiteral("Unexpected Error has occured in %1. Try Again.\r\n%2: %3")
                                 .arg(writer, QDir::toNativeSeparators(path), reason)});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("a-folder"), QStringLiteral("not-a-folder")}));
    }

    void moreThan32767Employees_counted()
    {
        QVERIFY(m_store->exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768) "
            "INSERT INTO Employee (SS, LastName, GrossWages, TaxableWages) SELECT printf('%09d', i), 'X', 10000, "
            "10000 FROM n")));
        verifyWritten(StateItem::Illinois);
        const QByteArray file = bytesOf(target());
        QCOMPARE(file.size(), (5 + 32768) * 276);
        QCOMPARE(file.mid(file.size() - 2 * 276 + 1, 7), QByteArray("0032768"));
        QCOMPARE(file.mid(file.size() - 276 + 1, 10), QByteArray("0000032768"));
    }
};

QTEST_GUILESS_MAIN(TestStateWriters)
#include "tst_statewriters.moc"
