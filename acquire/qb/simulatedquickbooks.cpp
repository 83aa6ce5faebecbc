#include "acquire/qb/simulatedquickbooks.h"

#include "common/formats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace wagetrove {

struct SimulatedQuickBooks::Request
{
    QString name;
    std::optional<QString> requestId;
    /// Every element inside the request, in document order, with its trimmed text.
    QList<std::pair<QString, QString>> values;

    QString value(const QString& element) const
    {
        for (const auto& [name, text] : values) {
            if (name == element) {
                return text;
            }
        }
        return {};
    }
    bool has(const QString& element, const QString& text) const
    {
        return std::find(values.begin(), values.end(), std::pair(element, text)) != values.end();
    }
};

namespace {

using Employee = SimulatedQuickBooks::Employee;
using PayrollItem = SimulatedQuickBooks::PayrollItem;
using Paycheck = SimulatedQuickBooks::Paycheck;
using PaycheckLine = SimulatedQuickBooks::PaycheckLine;
using Request = SimulatedQuickBooks::Request;

// ---- The company file ----

/// Why a company file is not a company description; becomes a QbError that names the file.
struct FixtureFault
{
    QString reason;
};

[[noreturn]] void fault(const QString& reason)
{
    throw FixtureFault{reason};
}

QString quoted(const QString& text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

/// A date written yyyy-mm-dd and nothing else.
QDate isoDate(const QString& text)
{
    return text.size() == 10 ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd")) : QDate();
}

QString textMember(const QJsonObject& object, const QString& key, const QString& owner)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return {};
    }
    if (!value.isString()) {
        fault(QStringLiteral("%1 has a %2 that is not a JSON text.").arg(owner, quoted(key)));
    }
    return value.toString();
}

bool boolMember(const QJsonObject& object, const QString& key, const QString& owner, bool absent)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return absent;
    }
    if (!value.isBool()) {
        fault(QStringLiteral("%1 has a %2 that is neither true nor false.").arg(owner, quoted(key)));
    }
    return value.toBool();
}

std::optional<Currency> numberMember(const QJsonObject& object, const QString& key, const QString& owner)
{
    if (object.value(key).isDouble()) {
        fault(QStringLiteral("%1 has a %2 written as a JSON number; write it as a text such as \"2000.00\".")
                  .arg(owner, quoted(key)));
    }
    const QString text = textMember(object, key, owner);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<Currency> number = Currency::fromText(text);
    if (!number) {
        fault(QStringLiteral("%1 has the %2 %3, which is not a number.").arg(owner, key, quoted(text)));
    }
    return number;
}

QJsonObject objectMember(const QJsonObject& object, const QString& key, const QString& owner)
{
    const QJsonValue value = object.value(key);
    if (!value.isUndefined() && !value.isNull() && !value.isObject()) {
        fault(QStringLiteral("%1 has a %2 that is not a JSON object.").arg(owner, quoted(key)));
    }
    return value.toObject();
}

QJsonArray arrayMember(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isUndefined() && !value.isNull() && !value.isArray()) {
        fault(QStringLiteral("its %1 is not a JSON list.").arg(quoted(key)));
    }
    return value.toArray();
}

QJsonObject element(const QJsonArray& list, qsizetype index, const QString& owner)
{
    if (!list.at(index).isObject()) {
        fault(QStringLiteral("%1 is not a JSON object.").arg(owner));
    }
    return list.at(index).toObject();
}

SimulatedQuickBooks::Address readAddress(const QJsonObject& object, const QString& owner)
{
    return {textMember(object, QStringLiteral("addr1"), owner), textMember(object, QStringLiteral("addr2"), owner),
            textMember(object, QStringLiteral("city"), owner), textMember(object, QStringLiteral("state"), owner),
            textMember(object, QStringLiteral("postalCode"), owner)};
}

QString listId(int sequence)
{
    return QString::number(0x80000000u + static_cast<unsigned>(sequence), 16).toUpper() + QStringLiteral("-1735689600");
}

