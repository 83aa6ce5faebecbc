#pragma once

#include <QSqlDatabase>
#include <QString>

#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace wagetrove {

/// Appends `text` as UTF-8, the store's own encoding. Nearly every value is ASCII and is narrowed in place,
/// without an allocation.
void appendUtf8(std::string& into, const QString& text);

/// One prepared statement run many times straight on the store's SQLite connection. Qt's bound-value path costs
/// several times SQLite's own work per row, which matters when a workbook brings a hundred thousand rows.
/// Values are bound by position from 1, then run() executes the statement and clears them for the next row.
class BulkInsert
{
public:
    /// Prepares `statement` on the open connection; valid() tells whether that worked.
    BulkInsert(QSqlDatabase& db, const QString& statement);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    bool valid() const { return m_statement != nullptr; }
    void bind(int position, const QString& text);
    void bind(int position, qint64 number);
    /// Binds `length` bytes of UTF-8 that stay where they are until the statement has run.
    void bindUtf8(int position, const char* text, size_t length);
    /// Executes the statement with the bound values; false on failure (see errorText()).
    bool run();
    QString errorText() const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    QString m_prepareError;
    std::vector<std::string> m_texts; ///< the text bound at each position, kept until the statement has run
};

} // namespace wagetrove
