#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace wagetrove::schema {

/// The schema version kept in the store's user_version. A later release that changes the tables raises it and
/// adds an upgrade step from the previous version.
constexpr int kVersion = 1;

inline const QString kEmployee = QStringLiteral("Employee");
inline const QString kEmployer = QStringLiteral("Employer");
inline const QString kSubmitter = QStringLiteral("Submitter");
inline const QString kStateIDTable = QStringLiteral("StateIDTable");

/// The table that keeps the store's named action queries.
inline const QString kStoredQueryTable = QStringLiteral("StoredQuery");

inline const QString kDeleteZeros = QStringLiteral("DeleteZeros");
inline const QString kDeleteEmployer = QStringLiteral("DeleteEmployer");
inline const QString kDeleteEmployees = QStringLiteral("DeleteEmployees");

/// Creates every table, index and stored query of an empty store, plus the single empty Submitter row, and
/// stamps the schema version. Runs in one transaction; throws StoreError on failure.
void create(QSqlDatabase& db);

/// Brings a store of an older schema version up to kVersion in place; throws StoreError when it cannot
/// (for instance a store written by a newer release).
void upgrade(QSqlDatabase& db);

/// What is wrong with an open database as a wage store (missing table, field or stored query, unknown
/// version), or nothing when it is a usable store.
std::optional<QString> problemWith(QSqlDatabase& db);

/// Drops the Employee table's two case-blind name indexes for a bulk load, within the caller's transaction.
/// Keeping them up to date row by row touches pages all over both indexes; building each once from the
/// loaded rows is several times cheaper. Throws StoreError.
void dropEmployeeNameIndexes(QSqlDatabase& db);

/// Creates the indexes dropEmployeeNameIndexes dropped, before the caller's transaction commits, so that the
/// store never holds the table without them. Throws StoreError.
void createEmployeeNameIndexes(QSqlDatabase& db);

} // namespace wagetrove::schema
