#pragma once

#include <QString>

#include <memory>

namespace wagetrove {

class Dialogs;
class SubmitterModel;
struct MainWindowState;
struct Session;

inline const QString kInvalidWageLimit = QStringLiteral("Invalid Wage Limit.");

/// The option boxes of the Submitter window, by control.
enum class SubmitterCheck
{
    Check1 = 1, ///< merge QuickBooks company files
    Check2,     ///< gross pay, taxable wages zero
    Check3,     ///< gross pay, taxable wages computed against the wage limit
    Check4,     ///< support file
    Check5,     ///< zero hours for MA Quest
    Check6,     ///< employer EIN as submitter EIN
    Check7,     ///< standalone: wages from a spreadsheet, employer from QuickBooks
    Check8,     ///< standalone: wages and employer from a spreadsheet
};

/// What the Submitter window's unbound boxes hold. The window shows these and hands every change back.
struct SubmitterOptionBoxes
{
    bool Check1 = false;
    bool Check2 = false;
    bool Check3 = false;
    bool Check4 = false;
    bool Check5 = false;
    bool Check6 = false;
    bool Check7 = false;
    bool Check8 = false;
    QString Text1; ///< the wage limit as typed
    bool Text1Enabled = false;
    QString Text2;          ///< the QuickBooks custom field holding Washington SOC codes
    QString RemitterIdText; ///< txtFields(10), the NC remitter ID
    QString QuickBooksText; ///< how QuickBooks is reached: replay:FILE or simulated:FILE

    bool& check(SubmitterCheck box);
    bool check(SubmitterCheck box) const;
};

/// The boxes as the window opens over the session's options. Check4 always opens cleared; the wage limit shows
/// only when it is above 0, in its plain decimal form.
SubmitterOptionBoxes loadSubmitterOptions(const Session& session);

/// A click that left `box` ticked or cleared. Ticking Check2 or Check3 clears the other, as does ticking Check7 or
/// Check8; the Wage Limit box is enabled exactly while Check3 is ticked. Nothing outside the boxes changes until OK.
void clickSubmitterCheck(SubmitterOptionBoxes& boxes, SubmitterCheck box, bool ticked);

/// OK. With Check3 ticked the wage limit must be a number above 0, else "Invalid Wage Limit." is shown, nothing
/// changes and false is returned. Otherwise the session takes every option, the keys WageLimit (as typed),
/// QBFieldNameSoc, RemitID, UseEmployer, StandAlone, StandAlonenoqb and QuickBooks are written, the main window's
/// Command1 reads "Load Wages" in either standalone mode, and true is returned: the window closes. A settings file that
/// cannot be written is reported; the options then hold until the program ends.
bool acceptSubmitterOptions(Session& session, MainWindowState& window, const SubmitterOptionBoxes& boxes,
                            Dialogs& dialogs);

/// The Submitter window's work while it is up: the wage store held exclusively, the Submitter row in a model
/// and the unbound boxes.
class SubmitterEditor
{
public:
    SubmitterEditor(Session& session, MainWindowState& window, Dialogs& dialogs);
    ~SubmitterEditor();
    SubmitterEditor(const SubmitterEditor&) = delete;
    SubmitterEditor& operator=(const SubmitterEditor&) = delete;

    /// Opens the wage store for this window alone (without emptying the run's tables), reads the Submitter row
    /// and loads the boxes. A store that cannot be opened or read is reported as a data error; the options
    /// still work and model() is null.
    void open();

    SubmitterOptionBoxes& boxes() { return m_boxes; }
    /// The Submitter row; null when the store could not be read.
    SubmitterModel* model() const { return m_model.get(); }

    void click(SubmitterCheck box, bool ticked);
    /// OK: see acceptSubmitterOptions(). True when the window is to close.
    bool accept();
    /// The window closes, by OK or Cancel: the bound fields' edits are saved (a failure is reported as a data
    /// error) and the store is released. Safe to call twice.
    void finish();

    /// The binding's caption at a zero-based row: "Record: 1" for the first.
    static QString recordCaption(int row);

private:
    void reportDataError(const QString& error);

    Session& m_session;
    MainWindowState& m_window;
    Dialogs& m_dialogs;
    SubmitterOptionBoxes m_boxes;
    std::unique_ptr<SubmitterModel> m_model;
    bool m_holdsStore = false;
};

} // namespace wagetrove