SimulatedQuickBooks::Company readCompany(const QJsonObject& root)
{
    SimulatedQuickBooks::Company company;
    const QString file = QStringLiteral("the file");
    const QJsonObject host = objectMember(root, QStringLiteral("host"), file);
    const QString hostOwner = QStringLiteral("its host");
    for (const auto& [key, target] : {std::pair(QStringLiteral("productName"), &company.productName),
                                      std::pair(QStringLiteral("majorVersion"), &company.majorVersion),
                                      std::pair(QStringLiteral("minorVersion"), &company.minorVersion)}) {
        const QString text = textMember(host, key, hostOwner);
        if (!text.isEmpty()) {
            *target = text;
        }
    }
    company.payrollSubscription = boolMember(root, QStringLiteral("payrollSubscription"), file, true);
    company.refuseAccess = boolMember(root, QStringLiteral("refuseAccess"), file, false);

    const QJsonObject details = objectMember(root, QStringLiteral("company"), file);
    const QString companyOwner = QStringLiteral("its company");
    company.name = textMember(details, QStringLiteral("name"), companyOwner);
    if (company.name.isEmpty()) {
        fault(QStringLiteral("it names no company (the \"company\" object and its \"name\")."));
    }
    company.legalName = textMember(details, QStringLiteral("legalName"), companyOwner);
    company.ein = textMember(details, QStringLiteral("ein"), companyOwner);
    company.address = readAddress(objectMember(details, QStringLiteral("address"), companyOwner),
                                  QStringLiteral("its company address"));
    company.legalAddress = readAddress(objectMember(details, QStringLiteral("legalAddress"), companyOwner),
                                       QStringLiteral("its company legal address"));

    int sequence = 0;
    QHash<QString, int> employeeIndex;
    const QJsonArray employees = arrayMember(root, QStringLiteral("employees"));
    for (qsizetype i = 0; i < employees.size(); ++i) {
        QString owner = QStringLiteral("employee %1").arg(i + 1);
        const QJsonObject object = element(employees, i, owner);
        Employee employee;
        employee.listId = listId(++sequence);
        employee.name = textMember(object, QStringLiteral("name"), owner);
        if (employee.name.isEmpty()) {
            fault(QStringLiteral("%1 has no name.").arg(owner));
        }
        if (employeeIndex.contains(employee.name)) {
            fault(QStringLiteral("two employees are named %1.").arg(quoted(employee.name)));
        }
        owner = QStringLiteral("employee %1 (%2)").arg(i + 1).arg(employee.name);
        employee.firstName = textMember(object, QStringLiteral("firstName"), owner);
        employee.middleName = textMember(object, QStringLiteral("middleName"), owner);
        employee.lastName = textMember(object, QStringLiteral("lastName"), owner);
        employee.ssn = textMember(object, QStringLiteral("ssn"), owner);
        employee.isActive = boolMember(object, QStringLiteral("isActive"), owner, true);
        const QJsonObject fields = objectMember(object, QStringLiteral("customFields"), owner);
        for (auto field = fields.begin(); field != fields.end(); ++field) {
            const QString value = textMember(fields, field.key(), owner + QStringLiteral("'s custom fields"));
            if (!value.isEmpty()) {
                employee.customFields.append({field.key(), value});
            }
        }
        employeeIndex.insert(employee.name, static_cast<int>(company.employees.size()));
        company.employees.append(employee);
    }

    const QStringList nonWageTypes = {QStringLiteral("Addition"), QStringLiteral("Deduction"),
                                      QStringLiteral("CompanyContribution"), QStringLiteral("Tax"),
                                      QStringLiteral("DirectDeposit")};
    QHash<QString, int> itemIndex;
    const QJsonArray items = arrayMember(root, QStringLiteral("payrollItems"));
    for (qsizetype i = 0; i < items.size(); ++i) {
        QString owner = QStringLiteral("payroll item %1").arg(i + 1);
        const QJsonObject object = element(items, i, owner);
        PayrollItem item;
        item.listId = listId(++sequence);
        item.name = textMember(object, QStringLiteral("name"), owner);
        if (item.name.isEmpty()) {
            fault(QStringLiteral("%1 has no name.").arg(owner));
        }
        if (itemIndex.contains(item.name)) {
            fault(QStringLiteral("two payroll items are named %1.").arg(quoted(item.name)));
        }
        owner = QStringLiteral("payroll item %1 (%2)").arg(i + 1).arg(item.name);
        const QString kind = textMember(object, QStringLiteral("kind"), owner);
        if (kind != QLatin1String("wage") && kind != QLatin1String("nonwage")) {
            fault(QStringLiteral("%1 has the kind %2; it must be \"wage\" or \"nonwage\".").arg(owner, quoted(kind)));
        }
        item.isWage = kind == QLatin1String("wage");
        if (!item.isWage) {
            item.nonWageType = textMember(object, QStringLiteral("type"), owner);
            if (!nonWageTypes.contains(item.nonWageType)) {
                fault(QStringLiteral("%1 has the type %2; it must be one of %3.")
                          .arg(owner, quoted(item.nonWageType), nonWageTypes.join(QStringLiteral(", "))));
            }
        }
        item.isActive = boolMember(object, QStringLiteral("isActive"), owner, true);
        itemIndex.insert(item.name, static_cast<int>(company.payrollItems.size()));
        company.payrollItems.append(item);
    }

    const QJsonArray paychecks = arrayMember(root, QStringLiteral("paychecks"));
    for (qsizetype i = 0; i < paychecks.size(); ++i) {
        const QJsonObject object = element(paychecks, i, QStringLiteral("paycheck %1").arg(i + 1));
        const QString employeeName = object.value(QStringLiteral("employee")).toString();
        const QString dateText = object.value(QStringLiteral("date")).toString();
        const QString owner = QStringLiteral("paycheck %1 (%2 on %3)").arg(i + 1).arg(employeeName, dateText);
        Paycheck paycheck;
        if (!employeeIndex.contains(employeeName)) {
            fault(QStringLiteral("%1 names the unknown employee %2.").arg(owner, quoted(employeeName)));
        }
        paycheck.employee = employeeIndex.value(employeeName);
        paycheck.date = isoDate(dateText);
        if (!paycheck.date.isValid()) {
            fault(QStringLiteral("%1 has a date that is not a real date written yyyy-mm-dd.").arg(owner));
        }
        paycheck.hours = numberMember(object, QStringLiteral("hours"), owner);
        const QJsonArray lines = object.value(QStringLiteral("lines")).toArray();
        for (qsizetype j = 0; j < lines.size(); ++j) {
            const QString lineOwner = QStringLiteral("line %1 of %2").arg(j + 1).arg(owner);
            const QJsonObject line = element(lines, j, lineOwner);
            const QString itemName = line.value(QStringLiteral("item")).toString();
            if (!itemIndex.contains(itemName)) {
                fault(QStringLiteral("%1 names the unknown payroll item %2.").arg(lineOwner, quoted(itemName)));
            }
            paycheck.lines.append({itemIndex.value(itemName),
                                   numberMember(line, QStringLiteral("incomeSubjectToTax"), lineOwner),
                                   numberMember(line, QStringLiteral("wageBase"), lineOwner),
                                   numberMember(line, QStringLiteral("rate"), lineOwner),
                                   numberMember(line, QStringLiteral("hours"), lineOwner),
                                   numberMember(line, QStringLiteral("amount"), lineOwner)});
        }
        company.paychecks.append(paycheck);
    }
    return company;
}

