#include "acquire/qbwc/webconnectorpassword.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

#include <array>

namespace wagetrove {
namespace {

const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kRounds = 100000;
constexpr int kKeyBytes = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int rounds)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, rounds, kKeyBytes);
}

} // namespace

QString passwordRecord(const QString& password)
{
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray salt(reinterpret_cast<const char*>(words.data()), qsizetype(sizeof(words)));
    return QStringList{kScheme, QString::number(kRounds), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(derive(password, salt, kRounds).toBase64())}
        .join(QLatin1Char('$'));
}

bool passwordMatches(const QString& password, const QString& record)
{
    const QStringList parts = record.split(QLatin1Char('$'));
    bool roundsOk = false;
    const int rounds = parts.size() == 4 ? parts[1].toInt(&roundsOk) : 0;
    if (parts.size() != 4 || parts[0] != kScheme || !roundsOk || rounds < 1 || rounds > 10 * kRounds) {
        return false;
    }
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[3].toLatin1());
    return !salt.isEmpty() && key.size() == kKeyBytes && equalInConstantTime(derive(password, salt, rounds), key);
}

bool equalInConstantTime(const QByteArray& a, const QByteArray& b)
{
    // Both are run over to the longer one's end, so the time depends on the lengths alone.
    const qsizetype length = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0U : 1U;
    for (qsizetype i = 0; i < length; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= unsigned(x ^ y);
    }
    return difference == 0;
}

} // namespace wagetrove
