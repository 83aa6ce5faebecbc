#pragma once

#include "common/currency.h"
#include "store/wagestore.h"

#include <QDate>
#include <QString>

namespace wagetrove {

/// The texts of the totals window's boxes. The window loads from and writes back to these, and the writers and
/// the validation read them, so what the user corrected there is what is filed.
struct TotalsWindowBoxes
{
    QString Text1;  ///< month 1 count
    QString Text2;  ///< total wages
    QString Text3;  ///< month 2 count
    QString Text4;  ///< month 3 count
    QString Text5;  ///< taxable wages
    QString Text6;  ///< rate
    QString Text7;  ///< tax due
    QString Text8;  ///< EIN
    QString Text9;  ///< State ID
    QString Text10; ///< county code (Texas) or modified rate (Kentucky)
    QString Text11; ///< out-of-county count
    QString Text12; ///< withholding wages, or the Kentucky surcharge rate
    QString Text13; ///< withholding amount, or the Kentucky surcharge amount

    /// The text of box TextN, N from 1 to 13.
    QString& box(int number)
    {
        QString* const texts[] = {&Text1, &Text2, &Text3,  &Text4,  &Text5,  &Text6, &Text7,
                                  &Text8, &Text9, &Text10, &Text11, &Text12, &Text13};
        return *texts[number - 1];
    }
};

/// The texts of the transmitter window's boxes.
struct TransmitterWindowBoxes
{
    QString Text1;  ///< employer name
    QString Text2;  ///< employer address
    QString Text3;  ///< employer city
    QString Text4;  ///< employer state
    QString Text5;  ///< employer ZIP
    QString Text6;  ///< transmitter name
    QString Text7;  ///< transmitter address
    QString Text8;  ///< transmitter city
    QString Text9;  ///< contact name
    QString Text10; ///< contact e-mail
    QString Text11; ///< transmitter state
    QString Text12; ///< transmitter ZIP
    QString Text13; ///< transmitter EIN
    QString Text14; ///< contact phone

    /// The text of box TextN, N from 1 to 14.
    QString& box(int number)
    {
        QString* const texts[] = {&Text1, &Text2, &Text3,  &Text4,  &Text5,  &Text6,  &Text7,
                                  &Text8, &Text9, &Text10, &Text11, &Text12, &Text13, &Text14};
        return *texts[number - 1];
    }
};

/// The values shared by every command for the life of the process. Passed by reference; there is no global.
/// The settings flags are bools here and read and written as "Y"/"N" in suta.ini.
struct Session
{
    // State and period.
    QString StateAbbrev;
    QString StateFips;
    QString Quarter; ///< "1" to "4"
    qint16 TaxYear = 0;
    QString FromDate;      ///< MM/DD/YYYY
    QString ToDate;        ///< MM/DD/YYYY
    QString ToMonthYear;   ///< the To date as MMYYYY
    int StatePosition = 0; ///< list position of the selected state in the catalogue
    QDate Today;           ///< today as start-up took it (fixed by tests and scripts)

    // Folders and files. Folders end with a separator.
    QString AppFolder; ///< the files that ship with the program: share/wagetrove when installed
    QString DataFolder;
    QString DataFolderShort;
    QString SettingsFile;
    QString DocumentsFolder; ///< the user's documents folder, where a first save dialog opens
    QString SaveFolder;      ///< the folder a state file was last saved in; empty before the first
    QString WrittenFile;     ///< the state file Create File last wrote in this run, as a full path

    // Mirrors of the settings file.
    bool Message = true;
    bool TWCMessage = true;
    Currency WageLimit;
    QString LastState = QStringLiteral("0");
    bool UseEmployer = false;
    bool StandAlone = false;
    bool StandAlonenoqb = false;
    QString StateID;
    QString FedID;
    Currency Rate;
    QString RemitID = QStringLiteral("999996");
    QString QBFieldNameSoc;
    QString QuickBooksConnection; ///< how QuickBooks is reached: "replay:FILE", "simulated:FILE" or "webconnector:…"
    // The QuickBooks Web Connector's account and service.
    QString QBWCUserName;
    QString QBWCPassword; ///< a salted key of the password, never the password
    QString QBWCOwnerID;
    QString QBWCFileID;
    int QBWCWaitSeconds = 600;
    QString QBWCCertificate;
    QString QBWCKey;

    // Options of the Submitter window that live for the process.
    bool MergeFiles = false;
    bool UseSUIItem = true;
    bool CalcTaxable = false;
    bool SupportFile = false;
    bool AllowZeroHours = false;
    bool RemembersSaveFolder = false; ///< the desktop program's save dialogs open where the last file went

    // Run values.
    bool ProceedFlag = true;
    bool DataError = false;
    bool ItemFound = false;
    bool ChecksPassed = false;
    bool StartingUp = false;
    QString QBMaxVersion = QStringLiteral("35");
    QString SUIItemName;
    QString SWHItemName;
    QString StateAccountID;
    QString EmployerAddress;
    bool AcrobatRunning = false;

    int LoadedStatePosition = -1; ///< the list position the store's wages were loaded for; -1 before a load

    // Totals of the quarter.
    Currency TotalWages;
    Currency TaxableTotal;
    int Month1Count = 0;
    int Month2Count = 0;
    int Month3Count = 0;
    Currency ModifiedRate;
    Currency SWHWagesTotal;
    Currency SWHAmountTotal;

    // The boxes of the two windows the writers read.
    TotalsWindowBoxes Form3;
    TransmitterWindowBoxes frmTXMag;

    // The wage store, open from OpenWageStore to CloseWageStore within one command.
    WageStore Store;
};

/// "Y" or "N", as flags are written in the settings file.
inline QString flagText(bool flag)
{
    return flag ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace wagetrove