// ---- The request document ----

QbError requestError(const QString& reason)
{
    return QbError(QStringLiteral("QuickBooks could not read the request: %1").arg(reason));
}

/// The elements of one request, up to its end tag.
void readRequestValues(QXmlStreamReader& xml, Request& request)
{
    QStringList open;
    QString text;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            open.append(xml.name().toString());
            text.clear();
            break;
        case QXmlStreamReader::Characters:
            text += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            if (open.isEmpty()) {
                return;
            }
            request.values.append({open.takeLast(), text.trimmed()});
            text.clear();
            break;
        default:
            break;
        }
    }
}

/// The requests inside QBXMLMsgsRq, in order, and its onError attribute.
QList<Request> readRequests(const QByteArray& document, QString& onError)
{
    QXmlStreamReader xml(document);
    QList<Request> requests;
    bool sawMessages = false;
    if (xml.readNextStartElement() && xml.name() == QLatin1String("QBXML")) {
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("QBXMLMsgsRq")) {
                xml.skipCurrentElement();
                continue;
            }
            sawMessages = true;
            onError = xml.attributes().value(QLatin1String("onError")).toString();
            while (xml.readNextStartElement()) {
                Request request;
                request.name = xml.name().toString();
                if (xml.attributes().hasAttribute(QLatin1String("requestID"))) {
                    request.requestId = xml.attributes().value(QLatin1String("requestID")).toString();
                }
                readRequestValues(xml, request);
                requests.append(request);
            }
        }
    }
    if (xml.hasError()) {
        throw requestError(QStringLiteral("%1 (line %2, column %3).")
                               .arg(xml.errorString())
                               .arg(xml.lineNumber())
                               .arg(xml.columnNumber()));
    }
    if (!sawMessages) {
        throw requestError(QStringLiteral("it is not a QBXML document with a QBXMLMsgsRq element."));
    }
    return requests;
}

// ---- Responses ----

struct Status
{
    int code = 0;
    QString severity = QStringLiteral("Info");
    QString message = QStringLiteral("Status OK");

    bool isError() const { return severity == QLatin1String("Error"); }
};

Status notFound()
{
    return {1, QStringLiteral("Info"), QStringLiteral("A query request did not find a matching object in QuickBooks")};
}

Status noSubscription()
{
    return {3250, QStringLiteral("Error"),
            QStringLiteral("This feature requires a subscription to a QuickBooks payroll service.")};
}

Status invalidValue(const QString& message)
{
    return {3020, QStringLiteral("Error"), message};
}

QString responseName(const QString& requestName)
{
    QString name = requestName;
    if (name.endsWith(QLatin1String("Rq"))) {
        name.chop(2);
    }
    return name + QStringLiteral("Rs");
}

void startResponse(QXmlStreamWriter& xml, const Request& request, const Status& status)
{
    xml.writeStartElement(responseName(request.name));
    if (request.requestId) {
        xml.writeAttribute(QStringLiteral("requestID"), *request.requestId);
    }
    xml.writeAttribute(QStringLiteral("statusCode"), QString::number(status.code));
    xml.writeAttribute(QStringLiteral("statusSeverity"), status.severity);
    xml.writeAttribute(QStringLiteral("statusMessage"), status.message);
}

/// A response with a status and nothing else.
bool writeStatusOnly(QXmlStreamWriter& xml, const Request& request, const Status& status)
{
    startResponse(xml, request, status);
    xml.writeEndElement();
    return status.isError();
}

void writeOptional(QXmlStreamWriter& xml, const QString& element, const QString& text)
{
    if (!text.isEmpty()) {
        xml.writeTextElement(element, text);
    }
}

