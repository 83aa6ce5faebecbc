#include "tests/support/generatedpayroll.h"

#include "acquire/wagespreadsheet.h"
#include "tests/support/workbookwriter.h"

#include <QDate>

namespace wagetrove::test {
namespace {

using namespace Qt::StringLiterals;

QString money(qint64 cents)
{
    return u"%1.%2"_s.arg(cents / 100).arg(cents % 100, 2, 10, QChar(u'0'));
}

QVariantList row(const QStringList& texts)
{
    return QVariantList(texts.begin(), texts.end());
}

} // namespace

bool writeGeneratedWorkbook(const QString& path, int employees)
{
    SheetRows sheet{row(wagesSheetHeaders())};
    sheet.reserve(employees + 1);
    for (int i = 0; i < employees; ++i) {
        const double gross = (100000 + (i * 7919) % 2500000) / 100.0;
        const QVariant middle = i % 3 == 0 ? QVariant() : QVariant(u"M"_s);
        sheet.append(QVariantList{u"12-3456789"_s, 2.7, QString::number(100000000 + i), u"FIRST%1"_s.arg(i), middle,
                                  u"LAST%1"_s.arg(i), u"032025"_s, gross, gross, true, true, i % 5 != 0});
    }
    const SheetRows employer{row(employerSheetHeaders()),
                             {u"12-3456789"_s, u"GENERATED EMPLOYER INC"_s, u"1 MAIN ST"_s, u"CHICAGO"_s, u"IL"_s,
                              u"60601"_s, 2.7, u"1234567"_s}};
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
    QStringList people;
    QStringList paychecks;
    for (int i = 0; i < employees; ++i) {
        const QString last = u"Last%1"_s.arg((i * 7919) % employees);
        const QString name = u"Employee%1 Q "_s.arg(i) + last;
        const QString ssn = u"9%1-%2-%3"_s.arg(i / 1000000 % 100, 2, 10, QChar(u'0'))
                                .arg(i / 10000 % 100, 2, 10, QChar(u'0'))
                                .arg(i % 10000, 4, 10, QChar(u'0'));
        people << uR"({"name":"%1","firstName":"Employee%2","middleName":"Q","lastName":"%3","ssn":"%4"})"_s.arg(
            name, QString::number(i), last, ssn);
        const qint64 pay = 50000 + (qint64(i) * 7919) % 150000;
        for (const QDate& payday : paydays) {
            paychecks << uR"({"employee":"%1","date":"%2","hours":"40","lines":[{"item":"Hourly Rate","amount":"%3",)"
                         uR"("hours":"40"},{"item":"IL - Unemployment Company","incomeSubjectToTax":"%3",)"
                         uR"("wageBase":"%3","rate":"3.175","amount":"%4"}]})"_s.arg(
                             name, payday.toString(Qt::ISODate), money(pay), money(pay * 3175 / 100000));
        }
    }
    return uR"({"company":{"name":"Bench Company","ein":"36-1234567","address":{"addr1":"1 Main St",)"
           uR"("city":"Chicago","state":"IL","postalCode":"60601"}},"employees":[%1],"payrollItems":[)"
           uR"({"name":"Hourly Rate","kind":"wage"},{"name":"IL - Unemployment Company","kind":"nonwage",)"
           uR"("type":"Tax"}],"paychecks":[%2]})"_s.arg(people.join(u','), paychecks.join(u','))
               .toUtf8();
}

} // namespace wagetrove::test
