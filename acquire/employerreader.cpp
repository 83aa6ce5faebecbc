#include "acquire/employerreader.h"

#include "acquire/qb/qbxmlresponses.h"
#include "app/session.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <QSqlQuery>

namespace wagetrove {
namespace {

/// Runs one statement of the reader; a failure skips it.
void tryExec(QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    try {
        exec(db, statement, values);
    } catch (const StoreError&) {
    }
}

} // namespace

QString defaultSuiItemName(const Session& session)
{
    return session.StateAbbrev + QStringLiteral(" - Unemployment Company");
}

QString defaultSwhItemName(const Session& session)
{
    return session.StateAbbrev + QStringLiteral(" - Withholding");
}

void ReadEmployerInfo(Session& session, const QbResponse& response)
{
    QSqlDatabase& db = session.Store.database();
    const QbCompany company = response.company.value_or(QbCompany());
    const QString name = (company.legalName.trimmed().isEmpty() ? company.name : company.legalName).toUpper();
    const QString street = company.address.addr1.toUpper();
    const QString city = company.address.city.toUpper();
    const QString state = company.address.state.toUpper();
    const QString zip = company.address.postalCode;
    const QString& ein = company.ein;

    tryExec(db,
            QStringLiteral("INSERT INTO [Employer] ([CompanyID], [EIN], [Name], [Address], [City], [State], [Zip]) "
                           "VALUES (1, ?, ?, ?, ?, ?, ?)"),
            {ein, name, street, city, state, zip});
    session.frmTXMag.Text1 = name;
    session.frmTXMag.Text2 = street;
    session.frmTXMag.Text3 = city;
    session.frmTXMag.Text4 = state;
    session.frmTXMag.Text5 = zip;
    session.EmployerAddress = name + QStringLiteral("\r\n") + street + QStringLiteral("\r\n") + city +
                              QLatin1Char(' ') + state + QStringLiteral("  ") + zip;
    session.Form3.Text8 = ein;
    session.FedID = ein;

    QSqlQuery find(db);
    find.prepare(QStringLiteral("SELECT [StateID], [County Code], [PayrollItem], [SWHPayrollItem] FROM "
                                "[StateIDTable] WHERE [EIN] = ? AND [State] = ? ORDER BY rowid LIMIT 1"));
    find.addBindValue(ein);
    find.addBindValue(session.StateAbbrev);
    if (find.exec() && find.next()) {
        session.StateAccountID = find.value(0).toString();
        session.StateID = session.StateAccountID;
        session.Form3.Text9 = session.StateAccountID;
        session.Form3.Text10 = find.value(1).toString();
        session.SUIItemName = find.value(2).toString();
        session.SWHItemName = find.value(3).toString();
    } else {
        session.SUIItemName = defaultSuiItemName(session);
        session.SWHItemName = defaultSwhItemName(session);
        // A company met for the first time has no account number yet; one kept from another company's run
        // would be filed under this one.
        session.StateAccountID.clear();
        session.Form3.Text9 = QStringLiteral(" ");
        session.Form3.Text10 = QStringLiteral(" ");
        tryExec(db,
                QStringLiteral("INSERT INTO [StateIDTable] ([EIN], [State], [PayrollItem], [SWHPayrollItem]) "
                               "VALUES (?, ?, ?, ?)"),
                {ein, session.StateAbbrev, session.SUIItemName, session.SWHItemName});
    }

    QSqlQuery submitter(db);
    if (submitter.exec(QStringLiteral("SELECT rowid, [EIN] FROM [Submitter] ORDER BY rowid LIMIT 1")) &&
        submitter.next() && submitter.value(1).toString().trimmed().isEmpty()) {
        tryExec(db,
                QStringLiteral("UPDATE [Submitter] SET [EIN] = ?, [Name] = ?, [Address] = ?, [City] = ?, [State] = ?, "
                               "[Zip] = ? WHERE rowid = ?"),
                {ein, session.frmTXMag.Text1, session.frmTXMag.Text2, session.frmTXMag.Text3, session.frmTXMag.Text4,
                 session.frmTXMag.Text5, submitter.value(0)});
    }
}

} // namespace wagetrove
