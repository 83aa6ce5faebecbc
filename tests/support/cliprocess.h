#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace wagetrove::test {

/// What one run of wagetrove-cli did.
struct CliRun
{
    int status = -1; ///< the exit status; -1 when it crashed or did not end within a minute
    QString out;
    QString err;
};

/// Runs wagetrove-cli as scripts do, over `dataFolder` and a fixed day, with the documents folder set to
/// `documentsFolder` so that no real home folder is touched.
class CliProcess
{
public:
    CliProcess(QString program, QString dataFolder, QString documentsFolder);

    /// Starts a run; `input` is its standard input, closed after it, so that a run that waited for the keyboard
    /// fails instead of hanging.
    void start(QProcess& process, const QStringList& arguments, const QByteArray& input = {},
               const QString& today = QStringLiteral("2025-04-15")) const;
    /// Waits for a started run to end.
    static CliRun finished(QProcess& process);
    /// Starts a run and waits for it.
    CliRun run(const QStringList& arguments, const QString& today = QStringLiteral("2025-04-15"),
               const QByteArray& input = {}) const;

    /// `file` for `state`'s first quarter of 2025, writing `out`; the source of the wages (--wages or
    /// --quickbooks) follows.
    static QStringList quarterFile(const QString& state, const QString& out);

    /// The Submitter fields every filing needs, as the submitter command sets them.
    static const QStringList& submitterArguments();

private:
    QString m_program;
    QString m_dataFolder;
    QString m_documentsFolder;
};

} // namespace wagetrove::test
