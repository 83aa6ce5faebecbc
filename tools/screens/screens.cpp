// Renders every window and message box of a typical quarter offscreen into PNG files, and checks that each
// window fits a 1366 x 768 screen at 100 % and that no widget cuts its text short.
// Run: QT_QPA_PLATFORM=offscreen [QT_SCALE_FACTOR=1.5] screens OUTPUT_FOLDER
#include "acquire/getpayrolldata.h"
#include "acquire/payrollitemlist.h"
#include "app/accessnotice.h"
#include "app/form1.h"
#include "app/form5.h"
#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/qtpayrolldatawindows.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/statecatalogue.h"
#include "common/dialogs.h"
#include "store/frmgrosstaxable.h"
#include "store/frmstateidtable.h"
#include "store/frmsubmitter.h"
#include "store/wagestore.h"
#include "totals/form3.h"
#include "writers/frmtxmag.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>
#include <memory>

using namespace wagetrove;

namespace {

/// The largest window a 1366 x 768 laptop screen shows whole, below a 28-pixel panel.
constexpr int kMaxWidth = 1366;
constexpr int kMaxHeight = 740;

/// Answers the workbook dialog with the shipped sample and every message with OK.
class SampleDialogs : public Dialogs
{
public:
    explicit SampleDialogs(QString workbook) : m_workbook(std::move(workbook)) {}
    QStringList messages;

    Answer message(const QString& text, const QString&, MessageIcon, MessageButtons) override
    {
        messages << text;
        return Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return m_workbook; }
    void setBusy(bool) override {}
    bool openDocument(const QString&) override { return false; }
    bool hasProgramFor(const QString&) override { return false; }

private:
    QString m_workbook;
};

/// What a widget's text needs beyond what it has, in pixels; 0 when it fits.
int shortfall(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty() || label->wordWrap()) {
            return 0;
        }
        return std::max(0, label->minimumSizeHint().width() - label->width());
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return std::max(0, button->minimumSizeHint().width() - button->width());
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        const int title = group->fontMetrics().horizontalAdvance(group->title()) + 16;
        return std::max(0, title - group->width());
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(widget)) {
        const QMargins margins = box->textMargins();
        const int frame = 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
        const int needed =
            box->fontMetrics().horizontalAdvance(box->displayText()) + margins.left() + margins.right() + frame;
        return box->displayText().isEmpty() ? 0 : std::max(0, needed - box->width());
    }
    return 0;
}

class Screens
{
public:
    Screens(QString folder, bool checkSize) : m_folder(std::move(folder)), m_checkSize(checkSize) {}

    /// Shows the window, saves its picture as NAME.png and records what does not fit.
    void take(const QString& name, QWidget& window)
    {
        window.show();
        QApplication::processEvents();
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (!window.grab().save(path)) {
            m_problems << QStringLiteral("%1: the picture could not be saved as %2").arg(name, path);
        }
        m_written << path;
        if (m_checkSize && (window.width() > kMaxWidth || window.height() > kMaxHeight)) {
            m_problems << QStringLiteral("%1: %2 x %3 pixels, more than %4 x %5")
                              .arg(name)
                              .arg(window.width())
                              .arg(window.height())
                              .arg(kMaxWidth)
                              .arg(kMaxHeight);
        }
        for (const QWidget* widget : window.findChildren<QWidget*>()) {
            if (widget->isVisible()) {
                if (const int missing = shortfall(widget)) {
                    m_problems << QStringLiteral("%1: %2 %3 is %4 pixels too narrow for its text")
                                      .arg(name, QLatin1String(widget->metaObject()->className()),
                                           widget->objectName().isEmpty() ? QStringLiteral("(unnamed)")
                                                                          : widget->objectName())
                                      .arg(missing);
                }
            }
        }
        window.hide();
    }

    void message(const QString& name, QMessageBox::Icon icon, const QString& text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok)
    {
        QMessageBox box(icon, kApplicationTitle, text, buttons);
        take(name, box);
    }

