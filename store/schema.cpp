#include "store/schema.h"

#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <array>
#include <span>

namespace wagetrove::schema {
namespace {

struct Field
{
    const char* name;
    const char* declaration;
};

struct Table
{
    const QString& name;
    std::span<const Field> fields;
};

// Money and hours are INTEGER amounts of 1/10,000; yes/no fields are 0 or 1. Every field may hold NULL
// (a cell cleared in a grid); the defaults are what a new row needs. Texts compare without regard to case,
// as names are looked up and sorted that way.
constexpr Field kEmployeeFields[] = {
    {"Name", "TEXT DEFAULT '' COLLATE NOCASE"},
    {"SS", "TEXT DEFAULT ''"},
    {"LastName", "TEXT DEFAULT '' COLLATE NOCASE"},
    {"FirstName", "TEXT DEFAULT '' COLLATE NOCASE"},
    {"MiddleName", "TEXT DEFAULT '' COLLATE NOCASE"},
    {"GrossWages", "INTEGER DEFAULT 0"},
    {"TaxableWages", "INTEGER DEFAULT 0"},
    {"SWHWages", "INTEGER DEFAULT 0"},
    {"SWHAmount", "INTEGER DEFAULT 0"},
    {"TotalHours", "INTEGER DEFAULT 0"},
    {"Owner", "TEXT DEFAULT '0'"},
    {"UnitCode", "TEXT DEFAULT ''"},
    {"Month1", "INTEGER DEFAULT 0 CHECK (Month1 IN (0, 1))"},
    {"Month2", "INTEGER DEFAULT 0 CHECK (Month2 IN (0, 1))"},
    {"Month3", "INTEGER DEFAULT 0 CHECK (Month3 IN (0, 1))"},
    {"StateCode", "TEXT DEFAULT ''"},
    {"QuarterEnding", "TEXT DEFAULT ''"},
};

constexpr Field kEmployerFields[] = {
    {"CompanyID", "INTEGER DEFAULT 0"}, {"EIN", "TEXT DEFAULT ''"},      {"Name", "TEXT DEFAULT ''"},
    {"Address", "TEXT DEFAULT ''"},     {"City", "TEXT DEFAULT ''"},     {"State", "TEXT DEFAULT ''"},
    {"Zip", "TEXT DEFAULT ''"},         {"SutaRate", "TEXT DEFAULT ''"}, {"StateID", "TEXT DEFAULT ''"},
};

constexpr Field kSubmitterFields[] = {
    {"Name", "TEXT DEFAULT ''"},  {"Address", "TEXT DEFAULT ''"}, {"City", "TEXT DEFAULT ''"},
    {"State", "TEXT DEFAULT ''"}, {"Zip", "TEXT DEFAULT ''"},     {"Contact", "TEXT DEFAULT ''"},
    {"Phone", "TEXT DEFAULT ''"}, {"EIN", "TEXT DEFAULT ''"},     {"Email", "TEXT DEFAULT ''"},
};

constexpr Field kStateIDFields[] = {
    {"EIN", "TEXT DEFAULT ''"},         {"State", "TEXT DEFAULT ''"},          {"StateID", "TEXT DEFAULT ''"},
    {"PayrollItem", "TEXT DEFAULT ''"}, {"SWHPayrollItem", "TEXT DEFAULT ''"}, {"County Code", "TEXT DEFAULT ''"},
};

const std::array<Table, 4> kTables = {{
    {kEmployee, kEmployeeFields},
    {kEmployer, kEmployerFields},
    {kSubmitter, kSubmitterFields},
    {kStateIDTable, kStateIDFields},
}};

// DeleteZeros removes an employee when gross wages, taxable wages, withholding wages and the amount withheld
// are all zero or missing: such a row has nothing to report for the quarter. A row with any of them non-zero,
// negative corrections included, stays; hours alone do not keep a row.
const struct
{
    const QString& name;
    const char* statement;
} kStoredQueries[] = {
    {kDeleteEmployer, "DELETE FROM [Employer]"},
    {kDeleteEmployees, "DELETE FROM [Employee]"},
    {kDeleteZeros, "DELETE FROM [Employee] WHERE COALESCE([GrossWages], 0) = 0 AND COALESCE([TaxableWages], 0) = 0"
                   " AND COALESCE([SWHWages], 0) = 0 AND COALESCE([SWHAmount], 0) = 0"},
};

const char* const kEmployeeNameIndexes[] = {
    "CREATE INDEX [LastName] ON [Employee] ([LastName] COLLATE NOCASE)",
    "CREATE INDEX [Name] ON [Employee] ([Name] COLLATE NOCASE)",
};
const char* const kOtherIndexes[] = {
    "CREATE INDEX [EIN] ON [StateIDTable] ([EIN])",
};

} // namespace

void create(QSqlDatabase& db)
{
    Transaction transaction(db);
    for (const Table& table : kTables) {
        QStringList columns;
        for (const Field& field : table.fields) {
            columns << bracketed(QLatin1String(field.name)) + QLatin1Char(' ') + QLatin1String(field.declaration);
        }
        exec(db, QStringLiteral("CREATE TABLE %1 (%2)").arg(bracketed(table.name), columns.join(QStringLiteral(", "))));
    }
    createEmployeeNameIndexes(db);
    for (const char* index : kOtherIndexes) {
        exec(db, QLatin1String(index));
    }
    exec(db, QStringLiteral("CREATE TABLE [%1] ([Name] TEXT PRIMARY KEY COLLATE NOCASE, [Statement] TEXT NOT NULL)")
                 .arg(kStoredQueryTable));
    for (const auto& query : kStoredQueries) {
        exec(db, QStringLiteral("INSERT INTO [%1] ([Name], [Statement]) VALUES (?, ?)").arg(kStoredQueryTable),
             {query.name, QLatin1String(query.statement)});
    }
    exec(db, QStringLiteral("INSERT INTO [Submitter] DEFAULT VALUES"));
    exec(db, QStringLiteral("PRAGMA user_version = %1").arg(kVersion));
    transaction.commit();
}

void upgrade(QSqlDatabase& db)
{
    const int version = scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
    if (version > kVersion) {
        throw StoreError(QStringLiteral("The wage store was written by a newer release of Wagetrove "
                                        "(store version %1, this release reads up to version %2).")
                             .arg(version)
                             .arg(kVersion));
    }
    // Version 1 is the first release's schema: there is nothing older to upgrade yet. Each later version adds
    // its step here, run in a transaction together with the new user_version.
}

std::optional<QString> problemWith(QSqlDatabase& db)
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        return QStringLiteral("it is not a Wagetrove wage store (%1)").arg(lastErrorText(probe));
    }
    for (const Table& table : kTables) {
        const QSqlRecord record = db.record(table.name);
        if (record.isEmpty()) {
            return QStringLiteral("the table %1 is missing").arg(table.name);
        }
        for (const Field& field : table.fields) {
            if (record.indexOf(QLatin1String(field.name)) < 0) {
                return QStringLiteral("the field %1 of the table %2 is missing")
                    .arg(QLatin1String(field.name), table.name);
            }
        }
    }
    for (const auto& query : kStoredQueries) {
        QSqlQuery find(db);
        find.prepare(QStringLiteral("SELECT count(*) FROM [%1] WHERE [Name] = ?").arg(kStoredQueryTable));
        find.addBindValue(query.name);
        if (!find.exec() || !find.next() || find.value(0).toInt() != 1) {
            return QStringLiteral("the stored query %1 is missing").arg(query.name);
        }
    }
    const int version = scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
    if (version > kVersion) {
        return QStringLiteral("it was written by a newer release of Wagetrove (store version %1)").arg(version);
    }
    return std::nullopt;
}

void dropEmployeeNameIndexes(QSqlDatabase& db)
{
    exec(db, QStringLiteral("DROP INDEX [LastName]"));
    exec(db, QStringLiteral("DROP INDEX [Name]"));
}

void createEmployeeNameIndexes(QSqlDatabase& db)
{
    for (const char* index : kEmployeeNameIndexes) {
        exec(db, QLatin1String(index));
    }
}

} // namespace wagetrove::schema
