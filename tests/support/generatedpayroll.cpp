#include "tests/support/generatedpayroll.h"

#include "acquire/wagespreadsheet.h"
#include "tests/support/workbookwriter.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace wagetrove::test {
namespace {

QString money(qint64 cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

bool writeGeneratedWorkbook(const QString& path, int employees)
{
    SheetRows sheet;
    sheet.reserve(employees + 1);
    QVariantList headers;
    for (const QString& header : wagesSheetHeaders()) {
        headers << header;
    }
    sheet << headers;
    for (int i = 0; i < employees; ++i) {
        const double gross = (100000 + (i * 7919) % 2500000) / 100.0;
        sheet << QVariantList{QStringLiteral("12-3456789"),
                              2.7,
                              QString::number(100000000 + i),
                              QStringLiteral("FIRST%1").arg(i),
                              i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("M")),
                              QStringLiteral("LAST%1").arg(i),
                              QStringLiteral("032025"),
                              gross,
                              gross,
                              true,
                              true,
                              i % 5 != 0};
    }
    SheetRows employer;
    QVariantList employerHeaders;
    for (const QString& header : employerSheetHeaders()) {
        employerHeaders << header;
    }
    employer << employerHeaders
             << QVariantList{QStringLiteral("12-3456789"),
                             QStringLiteral("GENERATED EMPLOYER INC"),
                             QStringLiteral("1 MAIN ST"),
                             QStringLiteral("CHICAGO"),
                             QStringLiteral("IL"),
                             QStringLiteral("60601"),
                             2.7,
                             QStringLiteral("1234567")};
    return writeWorkbook(path, {sheet, employer});
}

QByteArray generatedCompany(int employees, PayPeriod period)
{
    QList<QDate> paydays;
    if (period == PayPeriod::Weekly) {
        for (QDate friday(2025, 1, 3); friday <= QDate(2025, 3, 28); friday = friday.addDays(7)) {
            paydays.append(friday);
        }
    } else {
        paydays = {QDate(2025, 1, 31), QDate(2025, 2, 28), QDate(2025, 3, 31)};
    }
    QJsonArray people;
    QJsonArray paychecks;
    for (int i = 0; i < employees; ++i) {
        const QString name = QStringLiteral("Employee%1 Q Last%2").arg(i).arg((i * 7919) % employees);
        people.append(QJsonObject{{QStringLiteral("name"), name},
                                  {QStringLiteral("firstName"), QStringLiteral("Employee%1").arg(i)},
                                  {QStringLiteral("middleName"), QStringLiteral("Q")},
                                  {QStringLiteral("lastName"), QStringLiteral("Last%1").arg((i * 7919) % employees)},
                                  {QStringLiteral("ssn"), QStringLiteral("9%1-%2-%3")
                                                              .arg(i / 1000000 % 100, 2, 10, QLatin1Char('0'))
                                                              .arg(i / 10000 % 100, 2, 10, QLatin1Char('0'))
                                                              .arg(i % 10000, 4, 10, QLatin1Char('0'))}});
        const qint64 pay = 50000 + (qint64(i) * 7919) % 150000;
        for (const QDate& payday : paydays) {
            const QJsonObject wage{{QStringLiteral("item"), QStringLiteral("Hourly Rate")},
                                   {QStringLiteral("amount"), money(pay)},
                                   {QStringLiteral("hours"), QStringLiteral("40")}};
            const QJsonObject sui{{QStringLiteral("item"), QStringLiteral("IL - Unemployment Company")},
                                  {QStringLiteral("incomeSubjectToTax"), money(pay)},
                                  {QStringLiteral("wageBase"), money(pay)},
                                  {QStringLiteral("rate"), QStringLiteral("3.175")},
                                  {QStringLiteral("amount"), money(pay * 3175 / 100000)}};
            paychecks.append(QJsonObject{{QStringLiteral("employee"), name},
                                         {QStringLiteral("date"), payday.toString(Qt::ISODate)},
                                         {QStringLiteral("hours"), QStringLiteral("40")},
                                         {QStringLiteral("lines"), QJsonArray{wage, sui}}});
        }
    }
    const QJsonArray items{QJsonObject{{QStringLiteral("name"), QStringLiteral("Hourly Rate")},
                                       {QStringLiteral("kind"), QStringLiteral("wage")}},
                           QJsonObject{{QStringLiteral("name"), QStringLiteral("IL - Unemployment Company")},
                                       {QStringLiteral("kind"), QStringLiteral("nonwage")},
                                       {QStringLiteral("type"), QStringLiteral("Tax")}}};
    const QJsonObject address{{QStringLiteral("addr1"), QStringLiteral("1 Main St")},
                              {QStringLiteral("city"), QStringLiteral("Chicago")},
                              {QStringLiteral("state"), QStringLiteral("IL")},
                              {QStringLiteral("postalCode"), QStringLiteral("60601")}};
    return QJsonDocument(QJsonObject{{QStringLiteral("company"),
                                      QJsonObject{{QStringLiteral("name"), QStringLiteral("Bench Company")},
                                                  {QStringLiteral("ein"), QStringLiteral("36-1234567")},
                                                  {QStringLiteral("address"), address}}},
                                     {QStringLiteral("employees"), people},
                                     {QStringLiteral("payrollItems"), items},
                                     {QStringLiteral("paychecks"), paychecks}})
        .toJson(QJsonDocument::Compact);
}

} // namespace wagetrove::test
