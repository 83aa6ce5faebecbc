#include "store/bulkinsert.h"

#include "store/sqlutil.h"

#include <sqlite3.h>

namespace wagetrove {

void appendUtf8(std::string& into, const QString& text)
{
    const size_t at = into.size();
    const QChar* const characters = text.constData();
    const qsizetype length = text.size();
    into.resize(at + size_t(length));
    for (qsizetype i = 0; i < length; ++i) {
        if (characters[i].unicode() >= 0x80) {
            const QByteArray utf8 = text.toUtf8();
            into.resize(at);
            into.append(utf8.constData(), size_t(utf8.size()));
            return;
        }
        into[at + size_t(i)] = char(characters[i].unicode());
    }
}

BulkInsert::BulkInsert(QSqlDatabase& db, const QString& statement)
{
    m_db = sqliteConnection(db);
    if (m_db == nullptr) {
        m_prepareError = QStringLiteral("the wage store is not open");
        return;
    }
    const QByteArray sql = statement.toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), static_cast<int>(sql.size()), &m_statement, nullptr) != SQLITE_OK) {
        m_prepareError = QString::fromUtf8(sqlite3_errmsg(m_db));
        m_statement = nullptr;
        return;
    }
    // Sized once: the bound bytes must stay where they are until the statement has run.
    m_texts.resize(size_t(sqlite3_bind_parameter_count(m_statement)) + 1);
}

BulkInsert::~BulkInsert()
{
    sqlite3_finalize(m_statement);
}

void BulkInsert::bind(int position, const QString& text)
{
    // A text bound as UTF-8 is stored as it is, where UTF-16 would be converted value by value. Each position
    // keeps its bytes until the statement has run, so SQLite need not copy them.
    if (position < 1 || size_t(position) >= m_texts.size()) {
        sqlite3_bind_text(m_statement, position, "", 0, SQLITE_STATIC); // refused by SQLite as out of range
        return;
    }
    std::string& bytes = m_texts[size_t(position)];
    bytes.clear();
    appendUtf8(bytes, text);
    sqlite3_bind_text(m_statement, position, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
}

void BulkInsert::bindUtf8(int position, const char* text, size_t length)
{
    sqlite3_bind_text(m_statement, position, text, static_cast<int>(length), SQLITE_STATIC);
}

void BulkInsert::bind(int position, qint64 number)
{
    sqlite3_bind_int64(m_statement, position, number);
}

bool BulkInsert::run()
{
    if (m_statement == nullptr) {
        return false;
    }
    const int result = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    return result == SQLITE_DONE;
}

QString BulkInsert::errorText() const
{
    if (m_statement == nullptr) {
        return m_prepareError;
    }
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

} // namespace wagetrove