    const QStringList& written() const { return m_written; }
    const QStringList& problems() const { return m_problems; }

private:
    QString m_folder;
    bool m_checkSize;
    QStringList m_written;
    QStringList m_problems;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc != 2) {
        out << "usage: screens OUTPUT_FOLDER\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        out << "cannot make " << folder << '\n';
        return 1;
    }
    const qreal scale = QApplication::primaryScreen()->devicePixelRatio();
    const QString suffix = QStringLiteral("-%1").arg(qRound(scale * 100));

    // A typical quarter: the shipped sample workbook loaded for Illinois, first quarter of 2025.
    QTemporaryDir data;
    Session session;
    session.AppFolder = QStringLiteral(WAGETROVE_PROGRAM_DIR "/");
    session.DataFolder = data.path() + QLatin1Char('/');
    session.SettingsFile = session.DataFolder + QStringLiteral("suta.ini");
    session.DocumentsFolder = data.path();
    session.Today = QDate(2025, 4, 15);
    try {
        WageStore::createEmpty(session.DataFolder + WageStore::kFileName);
    } catch (const std::exception& error) {
        out << "cannot make the wage store: " << error.what() << '\n';
        return 1;
    }
    WriteSetting(session, settingkeys::kStandAlonenoqb, QStringLiteral("Y"));
    ReadSettings(session);
    MainWindowState state;
    state.caption = QStringLiteral("Wagetrove 1.0");
    state.command1Caption = QStringLiteral("Load Wages");
    selectState(session, positionOf(StateItem::Illinois));
    clickQuarter(session, state, 1, session.Today);
    SampleDialogs dialogs(session.AppFolder + QStringLiteral("12-3456789-Sample-Wages.xlsx"));
    Screens screens(folder, qFuzzyCompare(scale, 1.0));

    {
        Form1 main(session, state, dialogs, session.Today);
        screens.take(QStringLiteral("main-before") + suffix, main);
        QtPayrollDataWindows windows(session, dialogs, &main);
        GetPayrollData(session, state, dialogs, windows);
        if (!state.resultsEnabled) {
            out << "the sample quarter did not load: " << dialogs.messages.join(QLatin1Char(' ')) << '\n';
            return 1;
        }
        // A path of the same length on every run, so that the pictures are the same too.
        session.WrittenFile = QStringLiteral("/home/pat/Documents/Wage reports/L1234567.251");
        Form1 loaded(session, state, dialogs, session.Today);
        screens.take(QStringLiteral("main-after") + suffix, loaded);
    }
    {
        frmSubmitter submitter(session, state, dialogs);
        screens.take(QStringLiteral("submitter") + suffix, submitter);
    }
    const std::pair<StateItem, const char*> totals[] = {{StateItem::Illinois, "totals-il"},
                                                        {StateItem::Texas, "totals-tx"},
                                                        {StateItem::Kentucky, "totals-ky"},
                                                        {StateItem::MassachusettsPFML, "totals-pfml"}};
    for (const auto& [item, name] : totals) {
        selectState(session, positionOf(item));
        session.TaxYear = item == StateItem::Kentucky ? 2019 : 2025;
        Form3 window(session, dialogs, ShowTotalsWindowLayout(session, state.fromText, state.toText));
        screens.take(QLatin1String(name) + suffix, window);
    }
    session.TaxYear = 2025;
    selectState(session, positionOf(StateItem::Illinois));
    {
        frmTXMag transmitter(session, dialogs);
        screens.take(QStringLiteral("transmitter") + suffix, transmitter);
    }
    session.Store.open(session.DataFolder + WageStore::kFileName);
    {
        frmGrossTaxable details(session.Store.database(), StateItem::Illinois, dialogs);
        screens.take(QStringLiteral("wage-details") + suffix, details);
        frmStateIDTable accounts(session.Store.database(), dialogs);
        screens.take(QStringLiteral("company-info") + suffix, accounts);
    }
    session.Store.close();
    const QStringList items = {QStringLiteral("IL - Unemployment Company"), QStringLiteral("IL - Withholding"),
                               QStringLiteral("Federal Unemployment")};
    {
        PayrollItemList unemployment(PayrollItemList::Purpose::Unemployment, session, dialogs, items,
                                     QStringLiteral("1234567"));
        screens.take(QStringLiteral("item-unemployment") + suffix, unemployment);
        PayrollItemList withholding(PayrollItemList::Purpose::Withholding, session, dialogs, items, QString());
        screens.take(QStringLiteral("item-withholding") + suffix, withholding);
    }
    {
        AccessNotice notice;
        screens.take(QStringLiteral("access-notice") + suffix, notice);
        Form5 texas(session, dialogs);
        screens.take(QStringLiteral("texas-notice") + suffix, texas);
    }
    screens.message(
        QStringLiteral("message-information") + suffix, QMessageBox::Information,
        QStringLiteral("Program has gathered all the data. Click the View Totals button and check the amounts"));
    screens.message(QStringLiteral("message-question") + suffix, QMessageBox::Question,
                    QStringLiteral("The wages were loaded for Illinois. Create the Texas file from them?"),
                    QMessageBox::Yes | QMessageBox::No);
    screens.message(QStringLiteral("message-error") + suffix, QMessageBox::Critical,
                    QStringLiteral("Unexpected Error has occured in CreateILICESAFile.  Try Again."));

    for (const QString& path : screens.written()) {
        out << path << '\n';
    }
    for (const QString& problem : screens.problems()) {
        out << "problem: " << problem << '\n';
    }
    return screens.problems().isEmpty() ? 0 : 1;
}
