#pragma once

#include "common/currency.h"

#include <QSaveFile>
#include <QString>

#include <functional>

namespace wagetrove {

class Dialogs;
class FixedRecord;
class WageStore;
struct Session;

/// What stops a state file. `unexpected` marks a failure that is not the fault of a value (a store or disk
/// error): the writer's own "Unexpected Error" message then stands for it.
struct WriteFailure
{
    QString message;
    bool unexpected = false;
};

/// One employee as the writers read it. A missing value reads as an empty text, a zero amount or a month not
/// worked, never as the previous employee's.
struct EmployeeRow
{
    QString Name;
    QString SS;
    QString LastName;
    QString FirstName;
    QString MiddleName;
    QString Owner;
    QString UnitCode;
    Currency GrossWages;
    Currency TaxableWages;
    Currency SWHWages;
    Currency SWHAmount;
    Currency TotalHours;
    bool Month1 = false;
    bool Month2 = false;
    bool Month3 = false;

    /// How a message names the employee.
    QString who() const;
};

/// The middle initial the files carry: the first character of the middle name, or nothing for an empty or
/// blank one.
QString middleInitial(const QString& middleName);

/// A month flag as the files carry it: "1" when the employee worked in the month, "0" otherwise.
QString monthFlag(bool worked);

/// The order in which a writer reads the employees.
enum class EmployeeOrder
{
    LastName,
    Name,
};

/// Everything one state writer needs to stop with the right message.
class StateFileContext
{
public:
    /// `unexpectedMessage` is the writer's "Unexpected Error has occured in ….  Try Again."; `fileLabel` names
    /// the file in a value's message ("The Illinois wage file").
    StateFileContext(QString unexpectedMessage, QString fileLabel);

    WriteFailure unexpected() const;
    /// The unexpected-error message with a second line naming the file and the system's reason.
    WriteFailure outputFailure(const QString& path, const QString& reason) const;
    WriteFailure valueFailure(const QString& where, const QString& reason) const;

    /// Removes the employees with nothing to report and hands every other one to `onEmployee`, in order.
    void forEachEmployee(WageStore& store, EmployeeOrder order,
                         const std::function<void(const EmployeeRow&)>& onEmployee) const;
    /// Hands every stored employee to `onEmployee`, in order, removing none.
    void forEachStoredEmployee(WageStore& store, EmployeeOrder order,
                               const std::function<void(const EmployeeRow&)>& onEmployee) const;

private:
    QString m_unexpectedMessage;
    QString m_fileLabel;
};

/// A state file written whole or not at all: the bytes go to a temporary file beside the target, which replaces
/// the target only on commit(). Until then an existing file of that name stays as it was.
class StateFile
{
public:
    StateFile(const QString& fileName, const StateFileContext& context);

    /// Writes a record; a record that could not be built stops the file with its reason and `which` record it is.
    void write(const FixedRecord& record, const QString& which);
    /// Writes an employee's record; the employee is named only when the record could not be built.
    void write(const FixedRecord& record, const EmployeeRow& employee);
    void write(const QByteArray& bytes);
    void commit();

private:
    QSaveFile m_file;
    const StateFileContext& m_context;
};

/// Reports how far the running writer has come in work of its own beyond the employees (the pages of the wage
/// listing); throws the writer's cancellation, which leaves no file, when the user has cancelled.
void reportWriterProgress(qint64 done, qint64 total);

/// Runs a writer's body under the hourglass over the session's store (the one the checks before filing left open, or
/// the data folder's, opened for the writer), shows the failure that stopped it, and tells whether the file was
/// written.
bool runStateFileWriter(Session& session, Dialogs& dialogs, const StateFileContext& context,
                        const std::function<void(WageStore&)>& body);

} // namespace wagetrove
