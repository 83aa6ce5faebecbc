#include "store/submitteroptions.h"

#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/settings.h"
#include "common/currency.h"
#include "common/dialogs.h"
#include "common/formats.h"
#include "common/numerictext.h"
#include "store/storeerror.h"
#include "store/submittermodel.h"
#include "store/wagestore.h"

#include <QDir>

#include <optional>

namespace wagetrove {

namespace {

template <typename Boxes>
auto& checkOf(Boxes& boxes, SubmitterCheck box)
{
    switch (box) {
    case SubmitterCheck::Check1:
        return boxes.Check1;
    case SubmitterCheck::Check2:
        return boxes.Check2;
    case SubmitterCheck::Check3:
        return boxes.Check3;
    case SubmitterCheck::Check4:
        return boxes.Check4;
    case SubmitterCheck::Check5:
        return boxes.Check5;
    case SubmitterCheck::Check6:
        return boxes.Check6;
    case SubmitterCheck::Check7:
        return boxes.Check7;
    case SubmitterCheck::Check8:
        break;
    }
    return boxes.Check8;
}

} // namespace

bool& SubmitterOptionBoxes::check(SubmitterCheck box)
{
    return checkOf(*this, box);
}

bool SubmitterOptionBoxes::check(SubmitterCheck box) const
{
    return checkOf(*this, box);
}

SubmitterOptionBoxes loadSubmitterOptions(const Session& session)
{
    SubmitterOptionBoxes boxes;
    const auto set = [&boxes](SubmitterCheck box) { clickSubmitterCheck(boxes, box, true); };
    if (session.MergeFiles) {
        set(SubmitterCheck::Check1);
    }
    if (session.CalcTaxable) {
        set(SubmitterCheck::Check3);
    } else if (!session.UseSUIItem) {
        set(SubmitterCheck::Check2);
    }
    if (session.WageLimit > Currency()) {
        boxes.Text1 = formatPlainDecimal(session.WageLimit);
    }
    boxes.Text2 = session.QBFieldNameSoc;
    boxes.QuickBooksText = session.QuickBooksConnection;
    if (session.AllowZeroHours) {
        set(SubmitterCheck::Check5);
    }
    if (session.UseEmployer) {
        set(SubmitterCheck::Check6);
    }
    if (session.StandAlone) {
        set(SubmitterCheck::Check7);
    }
    if (session.StandAlonenoqb) {
        set(SubmitterCheck::Check8);
    }
    boxes.RemitterIdText = session.RemitID;
    return boxes;
}

void clickSubmitterCheck(SubmitterOptionBoxes& boxes, SubmitterCheck box, bool ticked)
{
    boxes.check(box) = ticked;
    if (ticked) {
        // Only the partner box changes: Check8 in particular sets no standalone mode until OK, so that Cancel
        // leaves the session as it was.
        switch (box) {
        case SubmitterCheck::Check2:
            boxes.Check3 = false;
            break;
        case SubmitterCheck::Check3:
            boxes.Check2 = false;
            break;
        case SubmitterCheck::Check7:
            boxes.Check8 = false;
            break;
        case SubmitterCheck::Check8:
            boxes.Check7 = false;
            break;
        default:
            break;
        }
    }
    boxes.Text1Enabled = boxes.Check3;
}

bool acceptSubmitterOptions(Session& session, MainWindowState& window, const SubmitterOptionBoxes& boxes,
                            Dialogs& dialogs)
{
    using namespace settingkeys;
    const std::optional<Currency> wageLimit =
        isNumeric(boxes.Text1) ? Currency::fromNumericText(boxes.Text1) : std::nullopt;
    if (boxes.Check3 && !(wageLimit && *wageLimit > Currency())) {
        dialogs.message(kInvalidWageLimit, kApplicationTitle);
        return false;
    }

    bool written = true;
    const auto write = [&](const QString& key, const QString& value) {
        if (!WriteSetting(session, key, value)) {
            written = false;
        }
    };
    session.WageLimit = wageLimit.value_or(Currency());
    write(kWageLimit, boxes.Text1);
    write(kQBFieldNameSoc, boxes.Text2);
    write(kRemitID, boxes.RemitterIdText);
    session.RemitID = boxes.RemitterIdText;
    session.QBFieldNameSoc = boxes.Text2;
    session.QuickBooksConnection = boxes.QuickBooksText.trimmed();
    write(kQuickBooks, session.QuickBooksConnection);

    session.MergeFiles = boxes.Check1;
    session.SupportFile = boxes.Check4;
    session.AllowZeroHours = boxes.Check5;
    session.UseEmployer = boxes.Check6;
    write(kUseEmployer, flagText(session.UseEmployer));

    session.StandAlone = boxes.Check7;
    session.StandAlonenoqb = boxes.Check8;
    window.command1Caption = session.StandAlone || session.StandAlonenoqb ? QStringLiteral("Load Wages")
                                                                          : QStringLiteral("Get Payroll Data");
    write(kStandAlone, flagText(session.StandAlone));
    write(kStandAlonenoqb, flagText(session.StandAlonenoqb));

    session.UseSUIItem = !boxes.Check2 && !boxes.Check3;
    session.CalcTaxable = boxes.Check3;

    if (!written) {
        dialogs.message(QStringLiteral("The settings file %1 could not be written. The options hold until "
                                       "Wagetrove ends.")
                            .arg(QDir::toNativeSeparators(session.SettingsFile)),
                        kApplicationTitle, MessageIcon::Exclamation);
    }
    return true;
}

SubmitterEditor::SubmitterEditor(Session& session, MainWindowState& window, Dialogs& dialogs)
    : m_session(session), m_window(window), m_dialogs(dialogs)
{}

SubmitterEditor::~SubmitterEditor()
{
    finish();
}

void SubmitterEditor::open()
{
    finish();
    m_boxes = loadSubmitterOptions(m_session);
    std::optional<QString> error;
    {
        const BusyScope busy(m_dialogs);
        try {
            m_session.Store.open(m_session.DataFolder + WageStore::kFileName);
            m_holdsStore = true;
            m_model = std::make_unique<SubmitterModel>(m_session.Store.database());
            error = m_model->load();
        } catch (const StoreError& storeError) {
            error = storeError.message();
        }
        if (error) {
            m_model.reset();
            m_session.Store.close();
            m_holdsStore = false;
        }
    }
    if (error) {
        reportDataError(*error);
    }
}

void SubmitterEditor::click(SubmitterCheck box, bool ticked)
{
    clickSubmitterCheck(m_boxes, box, ticked);
}

bool SubmitterEditor::accept()
{
    return acceptSubmitterOptions(m_session, m_window, m_boxes, m_dialogs);
}

void SubmitterEditor::finish()
{
    if (!m_holdsStore) {
        return;
    }
    std::optional<QString> error;
    {
        const BusyScope busy(m_dialogs);
        error = m_model->save();
        // The model's queries must end before the connection does.
        m_model.reset();
        m_session.Store.close();
        m_holdsStore = false;
    }
    if (error) {
        reportDataError(*error);
    }
}

QString SubmitterEditor::recordCaption(int row)
{
    return QStringLiteral("Record: %1").arg(row + 1);
}

void SubmitterEditor::reportDataError(const QString& error)
{
    m_dialogs.message(kDataErrorPrefix + error, kApplicationTitle);
}

} // namespace wagetrove
