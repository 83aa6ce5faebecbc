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

/// The expected bytes of records, one layout each: its text, in which "{N}" stands for the blanks up to column N
/// of the record, then its line end. A column the record has already passed stops the test, so that a slip in a
/// hand-written layout shows as itself.
QByteArray records(std::initializer_list<QByteArray> layouts)
{
    QByteArray bytes;
    for (const QByteArray& layout : layouts) {
        QByteArray record;
        for (qsizetype i = 0; i < layout.size(); ++i) {
            if (layout[i] != '{') {
                record += layout[i];
                continue;
            }
            const qsizetype close = layout.indexOf('}', i);
            const int column = layout.mid(i + 1, close - i - 1).toInt();
            if (column <= record.size()) {
                qFatal("expected record: column %d is already passed in \"%s\"", column, layout.constData());
            }
            record += QByteArray(column - 1 - record.size(), ' ');
            i = close;
        }
        bytes += record;
    }
    return bytes;
}

QByteArray recordA(const char* date, const char* end = "\r\n")
{
    return "A2024987654321UTAX{24}Payroll Services LLC{74}200 Oak Ave{114}Austin{139}TX{154}78701-4321Pat Jones"
           "{194}5125551234{214}Y{243}"_ba +
           date + "{276}" + end;
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

    // Baker is added first, so that only LastName order puts him second; Cole has nothing to report. Abernathy's
    // 1234.565 rounds half up, the accents are folded, the 21-character last name is cut, "anne" gives A and
    // Baker's blank middle name a blank; hours 520 and 40.5 (rounded up), the owner's first character.
    void addEmployees()
    {
        WriterFixture::addEmployees(
            u"SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages, TotalHours, SWHWages, SWHAmount, Owner, "
            "Month1, Month2, Month3"_s,
            u"('234567890', 'baker', 'Zoë', ' ', 113456700, 113456700, 405000, 113456700, 5672800, '0', 0, 1, 1), "
            "('555555555', 'Cole', 'Nobody', '', 0, 0, 100000, 0, 0, '0', 1, 1, 1), ('123456789', "
            "'Abernathy Worthington', 'José', 'anne', 12345650, 10000000, 5200000, 12345650, 617250, 'Yes', 1, 1, 0)"_s);
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
        s.Quarter = u"2"_s;
        s.ToMonthYear = u"062024"_s;
        s.Rate = Currency::fromRaw(3'1000);
        s.ModifiedRate = Currency::fromRaw(3'0250);
        s.TotalWages = Currency::fromRaw(50000'0000);
        s.TaxableTotal = Currency::fromRaw(42000'0000);
        s.Month1Count = 5;
        s.Month2Count = 6;
        s.Month3Count = 7;
        s.RemitID = u"123456"_s;
        test::fillBoxes(s.frmTXMag, u"Acme Widgets, Inc.|100 Main St|Dallas|TX|75201-1234|Payroll Services LLC|"
                                    "200 Oak Ave|Austin|Pat Jones|pat@example.com|TX|78701-4321|98-7654321|"
                                    "512-555-1234"_s);
        test::fillBoxes(s.Form3, u"2||2|1|||$382.72|12-3456789|1234567|5|3"_s);
    }

    // One file per layout. Texas: today's date in A, an empty B, the State ID 12-345678-9 as 123456789, taxable
    // 12345.67 at 3.1 percent, county 5 as 005 and the out-of-county count. Kentucky: no B, A dated the last day of
    // the quarter, in 2024 the rate without the 0.075 percent fund share, filed apart. Illinois: the records end in
    // a blank, not CR LF. Florida: the employer name's comma and period as blanks, ZIP+4 as nine digits, the
    // totals and tax due from the session and the totals window, the date ending the file. The header records of
    // Florida and North Carolina carry the session's totals, not the sum of the rows. Connecticut, Massachusetts,
    // Maryland and Mississippi: employee records only; Massachusetts ends them in a carriage return alone and trims
    // the State ID, Maryland in a carriage return, with no middle initial. North Carolina: the RemitID in N and E.
    // Tennessee: names without their blanks, zeros at 50-63, an empty F record.
    void layout_writtenByteForByte_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, StateItem state, const char* stateId, const QByteArray& expected) {
            QTest::newRow(name) << int(state) << QString::fromLatin1(stateId) << expected;
        };
        row("Texas", StateItem::Texas, "12-345678-9",
            records({recordA("07152024"), "B{276}\r\n",
                     "E2024123456789{24}Acme Widgets, Inc.{74}100 Main St{114}Dallas{139}TX{149}-1234{154}75201"
                     "{167}UTAX{171}48{173}123456789{188}060{276}\r\n",
                     "S123456789ABERNATHY WORTHINGTOJOSE{43}A48{64}00000000123457{92}00000000100000"
                     "{143}UTAX123456789{212}110062024{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}48{64}00000001134567{92}00000001134567{143}UTAX123456789"
                     "{212}011062024{276}\r\n",
                     "T0000002UTAX{27}00000001258024{55}00000001234567{82}.03100{88}0000000038272"
                     "{227}0000002{234}0000002{241}0000001{248}005{251}0000003{276}\r\n",
                     "F0000000002{12}0000000001UTAX{41}000000001258024{71}000000001234567{276}\r\n"}));
        row("Kentucky", StateItem::Kentucky, "1234567",
            records({recordA("06302024"),
                     "E2024123456789{24}Acme Widgets, Inc.{74}100 Main St{114}Dallas{139}TX{149}-1234{154}75201"
                     "{167}UTAX{171}21{173}001234567{188}060{276}\r\n",
                     "S123456789ABERNATHY WORTHINGTOJOSE{43}A21{50}00000000123457{64}00000000123457"
                     "{78}00000000023457{92}00000000100000{143}UTAX001234567{212}110062024{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}21{50}00000001134567{64}00000001134567{78}00000000000000"
                     "{92}00000001134567{143}UTAX001234567{212}011062024{276}\r\n",
                     "T0000002UTAX00000001258024{41}00000000023457{55}00000001234567{69}0000000037346{82}.03025"
                     "{145}00075{150}00000000926{227}0000002{234}0000002{241}0000001{276}\r\n",
                     "F0000000002{12}0000000001UTAX{41}000000001258024{71}000000001234567{276}\r\n"}));
        row("South Carolina", StateItem::SouthCarolina, "1234567",
            records({recordA("07152024"), "B{276}\r\n",
                     "E2024123456789{24}Acme Widgets, Inc.{74}100 Main St{114}Dallas{139}TX{149}-1234{154}75201"
                     "{167}UTAX{171}45{173}123456{188}060{276}\r\n",
                     "S123456789ABERNATHY WORTHINGTOJOSE{43}A45{64}00000000123457{92}00000000100000"
                     "{143}UTAX123456{212}110062024{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}45{64}00000001134567{92}00000001134567{143}UTAX123456"
                     "{212}011062024{276}\r\n",
                     "T{276}\r\n", "F{276}\r\n"}));
        row("Illinois", StateItem::Illinois, "1234567",
            records({recordA("07152024", " "),
                     "B2024987654321{28}ASC{35}UTAX{147}Payroll Services LLC{191}200 Oak Ave{226}Austin{246}TX"
                     "{253}78701{263}ED{277}",
                     "E2024123456789{24}Acme Widgets, Inc.{74}100 Main St{114}Dallas{139}TX{149}-1234{154}75201"
                     "{167}UTAX{171}17{173}1234567{188}060T{276} ",
                     "S123456789ABERNATHY WORTHINGTOJOSE{43}A17{64}00000000123457{92}00000000100000"
                     "{143}UTAX1234567{212}110062024{276} ",
                     "S234567890BAKER{31}ZOE{44}17{64}00000001134567{92}00000001134567{143}UTAX1234567"
                     "{212}011062024{276} ",
                     "T0000002UTAX{27}00000001258024{41}00000000023457{55}00000001234567{82}.03100{88}0000000038272"
                     "{101}00000000000{112}00000000000{123}00000000000{134}00000000000{175}00000038272"
                     "{227}0000002{234}0000002{241}0000001{251}062024{258}0000000001{268}1234567{276} ",
                     "F0000000002{12}0000000001UTAX{41}000000001258024{56}000000000023457{71}000000001234567"
                     "{276} "}));
        row("Florida", StateItem::Florida, " 1234567 ",
            records({"00987654321{12}1234567{19}\r\n",
                     "01123456789{12}1234567{19}Acme Widgets  Inc{76}100 Main St{98}Dallas{120}TX{122}752011234"
                     "{131}2024{135}02{137}000000005000000{152}00000800000{163}000000004200000{178}00000038272"
                     "{189}000000000{198}000000000{207}00000038272{218}Pat Jones{245}5125551234"
                     "{255}pat@example.com{305}\r\n",
                     "02123456789JOSE{27}AABERNATHY WORTHINGTO{48}00000123457{59}00000100000{70}00000000000"
                     "{81}00000000000{92}FL00000000000\r\n",
                     "02234567890ZOE{28}BAKER{48}00001134567{59}00001134567{70}00000000000{81}00000000000"
                     "{92}FL00000000000\r\n",
                     "03{3}0000002{10}0000002{17}0000001\r\n", "9920240715"}));
        row("Connecticut", StateItem::Connecticut, "123456789",
            records({"S123456789ABERNATHY WORTHINGTOJOSE{43}A09{50}00000000123457{147}123456789{215}062024{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}09{50}00000001134567{147}123456789{215}062024{276}\r\n"}));
        row("Massachusetts", StateItem::MassachusettsQuest, " 12345678 ",
            records({"S123456789ABERNATHY WORTHINGTOJOSE{43}A{46}0{50}00000000123457{132}520{147}12345678"
                     "{162}0000{177}00000000123457{191}00000000006173{210}Y{212}110062024{275}\r",
                     "S234567890BAKER{31}ZOE{46}0{50}00000001134567{132}041{147}12345678"
                     "{162}0000{177}00000001134567{191}00000000056728{210}0{212}011062024{275}\r"}));
        row("Maryland", StateItem::Maryland, "12345678",
            records({"S123456789ABERNATHY WORTHINGTOJOSE{44}24{64}00000000123457{147}0012345678{215}062024{276}\r",
                     "S234567890BAKER{31}ZOE{44}24{64}00000001134567{147}0012345678{215}062024{276}\r"}));
        row("Mississippi", StateItem::Mississippi, "2345678901",
            records({"S123456789ABERNATHY WORTHINGTOJOSE{43}A28{50}00000000123457{147}2345678901{215}062024{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}28{50}00000001134567{147}2345678901{215}062024{276}\r\n"}));
        row("North Carolina", StateItem::NorthCarolina, "1234567",
            records({"N1234567{9}22024{14}00005{19}00006{24}00007{29}00005000000{40}00000800000{51}00004200000"
                     "{62}123456I{276}\r\n",
                     "E{6}123456789{24}Acme Widgets, Inc.{74}100 Main St{114}Dallas{139}TX{149}-1234{154}75201"
                     "{167}UTAX{197}123456{276}\r\n",
                     "S123456789ABERNATHY WORTHINGTOJOSE{43}A37{64}00000000123457{143}UTAX1234567{205}N{215}062024"
                     "{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}37{64}00000001134567{143}UTAX1234567{205}N{215}062024{276}\r\n"}));
        row("Tennessee", StateItem::Tennessee, "12345678",
            records({"E2024123456789{161}25{171}47{173}12345678{188}060{276}\r\n",
                     "S123456789ABERNATHYWORTHINGTONJOSE{43}A47{50}00000000000000{64}00000000123457{276}\r\n",
                     "S234567890BAKER{31}ZOE{44}47{50}00000000000000{64}00000001134567{276}\r\n", "F{276}\r\n"}));
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
            u"SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages, Month1, Month2, Month3"_s,
            u"('111111111', 'Adams', 'Ann', 'Lee', 7500000, 5000000, 1, 1, 1), ('222222222', 'Baker', NULL, NULL, "
            "NULL, 2500000, NULL, NULL, NULL), (NULL, NULL, 'Cy', '', 1000000, 1000000, 1, 0, 0)"_s);
        session().Store.open(session().DataFolder + WageStore::kFileName);
        verifyWritten(StateItem::Illinois);
        QVERIFY(session().Store.isOpen());
        QCOMPARE(bytesOf(target()).mid(3 * 276, 3 * 276),
                 records({"S{31}CY{44}17{64}00000000010000{92}00000000010000{143}UTAX1234567{212}100062024{276} ",
                          "S111111111ADAMS{31}ANN{43}L17{64}00000000075000{92}00000000050000{143}UTAX1234567"
                          "{212}111062024{276} ",
                          "S222222222BAKER{44}17{64}00000000000000{92}00000000025000{143}UTAX1234567"
                          "{212}000062024{276} "}));
    }

    // Kentucky pads a State ID of six or seven digits, not one of eight; Maryland writes an empty one as zeros.
    void stateId_asEachStateWritesIt_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("at"); // the byte the State ID starts at: record, column
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("KY six") << int(StateItem::Kentucky) << "123456" << 277 + 172 << QByteArray("00123456 ");
        QTest::newRow("KY eight") << int(StateItem::Kentucky) << "12345678" << 2 * 277 + 146 << QByteArray("12345678 ");
        QTest::newRow("MD empty") << int(StateItem::Maryland) << "" << 146 << QByteArray("0000000000");
    }
    void stateId_asEachStateWritesIt()
    {
        QFETCH(int, state);
        QFETCH(QString, typed);
        QFETCH(int, at);
        QFETCH(QByteArray, written);
        session().Form3.Text9 = typed;
        addEmployees();
        verifyWritten(StateItem(state));
        QCOMPARE(bytesOf(target()).mid(at, written.size()), written);
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
    }
    void kentuckySurcharge_byYearAndQuarter()
    {
        QFETCH(int, year);
        QFETCH(QString, quarter);
        QFETCH(QByteArray, contributionsAndRate);
        QFETCH(QByteArray, surcharge);
        WriterFixture::addEmployees(u"SS, LastName, GrossWages, TaxableWages"_s,
                                    u"('111111111', 'Adams', 120000000, 100000000)"_s);
        session().TaxYear = qint16(year);
        session().Quarter = quarter;
        session().ToMonthYear = QStringLiteral("12%1").arg(year);
        verifyWritten(StateItem::Kentucky);
        const QByteArray t = bytesOf(target()).mid(3 * 277, 277);
        QCOMPARE(t.mid(68, 19) + t.mid(144, 16), contributionsAndRate + surcharge);
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
                              << "382.72" << QByteArray("32301    90455512340000003827200000038272");
        QTest::newRow("blanks around") << " 32301-1234 "
                                       << " 904.555.1234 "
                                       << "$1,234.50" << QByteArray("32301123490455512340000012345000000123450");
        QTest::newRow("empty") << ""
                               << ""
                               << "" << QByteArray("                   0000000000000000000000");
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

    // A writer with nothing but employee records replaces last quarter's file with an empty one.
    void emptyTable_writesAnEmptyFile()
    {
        placeExistingFile();
        verifyWritten(StateItem::Connecticut);
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
        QTest::addColumn<QString>("message");
        const QString baker = u"Employee baker, Zoë (SS 234567890)"_s;
        const auto row = [](const char* name, StateItem state, const char* change, int box, const char* value,
                            const QString& message) {
            QTest::newRow(name) << int(state) << QString::fromUtf8(change) << box << QString::fromUtf8(value)
                                << message;
        };
        row("TX negative", StateItem::Texas, "GrossWages = -50000", 0, "",
            u"The Texas wage file was not written. "_s + baker +
                u": GrossWages (columns 64-77): The amount -5 is negative"_s);
        row("TX county code of four digits", StateItem::Texas, "", 10, "1005",
            u"The Texas wage file was not written. The employer totals record (T): County code (columns 248-250)"_s);
        row("FL tax due not an amount", StateItem::Florida, "", 7, "12 dollars",
            u"The employer record (01): Tax due (columns 178-188): The tax due \"12 dollars\" is not an amount."_s);
        row("MA hours rounding to 1000", StateItem::MassachusettsQuest, "TotalHours = 9995000", 0, "",
            u"The Massachusetts Quest wage file was not written. "_s + baker + u": TotalHours (columns 132-134)"_s);
        row("MD State ID of nine digits", StateItem::Maryland, "", 9, "123456789",
            u"The Maryland wage file was not written. Employee Abernathy Worthington, José (SS 123456789): State ID "_s
            u"(columns 149-156)"_s);
        row("WA eight-digit SSN", StateItem::Washington, "SS = '12345678'", 0, "",
            u"The Washington wage file was not written. Employee baker, Zoë (SS 12345678): The Social Security "_s
            u"number \"12345678\" is not nine digits."_s);
        row("WA negative wages", StateItem::Washington, "GrossWages = -10000", 0, "",
            baker + u": The GrossWages -1 is negative."_s);
        row("WA comma in SOC code", StateItem::Washington, "UnitCode = '15-1252,1'", 0, "",
            baker + u": The SOC code \"15-1252,1\" holds a comma."_s);
    }
    void valueThatCannotBeWritten_stopsTheFile()
    {
        QFETCH(int, state);
        QFETCH(QString, bakerChange);
        QFETCH(int, box);
        QFETCH(QString, boxValue);
        QFETCH(QString, message);
        addEmployees();
        if (!bakerChange.isEmpty()) {
            QVERIFY(m_store->exec(QStringLiteral("UPDATE Employee SET %1 WHERE SS = '234567890'").arg(bakerChange)));
        }
        if (box != 0) {
            session().Form3.box(box) = boxValue;
        }
        placeExistingFile();
        QVERIFY(!write(StateItem(state)));
        verifyStopped({message}, kApplicationTitle);
    }

    // Without its store a writer shows its own message (Illinois and Florida that of CreateICESAFile); the ICESA
    // writer asked for a state it does not write does the same.
    void missingStore_showsTheWritersOwnError_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("writer");
        QTest::newRow("TX") << int(StateItem::Texas) << "CreateICESAFile";
        QTest::newRow("IL") << int(StateItem::Illinois) << "CreateICESAFile";
        QTest::newRow("FL") << int(StateItem::Florida) << "CreateICESAFile";
        QTest::newRow("CT") << int(StateItem::Connecticut) << "CreateCTICESAFile";
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
        verifyStopped({}, u"Error"_s);
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
        QVERIFY(QFile::copy(test::programFolder() + u"/PFML.xlsx"_s, session().DataFolder + kPfmlTemplateName));
        QVERIFY(test::writeBytes(m_out.filePath(u"not-a-folder"_s), ""));
        QVERIFY(QDir(m_out.path()).mkdir(u"a-folder"_s));
        const QString path = m_out.filePath(target);
        QVERIFY(!write(StateItem(state), path));
        QCOMPARE(m_dialogs.messages(),
                 QStringList{QStringLiteral("Unexpected Error has occured in %1. Try Again.\r\n%2: %3")
                                 .arg(writer, QDir::toNativeSeparators(path), reason)});
        QCOMPARE(m_dialogs.calls().first().title, u"Error"_s);
        QCOMPARE(QDir(m_out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{u"a-folder"_s, u"not-a-folder"_s}));
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