void writeAddress(QXmlStreamWriter& xml, const QString& element, const SimulatedQuickBooks::Address& address)
{
    const QList<std::pair<QString, QString>> parts = {{QStringLiteral("Addr1"), address.addr1},
                                                      {QStringLiteral("Addr2"), address.addr2},
                                                      {QStringLiteral("City"), address.city},
                                                      {QStringLiteral("State"), address.state},
                                                      {QStringLiteral("PostalCode"), address.postalCode}};
    if (std::all_of(parts.begin(), parts.end(), [](const auto& part) { return part.second.isEmpty(); })) {
        return;
    }
    xml.writeStartElement(element);
    for (const auto& [name, text] : parts) {
        writeOptional(xml, name, text);
    }
    xml.writeEndElement();
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

/// ActiveStatus: ActiveOnly when absent, as QuickBooks reads it.
bool wantedByActiveStatus(const Request& request, bool isActive)
{
    const QString status = request.value(QStringLiteral("ActiveStatus"));
    if (status == QLatin1String("All")) {
        return true;
    }
    return status == QLatin1String("InactiveOnly") ? !isActive : isActive;
}

// ---- Reports ----

struct ReportColumn
{
    int id = 0;
    QString dataType;
    QStringList titles; ///< one per title row; an empty one has no value
    QString colType;
};

enum class RowKind
{
    Data,
    Text,
    Subtotal,
    Total
};

struct ReportRow
{
    RowKind kind = RowKind::Data;
    QString text;                         ///< a TextRow's value
    QList<std::pair<int, QString>> cells; ///< colID and value; a cell without a value is left out
};

struct Report
{
    QString title, subtitle;
    int titleRows = 1;
    QList<ReportColumn> columns;
    QList<ReportRow> rows;
};

/// A column total; empty until a value is added.
class Sum
{
public:
    void add(const std::optional<Currency>& value)
    {
        if (!value) {
            return;
        }
        const std::optional<Currency> sum = m_value.value_or(Currency()).plus(*value);
        if (!sum) {
            throw QbError(QStringLiteral("A total of the simulated QuickBooks report is out of range."));
        }
        m_value = sum;
    }
    void add(const Sum& other) { add(other.m_value); }
    const std::optional<Currency>& value() const { return m_value; }

private:
    std::optional<Currency> m_value;
};

void addCell(ReportRow& row, int colId, const std::optional<Currency>& value)
{
    if (value) {
        row.cells.append({colId, formatTwoDecimals(*value)});
    }
}

void addCell(ReportRow& row, int colId, const QString& text)
{
    if (!text.isEmpty()) {
        row.cells.append({colId, text});
    }
}

ReportRow textRow(const QString& text)
{
    return {RowKind::Text, text, {}};
}

ReportRow labelledRow(RowKind kind, int colId, const QString& label)
{
    ReportRow row{kind, QString(), {}};
    addCell(row, colId, label);
    return row;
}

void writeReport(QXmlStreamWriter& xml, const Report& report)
{
    xml.writeStartElement(QStringLiteral("ReportRet"));
    xml.writeTextElement(QStringLiteral("ReportTitle"), report.title);
    xml.writeTextElement(QStringLiteral("ReportSubtitle"), report.subtitle);
    xml.writeTextElement(QStringLiteral("ReportBasis"), QStringLiteral("None"));
    xml.writeTextElement(QStringLiteral("NumRows"), QString::number(report.rows.size()));
    xml.writeTextElement(QStringLiteral("NumColumns"), QString::number(report.columns.size()));
    xml.writeTextElement(QStringLiteral("NumColTitleRows"), QString::number(report.titleRows));
    for (const ReportColumn& column : report.columns) {
        xml.writeStartElement(QStringLiteral("ColDesc"));
        xml.writeAttribute(QStringLiteral("colID"), QString::number(column.id));
        xml.writeAttribute(QStringLiteral("dataType"), column.dataType);
        for (qsizetype i = 0; i < column.titles.size(); ++i) {
            xml.writeEmptyElement(QStringLiteral("ColTitle"));
            xml.writeAttribute(QStringLiteral("titleRow"), QString::number(i + 1));
            if (!column.titles.at(i).isEmpty()) {
                xml.writeAttribute(QStringLiteral("value"), column.titles.at(i));
            }
        }
        xml.writeTextElement(QStringLiteral("ColType"), column.colType);
        xml.writeEndElement();
    }
    if (!report.rows.isEmpty()) {
        xml.writeStartElement(QStringLiteral("ReportData"));
        int number = 0;
        for (const ReportRow& row : report.rows) {
            const QString rowNumber = QString::number(++number);
            if (row.kind == RowKind::Text) {
                xml.writeEmptyElement(QStringLiteral("TextRow"));
                xml.writeAttribute(QStringLiteral("rowNumber"), rowNumber);
                xml.writeAttribute(QStringLiteral("value"), row.text);
                continue;
            }
            xml.writeStartElement(row.kind == RowKind::Data       ? QStringLiteral("DataRow")
                                  : row.kind == RowKind::Subtotal ? QStringLiteral("SubtotalRow")
                                                                  : QStringLiteral("TotalRow"));
            xml.writeAttribute(QStringLiteral("rowNumber"), rowNumber);
            for (const auto& [colId, value] : row.cells) {
                xml.writeEmptyElement(QStringLiteral("ColData"));
                xml.writeAttribute(QStringLiteral("colID"), QString::number(colId));
                xml.writeAttribute(QStringLiteral("value"), value);
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

struct Period
{
    QDate from, to;

    bool contains(QDate date) const { return date >= from && date <= to; }
    /// "January 1 through March 31, 2025"; both years when they differ.
    QString subtitle() const
    {
        const QLocale c = QLocale::c();
        const QString withYear = QStringLiteral("MMMM d, yyyy");
        return QStringLiteral("%1 through %2")
            .arg(c.toString(from, from.year() == to.year() ? QStringLiteral("MMMM d") : withYear),
                 c.toString(to, withYear));
    }
};

std::optional<Period> requestedPeriod(const Request& request)
{
    const Period period{isoDate(request.value(QStringLiteral("FromReportDate"))),
                        isoDate(request.value(QStringLiteral("ToReportDate")))};
    if (!period.from.isValid() || !period.to.isValid()) {
        return std::nullopt;
    }
    return period;
}

Status badPeriod()
{
    return invalidValue(
        QStringLiteral("The report period needs a FromReportDate and a ToReportDate written yyyy-mm-dd."));
}

/// Names in the order QuickBooks lists them: letters regardless of case first, then case.
bool nameLess(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

/// The federal taxes, which the state taxes detail leaves out.
bool isFederalTax(const QString& itemName)
{
    return itemName.startsWith(QLatin1String("Federal")) || itemName.startsWith(QLatin1String("Medicare")) ||
           itemName.startsWith(QLatin1String("Social Security"));
}

/// One employee's lines of one item in the summary: hours and amount summed, the rate when every line gives the
/// same one.
struct SummaryCell
{
    bool used = false;
    Sum hours, amount;
    std::optional<Currency> rate;
    bool rateVaries = false;

    void add(const PaycheckLine& line)
    {
        if (!used) {
            rate = line.rate;
        } else if (rate != line.rate) {
            rateVaries = true;
        }
        used = true;
        hours.add(line.hours);
        amount.add(line.amount);
    }
    std::optional<Currency> commonRate() const { return rateVaries ? std::nullopt : rate; }
};

std::optional<Currency> nonZero(const std::optional<Currency>& value)
{
    return value && !value->isZero() ? value : std::nullopt;
}

} // namespace

// ---- SimulatedQuickBooks ----

std::unique_ptr<SimulatedQuickBooks> SimulatedQuickBooks::fromFixture(const QString& path)
{
    const QString fileName = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString& reason) {
        return QbError(
            QStringLiteral("The simulated QuickBooks company file %1 could not be read: %2").arg(fileName, reason));
    };
    if (!QFileInfo(path).isFile()) {
        throw unreadable(QStringLiteral("there is no such file."));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw unreadable(file.errorString() + QLatin1Char('.'));
    }
    return load(file.readAll(), fileName);
}

std::unique_ptr<SimulatedQuickBooks> SimulatedQuickBooks::fromJson(const QByteArray& json)
{
    return load(json, QString());
}

std::unique_ptr<SimulatedQuickBooks> SimulatedQuickBooks::load(const QByteArray& json, const QString& fileName)
{
    const QString what = fileName.isEmpty() ? QStringLiteral("The simulated QuickBooks company file")
                                            : QStringLiteral("The simulated QuickBooks company file %1").arg(fileName);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        throw QbError(QStringLiteral("%1 could not be read: it is not valid JSON (%2 at character %3).")
                          .arg(what, parseError.errorString())
                          .arg(parseError.offset));
    }
    if (!document.isObject()) {
        throw QbError(QStringLiteral("%1 could not be read: it does not hold a JSON object.").arg(what));
    }
    try {
        return std::make_unique<SimulatedQuickBooks>(readCompany(document.object()));
    } catch (const FixtureFault& fixtureFault) {
        throw QbError(QStringLiteral("%1 could not be read: %2").arg(what, fixtureFault.reason));
    }
}

void SimulatedQuickBooks::openConnection(const QString& /*applicationId*/, const QString& /*applicationName*/)
{
    if (m_company.refuseAccess) {
        throw QbError(QStringLiteral("QuickBooks refused this application access to the company file."));
    }
    m_connected = true;
}

void SimulatedQuickBooks::beginSession()
{
    if (m_company.refuseAccess) {
        throw QbError(QStringLiteral("QuickBooks refused this application access to the company file."));
    }
    if (!m_connected) {
        throw QbError(QStringLiteral("A QuickBooks session can only begin once the connection is open."));
    }
    m_inSession = true;
}

QByteArray SimulatedQuickBooks::processRequest(const QByteArray& request)
{
    if (!m_inSession) {
        throw QbError(QStringLiteral("No QuickBooks session is open, so the request cannot be sent."));
    }
    QString onError;
    const QList<Request> requests = readRequests(request, onError);

    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(0);
    xml.writeStartElement(QStringLiteral("QBXML"));
    xml.writeStartElement(QStringLiteral("QBXMLMsgsRs"));
    for (const Request& each : requests) {
        // With stopOnError QuickBooks answers nothing after the first failed request.
        if (answer(xml, each) && onError == QLatin1String("stopOnError")) {
            break;
        }
    }
    xml.writeEndElement();
    xml.writeEndElement();
    return QByteArrayLiteral("<?xml version=\"1.0\" ?>\n") + body.trimmed() + '\n';
}

void SimulatedQuickBooks::endSession()
{
    m_inSession = false;
}

void SimulatedQuickBooks::closeConnection()
{
    m_inSession = false;
    m_connected = false;
}

bool SimulatedQuickBooks::answer(QXmlStreamWriter& xml, const Request& request) const
{
    const QString& name = request.name;
    if (name == QLatin1String("HostQueryRq")) {
        return answerHost(xml, request);
    }
    if (name == QLatin1String("CompanyQueryRq")) {
        return answerCompany(xml, request);
    }
    if (name == QLatin1String("EmployeeQueryRq")) {
        return answerEmployees(xml, request);
    }
    if (name == QLatin1String("PayrollItemNonWageQueryRq")) {
        return answerNonWageItems(xml, request);
    }
    if (name == QLatin1String("PayrollDetailReportQueryRq")) {
        return answerDetailReport(xml, request);
    }
    if (name == QLatin1String("PayrollSummaryReportQueryRq")) {
        return answerSummaryReport(xml, request);
    }
    return writeStatusOnly(
        xml, request,
        {3040, QStringLiteral("Error"),
         QStringLiteral("The request %1 is not supported by the simulated QuickBooks.").arg(request.name)});
}

bool SimulatedQuickBooks::answerHost(QXmlStreamWriter& xml, const Request& request) const
{
    startResponse(xml, request, Status());
    xml.writeStartElement(QStringLiteral("HostRet"));
    xml.writeTextElement(QStringLiteral("ProductName"), m_company.productName);
    xml.writeTextElement(QStringLiteral("MajorVersion"), m_company.majorVersion);
    xml.writeTextElement(QStringLiteral("MinorVersion"), m_company.minorVersion);
    xml.writeTextElement(QStringLiteral("Country"), QStringLiteral("US"));
    xml.writeTextElement(QStringLiteral("SupportedQBXMLVersion"), QStringLiteral("3.0"));
    xml.writeTextElement(QStringLiteral("IsAutomaticLogin"), QStringLiteral("false"));
    xml.writeTextElement(QStringLiteral("QBFileMode"), QStringLiteral("SingleUser"));
    xml.writeEndElement();
    xml.writeEndElement();
    return false;
}

bool SimulatedQuickBooks::answerCompany(QXmlStreamWriter& xml, const Request& request) const
{
    startResponse(xml, request, Status());
    xml.writeStartElement(QStringLiteral("CompanyRet"));
    writeOptional(xml, QStringLiteral("CompanyName"), m_company.name);
    writeOptional(xml, QStringLiteral("LegalCompanyName"), m_company.legalName);
    writeAddress(xml, QStringLiteral("Address"), m_company.address);
    writeAddress(xml, QStringLiteral("LegalAddress"), m_company.legalAddress);
    writeOptional(xml, QStringLiteral("EIN"), m_company.ein);
    xml.writeEndElement();
    xml.writeEndElement();
    return false;
}

bool SimulatedQuickBooks::answerEmployees(QXmlStreamWriter& xml, const Request& request) const
{
    QList<const Employee*> wanted;
    for (const Employee& employee : m_company.employees) {
        if (wantedByActiveStatus(request, employee.isActive)) {
            wanted.append(&employee);
        }
    }
    if (wanted.isEmpty()) {
        return writeStatusOnly(xml, request, notFound());
    }
    // Owner 0 is the custom fields every application sees; QuickBooks returns them only when asked.
    const bool withCustomFields = request.has(QStringLiteral("OwnerID"), QStringLiteral("0"));
    startResponse(xml, request, Status());
    for (const Employee* employee : wanted) {
        xml.writeStartElement(QStringLiteral("EmployeeRet"));
        xml.writeTextElement(QStringLiteral("ListID"), employee->listId);
        xml.writeTextElement(QStringLiteral("Name"), employee->name);
        xml.writeTextElement(QStringLiteral("IsActive"), boolText(employee->isActive));
        writeOptional(xml, QStringLiteral("FirstName"), employee->firstName);
        writeOptional(xml, QStringLiteral("MiddleName"), employee->middleName);
        writeOptional(xml, QStringLiteral("LastName"), employee->lastName);
        writeOptional(xml, QStringLiteral("SSN"), employee->ssn);
        for (const auto& [fieldName, value] : employee->customFields) {
            if (!withCustomFields) {
                break;
            }
            xml.writeStartElement(QStringLiteral("DataExtRet"));
            xml.writeTextElement(QStringLiteral("OwnerID"), QStringLiteral("0"));
            xml.writeTextElement(QStringLiteral("DataExtName"), fieldName);
            xml.writeTextElement(QStringLiteral("DataExtType"), QStringLiteral("STR255TYPE"));
            xml.writeTextElement(QStringLiteral("DataExtValue"), value);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return false;
}

bool SimulatedQuickBooks::answerNonWageItems(QXmlStreamWriter& xml, const Request& request) const
{
    if (!m_company.payrollSubscription) {
        return writeStatusOnly(xml, request, noSubscription());
    }
    QList<const PayrollItem*> wanted;
    for (const PayrollItem& item : m_company.payrollItems) {
        if (!item.isWage && wantedByActiveStatus(request, item.isActive)) {
            wanted.append(&item);
        }
    }
    if (wanted.isEmpty()) {
        return writeStatusOnly(xml, request, notFound());
    }
    startResponse(xml, request, Status());
    for (const PayrollItem* item : wanted) {
        xml.writeStartElement(QStringLiteral("PayrollItemNonWageRet"));
        xml.writeTextElement(QStringLiteral("ListID"), item->listId);
        xml.writeTextElement(QStringLiteral("Name"), item->name);
        xml.writeTextElement(QStringLiteral("IsActive"), boolText(item->isActive));
        xml.writeTextElement(QStringLiteral("NonWageType"), item->nonWageType);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return false;
}

bool SimulatedQuickBooks::answerDetailReport(QXmlStreamWriter& xml, const Request& request) const
{
    if (!m_company.payrollSubscription) {
        return writeStatusOnly(xml, request, noSubscription());
    }
    const QString type = request.value(QStringLiteral("PayrollDetailReportType"));
    const bool stateTaxes = type == QLatin1String("EmployeeStateTaxesDetail");
    if (!stateTaxes && type != QLatin1String("PayrollItemDetail")) {
        return writeStatusOnly(xml, request,
                               invalidValue(QStringLiteral("The payroll detail report %1 is not supported by the "
                                                           "simulated QuickBooks.")
                                                .arg(quoted(type))));
    }
    const std::optional<Period> period = requestedPeriod(request);
    if (!period) {
        return writeStatusOnly(xml, request, badPeriod());
    }

    struct Line
    {
        const Paycheck* paycheck;
        const PaycheckLine* line;
    };
    QList<Line> lines;
    for (const Paycheck& paycheck : m_company.paychecks) {
        if (!period->contains(paycheck.date)) {
            continue;
        }
        for (const PaycheckLine& line : paycheck.lines) {
            const PayrollItem& item = m_company.payrollItems.at(line.item);
            const bool wanted =
                stateTaxes ? item.nonWageType == QLatin1String("Tax") && !isFederalTax(item.name) : !item.isWage;
            if (wanted) {
                lines.append({&paycheck, &line});
            }
        }
    }
    const auto employeeName = [&](const Line& line) -> const QString& {
        return m_company.employees.at(line.paycheck->employee).name;
    };
    std::stable_sort(lines.begin(), lines.end(), [&](const Line& a, const Line& b) {
        if (a.paycheck->employee != b.paycheck->employee) {
            return nameLess(employeeName(a), employeeName(b));
        }
        return a.paycheck->date < b.paycheck->date;
    });

    Report report;
    report.title = stateTaxes ? QStringLiteral("Employee State Taxes Detail") : QStringLiteral("Payroll Item Detail");
    report.subtitle = period->subtitle();
    report.columns = {
        {1, QStringLiteral("STRTYPE"), {QString()}, QStringLiteral("Blank")},
        {2, QStringLiteral("STRTYPE"), {QStringLiteral("Name")}, QStringLiteral("Name")},
        {3, QStringLiteral("DATETYPE"), {QStringLiteral("Date")}, QStringLiteral("Date")},
        {4, QStringLiteral("STRTYPE"), {QStringLiteral("Payroll Item")}, QStringLiteral("PayrollItem")},
        {5, QStringLiteral("AMTTYPE"), {QStringLiteral("Income Subject To Tax")}, QStringLiteral("IncomeSubjectToTax")},
        {6, QStringLiteral("AMTTYPE"), {QStringLiteral("Wage Base")}, QStringLiteral("WageBase")},
        {7, QStringLiteral("PRICETYPE"), {QStringLiteral("Rate")}, QStringLiteral("UnitPrice")},
        {8, QStringLiteral("AMTTYPE"), {QStringLiteral("Amount")}, QStringLiteral("Amount")}};

    Sum totalSubject, totalBase, totalAmount;
    for (qsizetype first = 0; first < lines.size();) {
        const QString& name = employeeName(lines.at(first));
        report.rows.append(textRow(name));
        Sum subject, base, amount;
        qsizetype next = first;
        for (; next < lines.size() && lines.at(next).paycheck->employee == lines.at(first).paycheck->employee; ++next) {
            const PaycheckLine& line = *lines.at(next).line;
            ReportRow row{RowKind::Data, QString(), {}};
            addCell(row, 2, name);
            addCell(row, 3, lines.at(next).paycheck->date.toString(Qt::ISODate));
            addCell(row, 4, m_company.payrollItems.at(line.item).name);
            addCell(row, 5, line.incomeSubjectToTax);
            addCell(row, 6, line.wageBase);
            if (line.rate) {
                addCell(row, 7, formatPlainDecimal(*line.rate));
            }
            addCell(row, 8, line.amount);
            report.rows.append(row);
            subject.add(line.incomeSubjectToTax);
            base.add(line.wageBase);
            amount.add(line.amount);
        }
        ReportRow subtotal = labelledRow(RowKind::Subtotal, 2, QStringLiteral("Total ") + name);
        addCell(subtotal, 5, subject.value());
        addCell(subtotal, 6, base.value());
        addCell(subtotal, 8, amount.value());
        report.rows.append(subtotal);
        totalSubject.add(subject);
        totalBase.add(base);
        totalAmount.add(amount);
        first = next;
    }
    if (!lines.isEmpty()) {
        ReportRow total = labelledRow(RowKind::Total, 2, QStringLiteral("TOTAL"));
        addCell(total, 5, totalSubject.value());
        addCell(total, 6, totalBase.value());
        addCell(total, 8, totalAmount.value());
        report.rows.append(total);
    }

    startResponse(xml, request, Status());
    writeReport(xml, report);
    xml.writeEndElement();
    return false;
}

bool SimulatedQuickBooks::answerSummaryReport(QXmlStreamWriter& xml, const Request& request) const
{
    if (!m_company.payrollSubscription) {
        return writeStatusOnly(xml, request, noSubscription());
    }
    const QString type = request.value(QStringLiteral("PayrollSummaryReportType"));
    if (type != QLatin1String("PayrollSummary")) {
        return writeStatusOnly(xml, request,
                               invalidValue(QStringLiteral("The payroll summary report %1 is not supported by the "
                                                           "simulated QuickBooks.")
                                                .arg(quoted(type))));
    }
    const std::optional<Period> period = requestedPeriod(request);
    if (!period) {
        return writeStatusOnly(xml, request, badPeriod());
    }

    // The employees paid in the period, in name order; column k belongs to the k-th, column n to the totals.
    QList<int> employees;
    for (const Paycheck& paycheck : m_company.paychecks) {
        if (period->contains(paycheck.date) && !employees.contains(paycheck.employee)) {
            employees.append(paycheck.employee);
        }
    }
    std::sort(employees.begin(), employees.end(),
              [&](int a, int b) { return nameLess(m_company.employees.at(a).name, m_company.employees.at(b).name); });
    const qsizetype n = employees.size();
    const auto hoursCol = [](qsizetype k) { return static_cast<int>(2 + 3 * k); };

    Report report;
    report.title = QStringLiteral("Payroll Summary");
    report.subtitle = period->subtitle();
    report.titleRows = 2;
    report.columns.append({1, QStringLiteral("STRTYPE"), {QString(), QString()}, QStringLiteral("Label")});
    for (qsizetype k = 0; k <= n; ++k) {
        const QString title = k < n ? m_company.employees.at(employees.at(k)).name : QStringLiteral("TOTAL");
        report.columns.append({hoursCol(k),
                               QStringLiteral("QUANTYPE"),
                               {QString(), QStringLiteral("Hours")},
                               QStringLiteral("Quantity")});
        report.columns.append({hoursCol(k) + 1,
                               QStringLiteral("PRICETYPE"),
                               {QString(), QStringLiteral("Rate")},
                               QStringLiteral("UnitPrice")});
        report.columns.append(
            {hoursCol(k) + 2, QStringLiteral("AMTTYPE"), {title, QStringLiteral("Amount")}, QStringLiteral("Amount")});
    }

    // Per item, one cell per employee and one for the totals; paycheck hours and each kind's sums per column.
    QHash<int, QList<SummaryCell>> cells;
    QList<Sum> paidHours(n + 1), gross(n + 1), withheld(n + 1);
    QSet<int> withholdings;
    for (const Paycheck& paycheck : m_company.paychecks) {
        if (!period->contains(paycheck.date)) {
            continue;
        }
        const qsizetype k = employees.indexOf(paycheck.employee);
        paidHours[k].add(paycheck.hours);
        paidHours[n].add(paycheck.hours);
        for (const PaycheckLine& line : paycheck.lines) {
            const PayrollItem& item = m_company.payrollItems.at(line.item);
            QList<SummaryCell>& itemCells = cells[line.item];
            itemCells.resize(n + 1);
            itemCells[k].add(line);
            itemCells[n].add(line);
            if (item.isWage) {
                gross[k].add(line.amount);
                gross[n].add(line.amount);
            } else if (item.nonWageType == QLatin1String("Tax") && line.amount && line.amount->isNegative()) {
                withholdings.insert(line.item);
            }
        }
    }
    for (int item : std::as_const(withholdings)) {
        for (qsizetype k = 0; k <= n; ++k) {
            withheld[k].add(cells.constFind(item)->at(k).amount);
        }
    }

    const auto itemRows = [&](bool wages) {
        for (int item = 0; item < m_company.payrollItems.size(); ++item) {
            if (!cells.contains(item) ||
                (wages ? !m_company.payrollItems.at(item).isWage : !withholdings.contains(item))) {
                continue;
            }
            ReportRow row = labelledRow(RowKind::Data, 1, m_company.payrollItems.at(item).name);
            for (qsizetype k = 0; k <= n; ++k) {
                const SummaryCell& cell = cells.constFind(item)->at(k);
                if (wages) {
                    addCell(row, hoursCol(k), cell.hours.value());
                    if (cell.commonRate()) {
                        addCell(row, hoursCol(k) + 1, formatPlainDecimal(*cell.commonRate()));
                    }
                }
                addCell(row, hoursCol(k) + 2, cell.amount.value());
            }
            report.rows.append(row);
        }
    };
    const auto subtotalRow = [&](const QString& label, const QList<Sum>* hours, const QList<Sum>& amounts) {
        ReportRow row = labelledRow(RowKind::Subtotal, 1, label);
        for (qsizetype k = 0; k <= n; ++k) {
            if (hours) {
                addCell(row, hoursCol(k), nonZero(hours->at(k).value()));
            }
            addCell(row, hoursCol(k) + 2, amounts.at(k).value().value_or(Currency()));
        }
        report.rows.append(row);
    };
    if (n > 0) {
        report.rows.append(textRow(QStringLiteral("Employee Wages, Taxes and Adjustments")));
        report.rows.append(textRow(QStringLiteral("Gross Pay")));
        itemRows(true);
        subtotalRow(QStringLiteral("Total Gross Pay"), &paidHours, gross);
        report.rows.append(textRow(QStringLiteral("Taxes Withheld")));
        itemRows(false);
        subtotalRow(QStringLiteral("Total Taxes Withheld"), nullptr, withheld);
    }

    startResponse(xml, request, Status());
    writeReport(xml, report);
    xml.writeEndElement();
    return false;
}

} // namespace wagetrove
