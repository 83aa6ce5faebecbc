#include "cli/commands.h"

#include "acquire/getpayrolldata.h"
#include "acquire/qbwc/qwcfile.h"
#include "acquire/qbwc/webconnectorpassword.h"
#include "app/createfile.h"
#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/statecatalogue.h"
#include "cli/clidialogs.h"
#include "cli/clipayrolldatawindows.h"
#include "common/formats.h"
#include "forms/fillwagelisting.h"
#include "forms/openfilledpdf.h"
#include "store/submittermodel.h"
#include "store/submitteroptions.h"
#include "store/wagestore.h"
#include "totals/totalsfields.h"
#include "totals/totalslayout.h"
#include "writers/transmitter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <functional>

namespace wagetrove {
namespace {

const QString kProgram = QStringLiteral("wagetrove-cli");
/// The input box the checks before filing ask the salaried employees' hours with.
const QString kHoursTitle = QStringLiteral("Enter Total Hours");

const QString kMainHelp =
    QStringLiteral(R"(Usage: wagetrove-cli [--data-folder DIR] [--today YYYY-MM-DD] COMMAND [options]

Wagetrove from the command line: the same data folder, settings file, wage store, checks and messages as the
windows. Every message the program shows goes to standard error with its title; a question the command line
does not answer is an error, never a wait for the keyboard.

Commands:
  states      the state list: position, entry text, ItemData, state code, short name
  submitter   show the Submitter row, or set the given fields
  options     show or set the options that have a settings key
  file        one whole quarter: get the payroll data (QuickBooks or the wages workbook), totals,
              corrections, checks, the state's file
  wage-listing  the quarter's wage listing form (PDF)
  qwc         write the QuickBooks Web Connector's application file (.qwc) for webconnector:PORT

Global options:
  --data-folder DIR   use DIR itself as the data folder (its Suta.mdb, suta.ini and templates), set up as
                      start-up sets one up; without it the per-user data folder the windows use
  --today YYYY-MM-DD  today's date for everything that uses it: dates inside files, proposed names, the
                      default quarter
  --help              this text; COMMAND --help describes a command
  --version           the program's version

Exit status:
  0  done (for file: the file was written)
  1  the program's checks stopped it: the findings before filing, or a value a window refuses
  2  usage error, or a question the command line leaves unanswered
  3  any other failure: another copy holds the data folder, a workbook refused, a store or settings error,
     a value that does not fit its field, a write error; QuickBooks not reached, a version not supported,
     "Can't find payroll item.", a report QuickBooks could not give
)");

const QString kStatesHelp = QStringLiteral(R"(Usage: wagetrove-cli states [--writers]

Prints the state list, one entry a line, tab-separated: list position, entry text, ItemData, state code and
the short name that file --state takes.

  --writers   only the states whose file this release writes
)");

const QString kSubmitterHelp =
    QStringLiteral(R"(Usage: wagetrove-cli submitter [--name T] [--address T] [--city T] [--state T] [--zip T]
                                [--contact T] [--phone T] [--ein T] [--email T]

Without options prints the Submitter row of the wage store, one field a line (Name, Address, City, State,
Zip, Contact, Phone, EIN, Email). With options sets those fields as the Submitter window saves them and
prints the row. The checks before filing need every field but Email, and the EIN as xx-xxxxxxx.
)");

const QString kOptionsHelp =
    QStringLiteral(R"(Usage: wagetrove-cli options [--wage-limit X] [--remit-id T] [--use-employer Y|N] [--soc-field T]
                              [--standalone Y|N] [--standalone-noqb Y|N] [--quickbooks T]
                              [--qbwc-user NAME] [--qbwc-password] [--qbwc-wait SECONDS]
                              [--qbwc-certificate FILE] [--qbwc-key FILE]

Without options prints the options that have a key in suta.ini. With options sets them as the Submitter
window's OK does (which writes every one of these keys), then prints them.

  --wage-limit X        WageLimit: the wage limit for computing taxable wages (a number above 0)
  --remit-id T          RemitID: the NC remitter ID
  --use-employer Y|N    UseEmployer: the employer EIN as submitter EIN
  --soc-field T         QBFieldNameSoc: the QuickBooks custom field holding Washington SOC codes
  --standalone Y|N      StandAlone: wages from a spreadsheet, employer from QuickBooks
  --standalone-noqb Y|N StandAlonenoqb: wages and employer from a spreadsheet
  --quickbooks T        QuickBooks: how the windows reach QuickBooks (replay:FILE, simulated:FILE or
                        webconnector:[HOST:]PORT; empty for none); only this key is written
The QuickBooks Web Connector's account and service, each written on its own:
  --qbwc-user NAME      the user name the .qwc file names and the Web Connector signs in with
  --qbwc-password       the password, read from standard input up to its first line end; only a salted key
                        of it is kept
  --qbwc-wait SECONDS   how long a run waits for each call of the Web Connector (600 unless set)
  --qbwc-certificate FILE, --qbwc-key FILE
                        the PEM certificate and key for HTTPS, needed to serve another address than this
                        machine's
A wage limit that is not a number above 0 is refused with the window's message (exit status 1).
)");

const QString kFileHelp = QStringLiteral(
    R"(Usage: wagetrove-cli file --state S [--quarter Q [--year YYYY] | --from MM/DD/YYYY --to MM/DD/YYYY]
                           (--wages WORKBOOK | --quickbooks T [--wages WORKBOOK]) (--out PATH | --out-dir DIR)
                           [--wage-mode sui|gross|calc] [--sui-item NAME] [--state-account-id T]
                           [--swh-item NAME] [--support-file] [--json]
                           [--allow-zero-hours Y|N] [--hours-for-zero X]
                           [--ein T] [--state-id T] [--rate X] [--county-code T] [--out-of-county N]
                           [--med-percent X] [--family-percent X]
                           [--employer-name T] [--employer-address T] [--employer-city T]
                           [--employer-state T] [--employer-zip T]
                           [--transmitter-name T] [--transmitter-address T] [--transmitter-city T]
                           [--transmitter-state T] [--transmitter-zip T] [--transmitter-ein T]
                           [--contact-name T] [--contact-phone T] [--contact-email T]

One whole quarter in one process, as the main window's buttons do it: Get Payroll Data, the totals, the
corrections given, the checks before filing and the state's file. Prints the totals as the totals window shows
them and the file written. The mode below holds for this run only: suta.ini is not changed.

  --state S              a short name (CT FL IL KY MD MA-QUEST MA-PFML MS NC SC TN TX WA), an ItemData
                         number or the entry text; only the states whose file this release writes
  --quarter Q --year Y   the quarter button Q (1 to 4) of year Y (of today's year without --year)
  --from, --to           the period's date boxes; without a period, the quarter the main window opens with
  --wages WORKBOOK       the wages workbook (.xlsx) Load Wages reads (the spreadsheet mode)
  --quickbooks T         get the payroll data from QuickBooks: replay:FILE answers from a saved QuickBooks
                         answer (such as the support file QBData.xml), simulated:FILE from a company
                         described in a JSON file, webconnector:[HOST:]PORT from QuickBooks through its
                         Web Connector (see qwc --help); with --wages too, the employer comes from
                         QuickBooks and the wages from the workbook
  --wage-mode M          how the wages are read from QuickBooks: sui (the state unemployment item, the
                         default), gross (gross pay, taxable wages zero) or calc (gross pay, taxable wages
                         computed against the wage limit)
  --sui-item NAME, --state-account-id T
                         the answer to the "Payroll Item List" window of the unemployment item, when it is
                         shown; --swh-item NAME the one of the withholding item. A window shown without its
                         answer is cancelled: the run ends with "Can't find payroll item."
  --support-file         also write QuickBooks's answer to QBData.xml in the data folder
  --wait SECONDS         with --quickbooks webconnector:…, how long to wait for each call of the Web
                         Connector (the options' QBWCWait, 600 seconds unless set)
  --out PATH             the file to write; an existing file is replaced only by a complete new one
  --out-dir DIR          write into DIR under the name the save dialog proposes
  --allow-zero-hours Y|N file employees with zero hours as they are (the Submitter window's option)
  --hours-for-zero X     the answer to "Enter Total Hours" when employees have zero hours; without it that
                         question is a usage error
Corrections in the totals window, in this order, each checked as leaving its box checks it:
  --ein T (Text8), --state-id T (Text9), --rate X (Text6), for Massachusetts PFML --med-percent X (Text6)
  and --family-percent X (Text7), --county-code T (Text10), --out-of-county N (Text11)
Corrections in the transmitter window, after the checks before filing filled it, then its own checks:
  --employer-name (Text1) --employer-address (Text2) --employer-city (Text3) --employer-state (Text4)
  --employer-zip (Text5) --transmitter-name (Text6) --transmitter-address (Text7) --transmitter-city (Text8)
  --transmitter-state (Text11) --transmitter-zip (Text12) --transmitter-ein (Text13)
  --contact-name (Text9) --contact-phone (Text14) --contact-email (Text10)

  --json   print one JSON object instead of the text:
             "status"       the exit status
             "totals"       every box of the totals window by name, "Text1" to "Text13", after corrections
             "captions"     the totals window's label captions by name, "Label1" to "Label16"
             "findings"     the findings before filing, one line each, in order
             "proposedName" the file name the save dialog proposes, or null
             "file"         the path written, or null
             "messages"     every message shown, each {"title", "text"}
Findings are printed one a line (exit status 1). Nothing is written to the output path unless the whole
file is.
)");

const QString kQwcHelp = QStringLiteral(
    R"(Usage: wagetrove-cli qwc --url URL [--user NAME] --out FILE.qwc

Writes the application file the QuickBooks Web Connector adds Wagetrove with ("Add an application" in the
Web Connector): the service address, the user name, and the two identifiers made once for this data folder
and kept in suta.ini.

  --url URL    where the Web Connector calls: http://localhost:PORT/qbwc when Wagetrove runs on the
               QuickBooks machine (file --quickbooks webconnector:PORT), https://HOST:PORT/qbwc from another
               machine (webconnector:HOST:PORT, with the options' certificate and key)
  --user NAME  the user name (the options' --qbwc-user unless given)
  --out FILE   the file to write
)");

const QString kWageListingHelp = QStringLiteral(
    R"(Usage: wagetrove-cli wage-listing --state S [--quarter Q [--year YYYY] | --from MM/DD/YYYY --to MM/DD/YYYY]
                                   (--wages WORKBOOK | --quickbooks T [--wages WORKBOOK]) --out PATH.pdf
                                   [--wage-mode sui|gross|calc] [--sui-item NAME] [--state-account-id T]
                                   [--swh-item NAME] [--support-file]

Gets the payroll data as file does and fills the wage listing form with them, as the main window's Wage Listing
button does: the employees in name order, 17 to a page, each page with the employer, the state account
number, the quarter and its own totals. Writes the listing to PATH (no viewer is started); an existing file
there is replaced only by a complete new one. Exit statuses as for file.
)");

struct CommandSpec
{
    QString name;
    const QString* help;
    QStringList valued; ///< options that take a value
    QStringList flags;  ///< options without a value
};

const QList<CommandSpec>& commandSpecs()
{
    static const QList<CommandSpec> specs = {
        {QStringLiteral("states"), &kStatesHelp, {}, {QStringLiteral("writers")}},
        {QStringLiteral("submitter"),
         &kSubmitterHelp,
         {QStringLiteral("name"), QStringLiteral("address"), QStringLiteral("city"), QStringLiteral("state"),
          QStringLiteral("zip"), QStringLiteral("contact"), QStringLiteral("phone"), QStringLiteral("ein"),
          QStringLiteral("email")},
         {}},
        {QStringLiteral("options"),
         &kOptionsHelp,
         {QStringLiteral("wage-limit"), QStringLiteral("remit-id"), QStringLiteral("use-employer"),
          QStringLiteral("soc-field"), QStringLiteral("standalone"), QStringLiteral("standalone-noqb"),
          QStringLiteral("quickbooks"), QStringLiteral("qbwc-user"), QStringLiteral("qbwc-wait"),
          QStringLiteral("qbwc-certificate"), QStringLiteral("qbwc-key")},
         {QStringLiteral("qbwc-password")}},
        {QStringLiteral("file"),
         &kFileHelp,
         {QStringLiteral("state"),
          QStringLiteral("quarter"),
          QStringLiteral("year"),
          QStringLiteral("from"),
          QStringLiteral("to"),
          QStringLiteral("wages"),
          QStringLiteral("quickbooks"),
          QStringLiteral("wage-mode"),
          QStringLiteral("sui-item"),
          QStringLiteral("state-account-id"),
          QStringLiteral("swh-item"),
          QStringLiteral("out"),
          QStringLiteral("out-dir"),
          QStringLiteral("allow-zero-hours"),
          QStringLiteral("hours-for-zero"),
          QStringLiteral("ein"),
          QStringLiteral("state-id"),
          QStringLiteral("rate"),
          QStringLiteral("county-code"),
          QStringLiteral("out-of-county"),
          QStringLiteral("med-percent"),
          QStringLiteral("family-percent"),
          QStringLiteral("employer-name"),
          QStringLiteral("employer-address"),
          QStringLiteral("employer-city"),
          QStringLiteral("employer-state"),
          QStringLiteral("employer-zip"),
          QStringLiteral("transmitter-name"),
          QStringLiteral("transmitter-address"),
          QStringLiteral("transmitter-city"),
          QStringLiteral("transmitter-state"),
          QStringLiteral("transmitter-zip"),
          QStringLiteral("transmitter-ein"),
          QStringLiteral("contact-name"),
          QStringLiteral("contact-phone"),
          QStringLiteral("contact-email"),
          QStringLiteral("wait")},
         {QStringLiteral("json"), QStringLiteral("support-file")}},
        {QStringLiteral("wage-listing"),
         &kWageListingHelp,
         {QStringLiteral("state"), QStringLiteral("quarter"), QStringLiteral("year"), QStringLiteral("from"),
          QStringLiteral("to"), QStringLiteral("wages"), QStringLiteral("quickbooks"), QStringLiteral("wage-mode"),
          QStringLiteral("sui-item"), QStringLiteral("state-account-id"), QStringLiteral("swh-item"),
          QStringLiteral("out"), QStringLiteral("wait")},
         {QStringLiteral("support-file")}},
        {QStringLiteral("qwc"), &kQwcHelp, {QStringLiteral("url"), QStringLiteral("user"), QStringLiteral("out")}, {}},
    };
    return specs;
}

/// The transmitter window's boxes by the option that corrects them, in the window's order of checks.
const QList<std::pair<QString, QString TransmitterWindowBoxes::*>>& transmitterOptions()
{
    static const QList<std::pair<QString, QString TransmitterWindowBoxes::*>> options = {
        {QStringLiteral("employer-name"), &TransmitterWindowBoxes::Text1},
        {QStringLiteral("employer-address"), &TransmitterWindowBoxes::Text2},
        {QStringLiteral("employer-city"), &TransmitterWindowBoxes::Text3},
        {QStringLiteral("employer-state"), &TransmitterWindowBoxes::Text4},
        {QStringLiteral("employer-zip"), &TransmitterWindowBoxes::Text5},
        {QStringLiteral("transmitter-name"), &TransmitterWindowBoxes::Text6},
        {QStringLiteral("transmitter-address"), &TransmitterWindowBoxes::Text7},
        {QStringLiteral("transmitter-city"), &TransmitterWindowBoxes::Text8},
        {QStringLiteral("transmitter-state"), &TransmitterWindowBoxes::Text11},
        {QStringLiteral("transmitter-zip"), &TransmitterWindowBoxes::Text12},
        {QStringLiteral("transmitter-ein"), &TransmitterWindowBoxes::Text13},
        {QStringLiteral("contact-name"), &TransmitterWindowBoxes::Text9},
        {QStringLiteral("contact-phone"), &TransmitterWindowBoxes::Text14},
        {QStringLiteral("contact-email"), &TransmitterWindowBoxes::Text10},
    };
    return options;
}

struct UsageError
{
    QString text;
};

struct CommandLine
{
    QString dataFolder;
    std::optional<QDate> today;
    bool help = false;
    bool version = false;
    const CommandSpec* command = nullptr;
    QHash<QString, QString> values;

    bool has(const QString& option) const { return values.contains(option); }
    QString value(const QString& option) const { return values.value(option); }
    std::optional<QString> optional(const QString& option) const
    {
        return has(option) ? std::optional<QString>(value(option)) : std::nullopt;
    }
};

/// Splits "--name=value" and "--name value"; `index` moves past what was read.
std::pair<QString, std::optional<QString>> readOption(const QStringList& arguments, qsizetype& index)
{
    const QString argument = arguments.at(index++);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (equals > 0) {
        return {argument.mid(2, equals - 2), argument.mid(equals + 1)};
    }
    return {argument.mid(2), std::nullopt};
}

QString takeValue(const QStringList& arguments, qsizetype& index, const QString& name,
                  const std::optional<QString>& inlineValue)
{
    if (inlineValue) {
        return *inlineValue;
    }
    if (index >= arguments.size()) {
        throw UsageError{QStringLiteral("--%1 needs a value.").arg(name)};
    }
    return arguments.at(index++);
}

bool isHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    qsizetype index = 0;
    while (index < arguments.size() && arguments.at(index).startsWith(QLatin1Char('-'))) {
        if (isHelp(arguments.at(index))) {
            line.help = true;
            ++index;
            continue;
        }
        if (arguments.at(index) == QLatin1String("--version")) {
            line.version = true;
            ++index;
            continue;
        }
        if (!arguments.at(index).startsWith(QLatin1String("--"))) {
            throw UsageError{QStringLiteral("Unknown option %1.").arg(arguments.at(index))};
        }
        const auto [name, inlineValue] = readOption(arguments, index);
        const QString value = takeValue(arguments, index, name, inlineValue);
        if (name == QLatin1String("data-folder")) {
            if (value.isEmpty()) {
                throw UsageError{QStringLiteral("--data-folder needs a folder.")};
            }
            line.dataFolder = QFileInfo(value).absoluteFilePath();
        } else if (name == QLatin1String("today")) {
            const QDate today = QDate::fromString(value, Qt::ISODate);
            if (!today.isValid() || value.size() != 10) {
                throw UsageError{QStringLiteral("--today needs a date as YYYY-MM-DD, not \"%1\".").arg(value)};
            }
            line.today = today;
        } else {
            throw UsageError{QStringLiteral("Unknown option --%1.").arg(name)};
        }
    }
    if (index >= arguments.size()) {
        if (line.help || line.version) {
            return line;
        }
        throw UsageError{QStringLiteral("No command given.")};
    }
    const QString commandName = arguments.at(index++);
    for (const CommandSpec& spec : commandSpecs()) {
        if (spec.name == commandName) {
            line.command = &spec;
        }
    }
    if (line.command == nullptr) {
        throw UsageError{QStringLiteral("Unknown command \"%1\".").arg(commandName)};
    }
    while (index < arguments.size()) {
        const QString& argument = arguments.at(index);
        if (isHelp(argument)) {
            line.help = true;
            ++index;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            throw UsageError{QStringLiteral("Unexpected argument \"%1\".").arg(argument)};
        }
        const auto [name, inlineValue] = readOption(arguments, index);
        if (line.values.contains(name)) {
            throw UsageError{QStringLiteral("--%1 is given twice.").arg(name)};
        }
        if (line.command->flags.contains(name)) {
            if (inlineValue) {
                throw UsageError{QStringLiteral("--%1 takes no value.").arg(name)};
            }
            line.values.insert(name, QString());
        } else if (line.command->valued.contains(name)) {
            line.values.insert(name, takeValue(arguments, index, name, inlineValue));
        } else {
            throw UsageError{QStringLiteral("Unknown option --%1 for %2.").arg(name, commandName)};
        }
    }
    return line;
}

/// A Y|N option's value.
std::optional<bool> flagOption(const CommandLine& line, const QString& option)
{
    if (!line.has(option)) {
        return std::nullopt;
    }
    const QString value = line.value(option).toUpper();
    if (value == QLatin1String("Y")) {
        return true;
    }
    if (value == QLatin1String("N")) {
        return false;
    }
    throw UsageError{QStringLiteral("--%1 takes Y or N, not \"%2\".").arg(option, line.value(option))};
}

/// The name file --state takes for a list entry; the two Massachusetts reports share their postal code.
QString shortNameOf(const StateEntry& entry)
{
    switch (entry.item()) {
    case StateItem::MassachusettsQuest:
        return QStringLiteral("MA-QUEST");
    case StateItem::MassachusettsPFML:
        return QStringLiteral("MA-PFML");
    default:
        return entry.abbreviation();
    }
}

/// The list position a short name, ItemData number or entry text names.
std::optional<int> statePositionFor(const QString& name)
{
    const auto entries = stateCatalogue();
    for (int position = 0; position < static_cast<int>(entries.size()); ++position) {
        const StateEntry& entry = entries[static_cast<std::size_t>(position)];
        if (name.compare(shortNameOf(entry), Qt::CaseInsensitive) == 0 || name == QString::number(entry.itemData) ||
            name.compare(entry.text, Qt::CaseInsensitive) == 0) {
            return position;
        }
    }
    return std::nullopt;
}

QString boxText(const TotalsWindowBoxes& boxes, int number)
{
    const QString* const texts[] = {&boxes.Text1,  &boxes.Text2,  &boxes.Text3, &boxes.Text4, &boxes.Text5,
                                    &boxes.Text6,  &boxes.Text7,  &boxes.Text8, &boxes.Text9, &boxes.Text10,
                                    &boxes.Text11, &boxes.Text12, &boxes.Text13};
    return *texts[number - 1];
}

QString caption(const TotalsLayout& layout, int number)
{
    const QString* const captions[] = {&layout.Label1,  &layout.Label2,  &layout.Label3,  &layout.Label4,
                                       &layout.Label5,  &layout.Label6,  &layout.Label7,  &layout.Label8,
                                       &layout.Label9,  &layout.Label10, &layout.Label11, &layout.Label12,
                                       &layout.Label13, &layout.Label14, &layout.Label15, &layout.Label16};
    return *captions[number - 1];
}

/// The totals window as text: its caption, heading and period, then each visible caption with its box, top to
/// bottom as the window lays them out.
void printTotals(QTextStream& out, const TotalsLayout& layout, const TotalsWindowBoxes& boxes)
{
    const auto row = [&out](const QString& label, const QString& text) {
        out << label.leftJustified(26) << text << '\n';
    };
    out << kTotalsWindowCaption << '\n' << layout.Label1 << '\n' << layout.Label4 << '\n' << layout.Label2 << '\n';
    const QString indent = QStringLiteral("  ");
    row(indent + layout.Label8.trimmed(), boxes.Text1);
    row(indent + layout.Label9.trimmed(), boxes.Text3);
    row(indent + layout.Label10.trimmed(), boxes.Text4);
    if (layout.outOfCountyVisible) {
        row(indent + layout.Label14.trimmed(), boxes.Text11);
    }
    const std::pair<int, int> rows[] = {{3, 2}, {5, 5}, {6, 6}, {7, 7}, {11, 8}, {12, 9}};
    for (const auto& [label, text] : rows) {
        row(caption(layout, label).trimmed(), boxText(boxes, text));
    }
    if (layout.countyVisible) {
        row(layout.Label13.trimmed(), boxes.Text10);
    }
    if (layout.withholdingVisible) {
        row(layout.Label15.trimmed(), boxes.Text12);
        row(layout.Label16.trimmed(), boxes.Text13);
    }
}

/// One run of one command over a started program.
class CliRun
{
public:
    CliRun(const CommandLine& line, QTextStream& out, QTextStream& errors)
        : m_line(line), m_out(out), m_errors(errors), m_dialogs(errors)
    {}

    CliStatus run()
    {
        const QString& name = m_line.command->name;
        if (name == QLatin1String("states")) {
            return states();
        }
        if (name == QLatin1String("submitter")) {
            return submitter();
        }
        if (name == QLatin1String("options")) {
            return options();
        }
        if (name == QLatin1String("wage-listing")) {
            return wageListing();
        }
        if (name == QLatin1String("qwc")) {
            return qwc();
        }
        return file();
    }

private:
    CliStatus fail(const QString& text)
    {
        m_errors << kProgram << QLatin1String(": ") << text << Qt::endl;
        return CliStatus::Failed;
    }

    /// Start-up as the windows go through it, over the data folder of the command line.
    bool start()
    {
        StartupEnvironment environment = StartupEnvironment::fromProcess();
        environment.dataFolder = m_line.dataFolder;
        if (m_line.today) {
            environment.today = *m_line.today;
        }
        // The windows' guard, over the data folder the run uses: start-up empties the run's tables, which
        // must not happen under a window (or another run) that has loaded a quarter from the same folder.
        m_guard = SingleInstanceGuard::forEnvironment(environment);
        switch (runStartup(m_session, m_window, m_dialogs, environment, *m_guard)) {
        case StartupResult::Ready:
            return true;
        case StartupResult::AlreadyRunning:
            fail(QStringLiteral("Wagetrove is running on this data folder. Close it, or wait for the other "
                                "command to end, and try again."));
            return false;
        case StartupResult::Failed:
            break;
        }
        return false;
    }

    /// What the messages shown since `first` say about a step: nothing shown, refused, or failed.
    CliStatus outcomeSince(qsizetype first) const
    {
        CliStatus status = CliStatus::Done;
        for (qsizetype i = first; i < m_dialogs.messages().size(); ++i) {
            const MessageIcon icon = m_dialogs.messages().at(i).icon;
            if (icon == MessageIcon::Critical || icon == MessageIcon::Exclamation) {
                return CliStatus::Failed;
            }
            status = CliStatus::Stopped;
        }
        return status;
    }

    CliStatus unansweredStatus()
    {
        for (const QString& question : m_dialogs.unanswered()) {
            m_errors << kProgram << QLatin1String(": ") << question << Qt::endl;
        }
        return CliStatus::Usage;
    }

    CliStatus states()
    {
        for (int position = 0; position < static_cast<int>(stateCatalogue().size()); ++position) {
            const StateEntry& entry = stateAt(position);
            if (m_line.has(QStringLiteral("writers")) && !isCreateFileOffered(entry.item())) {
                continue;
            }
            m_out << position << '\t' << entry.text << '\t' << entry.itemData << '\t' << entry.code << '\t'
                  << shortNameOf(entry) << '\n';
        }
        return CliStatus::Done;
    }

    CliStatus submitter()
    {
        if (!start()) {
            return CliStatus::Failed;
        }
        SubmitterEditor editor(m_session, m_window, m_dialogs);
        editor.open();
        SubmitterModel* model = editor.model();
        if (model == nullptr) {
            return CliStatus::Failed;
        }
        QStringList lines;
        for (const QString& field : SubmitterModel::boundFields()) {
            const QModelIndex index = model->index(0, model->fieldIndex(field));
            if (const auto value = m_line.optional(field.toLower())) {
                model->setData(index, *value);
            }
            lines.append(field + QLatin1String(": ") + model->data(index).toString());
        }
        const qsizetype before = m_dialogs.messages().size();
        editor.finish();
        if (outcomeSince(before) != CliStatus::Done) {
            return CliStatus::Failed;
        }
        for (const QString& line : lines) {
            m_out << line << '\n';
        }
        return CliStatus::Done;
    }

    CliStatus options()
    {
        const std::optional<bool> useEmployer = flagOption(m_line, QStringLiteral("use-employer"));
        const std::optional<bool> standAlone = flagOption(m_line, QStringLiteral("standalone"));
        const std::optional<bool> standAloneNoQb = flagOption(m_line, QStringLiteral("standalone-noqb"));
        if (standAlone.value_or(false) && standAloneNoQb.value_or(false)) {
            throw UsageError{QStringLiteral("--standalone Y and --standalone-noqb Y exclude each other.")};
        }
        if (!start()) {
            return CliStatus::Failed;
        }
        if (const auto connection = m_line.optional(QStringLiteral("quickbooks"))) {
            // The connection box is saved on its own, as the window saves it.
            m_session.QuickBooksConnection = connection->trimmed();
            if (!WriteSetting(m_session, settingkeys::kQuickBooks, m_session.QuickBooksConnection)) {
                return fail(QStringLiteral("The settings file %1 could not be written.")
                                .arg(QDir::toNativeSeparators(m_session.SettingsFile)));
            }
        }
        if (const CliStatus set = setWebConnectorOptions(); set != CliStatus::Done) {
            return set;
        }
        const bool windowOptions =
            std::any_of(m_line.values.keyBegin(), m_line.values.keyEnd(), [](const QString& key) {
                return key != QLatin1String("quickbooks") && !key.startsWith(QLatin1String("qbwc-"));
            });
        if (windowOptions) {
            // The boxes as the window opens, each change as a click or an entry, then OK.
            SubmitterOptionBoxes boxes = loadSubmitterOptions(m_session);
            if (const auto limit = m_line.optional(QStringLiteral("wage-limit"))) {
                // The wage limit box takes entries only while its option is ticked; OK then checks it.
                if (!limit->isEmpty()) {
                    clickSubmitterCheck(boxes, SubmitterCheck::Check3, true);
                }
                boxes.Text1 = *limit;
            }
            if (const auto remitId = m_line.optional(QStringLiteral("remit-id"))) {
                boxes.RemitterIdText = *remitId;
            }
            if (const auto socField = m_line.optional(QStringLiteral("soc-field"))) {
                boxes.Text2 = *socField;
            }
            const std::pair<std::optional<bool>, SubmitterCheck> clicks[] = {
                {useEmployer, SubmitterCheck::Check6},
                {standAlone, SubmitterCheck::Check7},
                {standAloneNoQb, SubmitterCheck::Check8},
            };
            for (const auto& [ticked, box] : clicks) {
                if (ticked) {
                    clickSubmitterCheck(boxes, box, *ticked);
                }
            }
            const qsizetype before = m_dialogs.messages().size();
            if (!acceptSubmitterOptions(m_session, m_window, boxes, m_dialogs)) {
                return CliStatus::Stopped;
            }
            if (outcomeSince(before) != CliStatus::Done) {
                return CliStatus::Failed;
            }
        }
        const SubmitterOptionBoxes shown = loadSubmitterOptions(m_session);
        m_out << QLatin1String("WageLimit=") << shown.Text1 << '\n'
              << QLatin1String("RemitID=") << m_session.RemitID << '\n'
              << QLatin1String("UseEmployer=") << flagText(m_session.UseEmployer) << '\n'
              << QLatin1String("QBFieldNameSoc=") << m_session.QBFieldNameSoc << '\n'
              << QLatin1String("StandAlone=") << flagText(m_session.StandAlone) << '\n'
              << QLatin1String("StandAlonenoqb=") << flagText(m_session.StandAlonenoqb) << '\n'
              << QLatin1String("QuickBooks=") << m_session.QuickBooksConnection << '\n'
              << QLatin1String("QBWCUserName=") << m_session.QBWCUserName << '\n'
              << QLatin1String("QBWCPassword=")
              << (m_session.QBWCPassword.isEmpty() ? QLatin1String("not set") : QLatin1String("set")) << '\n'
              << QLatin1String("QBWCWait=") << m_session.QBWCWaitSeconds << '\n'
              << QLatin1String("QBWCCertificate=") << m_session.QBWCCertificate << '\n'
              << QLatin1String("QBWCKey=") << m_session.QBWCKey << '\n';
        return CliStatus::Done;
    }

    /// Writes the Web Connector's keys given, each on its own; the password from standard input.
    CliStatus setWebConnectorOptions()
    {
        QList<std::pair<QString, QString>> keys;
        if (const auto user = m_line.optional(QStringLiteral("qbwc-user"))) {
            keys.append({settingkeys::kQBWCUserName, user->trimmed()});
        }
        if (const auto wait = m_line.optional(QStringLiteral("qbwc-wait"))) {
            keys.append({settingkeys::kQBWCWait, QString::number(waitSeconds(QStringLiteral("qbwc-wait")))});
        }
        if (const auto certificate = m_line.optional(QStringLiteral("qbwc-certificate"))) {
            keys.append({settingkeys::kQBWCCertificate,
                         certificate->isEmpty() ? QString() : QFileInfo(*certificate).absoluteFilePath()});
        }
        if (const auto key = m_line.optional(QStringLiteral("qbwc-key"))) {
            keys.append({settingkeys::kQBWCKey, key->isEmpty() ? QString() : QFileInfo(*key).absoluteFilePath()});
        }
        if (m_line.has(QStringLiteral("qbwc-password"))) {
            QFile input;
            if (!input.open(stdin, QIODevice::ReadOnly)) {
                return fail(QStringLiteral("The password could not be read from standard input."));
            }
            QByteArray line = input.readLine();
            while (line.endsWith('\n') || line.endsWith('\r')) {
                line.chop(1);
            }
            if (line.isEmpty()) {
                return fail(QStringLiteral("No password came on standard input: give it on the first line."));
            }
            keys.append({settingkeys::kQBWCPassword, passwordRecord(QString::fromUtf8(line))});
        }
        for (const auto& [key, value] : keys) {
            if (!WriteSetting(m_session, key, value)) {
                return fail(QStringLiteral("The settings file %1 could not be written.")
                                .arg(QDir::toNativeSeparators(m_session.SettingsFile)));
            }
        }
        if (!keys.isEmpty()) {
            ReadSettings(m_session);
        }
        return CliStatus::Done;
    }

    /// A number of seconds above 0 from the option `name`; a usage error otherwise.
    int waitSeconds(const QString& name) const
    {
        bool ok = false;
        const int seconds = m_line.value(name).trimmed().toInt(&ok);
        if (!ok || seconds <= 0) {
            throw UsageError{QStringLiteral("--%1 takes a number of seconds above 0.").arg(name)};
        }
        return seconds;
    }

    CliStatus qwc()
    {
        const QString url = m_line.value(QStringLiteral("url")).trimmed();
        if (!m_line.has(QStringLiteral("url")) || !m_line.has(QStringLiteral("out"))) {
            throw UsageError{QStringLiteral("qwc needs --url and --out.")};
        }
        if (const QString problem = appUrlProblem(url); !problem.isEmpty()) {
            throw UsageError{problem};
        }
        if (!start()) {
            return CliStatus::Failed;
        }
        const QString user = m_line.has(QStringLiteral("user")) ? m_line.value(QStringLiteral("user")).trimmed()
                                                                : m_session.QBWCUserName;
        if (user.isEmpty()) {
            throw UsageError{QStringLiteral("qwc needs --user, or a user name set with options --qbwc-user.")};
        }
        const QString out = QFileInfo(m_line.value(QStringLiteral("out"))).absoluteFilePath();
        if (const QString failure = writeQwcFile(m_session, url, user, out); !failure.isEmpty()) {
            return fail(failure);
        }
        m_out << QDir::toNativeSeparators(out) << '\n';
        return CliStatus::Done;
    }

    /// The period from the command line, as the quarter buttons or the date boxes set it.
    void choosePeriod()
    {
        const bool quarter = m_line.has(QStringLiteral("quarter"));
        if (quarter) {
            const QDate year(m_line.has(QStringLiteral("year")) ? m_line.value(QStringLiteral("year")).toInt()
                                                                : m_session.Today.year(),
                             1, 1);
            clickQuarter(m_session, m_window, m_line.value(QStringLiteral("quarter")).toInt(), year);
            return;
        }
        if (m_line.has(QStringLiteral("from"))) {
            m_window.fromText = m_line.value(QStringLiteral("from"));
            m_window.toText = m_line.value(QStringLiteral("to"));
            dateTextChanged(m_window);
            if (leaveFromBox(m_window, m_dialogs) == FocusTarget::Unchanged) {
                leaveToBox(m_session, m_window, m_dialogs);
            }
            if (!m_window.getPayrollDataEnabled) {
                throw UsageError{QStringLiteral("--from and --to do not make a period.")};
            }
        }
    }

    /// The file command's options that can be judged before anything is touched.
    int checkFileOptions() const
    {
        if (!m_line.has(QStringLiteral("state"))) {
            throw UsageError{QStringLiteral("%1 needs --state.").arg(m_line.command->name)};
        }
        const auto position = statePositionFor(m_line.value(QStringLiteral("state")));
        if (!position) {
            throw UsageError{QStringLiteral("Unknown state \"%1\"; see wagetrove-cli states.")
                                 .arg(m_line.value(QStringLiteral("state")))};
        }
        if (!isCreateFileOffered(stateAt(*position).item())) {
            throw UsageError{
                QStringLiteral("This release does not write the file for %1.").arg(stateAt(*position).text)};
        }
        const bool quarter = m_line.has(QStringLiteral("quarter"));
        const bool dates = m_line.has(QStringLiteral("from")) || m_line.has(QStringLiteral("to"));
        if (quarter && dates) {
            throw UsageError{QStringLiteral("Give either --quarter or --from and --to, not both.")};
        }
        if (m_line.has(QStringLiteral("year")) && !quarter) {
            throw UsageError{QStringLiteral("--year goes with --quarter.")};
        }
        if (dates && !(m_line.has(QStringLiteral("from")) && m_line.has(QStringLiteral("to")))) {
            throw UsageError{QStringLiteral("--from and --to go together.")};
        }
        if (quarter) {
            const QString q = m_line.value(QStringLiteral("quarter"));
            if (q.size() != 1 || q < QLatin1String("1") || q > QLatin1String("4")) {
                throw UsageError{QStringLiteral("--quarter takes 1, 2, 3 or 4, not \"%1\".").arg(q)};
            }
        }
        if (m_line.has(QStringLiteral("year"))) {
            const QString year = m_line.value(QStringLiteral("year"));
            bool number = false;
            const int value = year.toInt(&number);
            if (!number || year.size() != 4 || value < 1000) {
                throw UsageError{QStringLiteral("--year takes a four-digit year, not \"%1\".").arg(year)};
            }
        }
        if (m_line.has(QStringLiteral("wages")) && m_line.value(QStringLiteral("wages")).isEmpty()) {
            throw UsageError{QStringLiteral("--wages needs a workbook.")};
        }
        if (m_line.has(QStringLiteral("quickbooks")) && m_line.value(QStringLiteral("quickbooks")).isEmpty()) {
            throw UsageError{QStringLiteral("--quickbooks needs replay:FILE or simulated:FILE.")};
        }
        if (!m_line.has(QStringLiteral("wages")) && !m_line.has(QStringLiteral("quickbooks"))) {
            throw UsageError{QStringLiteral("%1 needs --wages WORKBOOK or --quickbooks T.").arg(m_line.command->name)};
        }
        if (m_line.has(QStringLiteral("wage-mode")) &&
            !QStringList{QStringLiteral("sui"), QStringLiteral("gross"), QStringLiteral("calc")}.contains(
                m_line.value(QStringLiteral("wage-mode")))) {
            throw UsageError{QStringLiteral("--wage-mode takes sui, gross or calc, not \"%1\".")
                                 .arg(m_line.value(QStringLiteral("wage-mode")))};
        }
        if (m_line.has(QStringLiteral("out")) == m_line.has(QStringLiteral("out-dir"))) {
            throw UsageError{m_line.command->valued.contains(QStringLiteral("out-dir"))
                                 ? QStringLiteral("file needs one of --out PATH and --out-dir DIR.")
                                 : QStringLiteral("%1 needs --out PATH.").arg(m_line.command->name)};
        }
        if ((m_line.has(QStringLiteral("out")) && m_line.value(QStringLiteral("out")).isEmpty()) ||
            (m_line.has(QStringLiteral("out-dir")) && m_line.value(QStringLiteral("out-dir")).isEmpty())) {
            throw UsageError{QStringLiteral("The output path is empty.")};
        }
        const bool pfml = stateAt(*position).item() == StateItem::MassachusettsPFML;
        if (pfml && m_line.has(QStringLiteral("rate"))) {
            throw UsageError{
                QStringLiteral("Massachusetts PFML takes --med-percent and --family-percent, not --rate.")};
        }
        if (!pfml && (m_line.has(QStringLiteral("med-percent")) || m_line.has(QStringLiteral("family-percent")))) {
            throw UsageError{QStringLiteral("--med-percent and --family-percent are for Massachusetts PFML only.")};
        }
        if (!hasTransmitterWriter(stateAt(*position).item())) {
            for (const auto& option : transmitterOptions()) {
                if (m_line.has(option.first)) {
                    throw UsageError{QStringLiteral("%1 is filed without the transmitter window; --%2 does not apply.")
                                         .arg(stateAt(*position).text, option.first)};
                }
            }
        }
        flagOption(m_line, QStringLiteral("allow-zero-hours"));
        return *position;
    }

    /// A file written over the workbook, the store or the settings it is made from would destroy them.
    void refuseOutputOverInput(const QString& out, const QString& wages) const
    {
        const auto same = [](const QString& a, const QString& b) {
            const QString canonical = QFileInfo(a).canonicalFilePath();
            return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
        };
        for (const QString& input : {wages, m_session.DataFolder + WageStore::kFileName, m_session.SettingsFile}) {
            if (same(out, input)) {
                throw UsageError{QStringLiteral("--out names %1, which the run reads.").arg(input)};
            }
        }
    }

    /// Leaves one corrected totals box through its check; a message it shows stops the run.
    CliStatus correct(const QString& option, QString TotalsWindowBoxes::*box, const std::function<void()>& leave = {})
    {
        if (!m_line.has(option)) {
            return CliStatus::Done;
        }
        m_session.Form3.*box = m_line.value(option);
        const qsizetype before = m_dialogs.messages().size();
        if (leave) {
            leave();
        }
        return outcomeSince(before);
    }

    CliStatus applyTotalsCorrections(const TotalsLayout& layout)
    {
        if (m_line.has(QStringLiteral("county-code")) && !(layout.countyVisible && layout.text10Enabled)) {
            throw UsageError{QStringLiteral("The totals window of this state has no county code box.")};
        }
        if (m_line.has(QStringLiteral("out-of-county")) && !layout.outOfCountyVisible) {
            throw UsageError{QStringLiteral("The totals window of this state has no out-of-county box.")};
        }
        bool rateRefused = false;
        const std::function<void()> leaveRateBox = [this, &rateRefused] {
            rateRefused = leaveRate(m_session, m_dialogs);
        };
        const std::pair<QString, std::pair<QString TotalsWindowBoxes::*, std::function<void()>>> steps[] = {
            {QStringLiteral("ein"), {&TotalsWindowBoxes::Text8, [this] { leaveEin(m_session, m_dialogs); }}},
            {QStringLiteral("state-id"), {&TotalsWindowBoxes::Text9, [this] { leaveStateId(m_session, m_dialogs); }}},
            {QStringLiteral("rate"), {&TotalsWindowBoxes::Text6, leaveRateBox}},
            {QStringLiteral("med-percent"), {&TotalsWindowBoxes::Text6, leaveRateBox}},
            {QStringLiteral("family-percent"), {&TotalsWindowBoxes::Text7, {}}},
            {QStringLiteral("county-code"),
             {&TotalsWindowBoxes::Text10, [this] { leaveCountyCode(m_session, m_dialogs); }}},
            {QStringLiteral("out-of-county"), {&TotalsWindowBoxes::Text11, {}}},
        };
        for (const auto& [option, step] : steps) {
            const CliStatus status = correct(option, step.first, step.second);
            if (status != CliStatus::Done || rateRefused) {
                return status == CliStatus::Done ? CliStatus::Stopped : status;
            }
        }
        return CliStatus::Done;
    }

    /// The wages workbook given, as an absolute path, or empty.
    QString wagesWorkbook() const
    {
        return m_line.has(QStringLiteral("wages")) ? QFileInfo(m_line.value(QStringLiteral("wages"))).absoluteFilePath()
                                                   : QString();
    }

    /// Takes the mode of the command line for this run, as ticking it in the Submitter window would, without
    /// writing it to suta.ini: the spreadsheet alone, QuickBooks alone, or the employer from QuickBooks and the
    /// wages from the workbook.
    void takeMode()
    {
        const bool quickBooks = m_line.has(QStringLiteral("quickbooks"));
        const bool workbook = m_line.has(QStringLiteral("wages"));
        m_session.StandAlonenoqb = !quickBooks;
        m_session.StandAlone = quickBooks && workbook;
        if (quickBooks) {
            m_session.QuickBooksConnection = m_line.value(QStringLiteral("quickbooks"));
        }
        const QString mode =
            m_line.has(QStringLiteral("wage-mode")) ? m_line.value(QStringLiteral("wage-mode")) : QStringLiteral("sui");
        m_session.UseSUIItem = mode == QLatin1String("sui");
        m_session.CalcTaxable = mode == QLatin1String("calc");
        m_session.SupportFile = m_line.has(QStringLiteral("support-file"));
        if (m_line.has(QStringLiteral("wait"))) {
            m_session.QBWCWaitSeconds = waitSeconds(QStringLiteral("wait"));
        }
        if (const auto allow = flagOption(m_line, QStringLiteral("allow-zero-hours"))) {
            m_session.AllowZeroHours = *allow;
        }
    }

    /// Start-up and Get Payroll Data, for the state at `position` and the command line's period.
    CliStatus loadWages(int position, const std::optional<QString>& out)
    {
        if (!start()) {
            return CliStatus::Failed;
        }
        if (out) {
            refuseOutputOverInput(*out, wagesWorkbook());
        }
        if (m_line.has(QStringLiteral("wages"))) {
            m_dialogs.answerOpenFile(wagesWorkbook(), QStringLiteral("--wages"));
        }
        takeMode();
        selectState(m_session, position);
        choosePeriod();

        CliPayrollDataWindows windows(m_session, m_dialogs, m_errors, m_line.optional(QStringLiteral("sui-item")),
                                      m_line.optional(QStringLiteral("state-account-id")),
                                      m_line.optional(QStringLiteral("swh-item")));
        GetPayrollData(m_session, m_window, m_dialogs, windows);
        if (const auto& problem = windows.usageProblem()) {
            throw UsageError{*problem};
        }
        if (!m_dialogs.unanswered().isEmpty()) {
            return unansweredStatus();
        }
        if (windows.refused()) {
            return CliStatus::Stopped;
        }
        return m_window.resultsEnabled ? CliStatus::Done : CliStatus::Failed;
    }

    CliStatus wageListing()
    {
        const int position = checkFileOptions();
        const QString out = QFileInfo(m_line.value(QStringLiteral("out"))).absoluteFilePath();
        if (const CliStatus loaded = loadWages(position, out); loaded != CliStatus::Done) {
            return loaded;
        }
        const bool written = FillWageListing(m_session, m_dialogs, out);
        RemoveFilledInPages(m_session.DataFolder, kFilledWageListingName);
        if (!written) {
            return CliStatus::Failed;
        }
        m_out << QLatin1String("File written: ") << QDir::toNativeSeparators(out) << '\n';
        return CliStatus::Done;
    }

    CliStatus file()
    {
        const int position = checkFileOptions();
        m_json = m_line.has(QStringLiteral("json"));
        const bool toFolder = m_line.has(QStringLiteral("out-dir"));
        const QString out =
            QFileInfo(m_line.value(toFolder ? QStringLiteral("out-dir") : QStringLiteral("out"))).absoluteFilePath();
        m_dialogs.answerSaveFile(out, toFolder, toFolder ? QStringLiteral("--out-dir") : QStringLiteral("--out"));
        m_dialogs.answerInput(kHoursTitle, m_line.optional(QStringLiteral("hours-for-zero")),
                              QStringLiteral("--hours-for-zero"));

        if (const CliStatus loaded = loadWages(position, toFolder ? std::nullopt : std::optional(out));
            loaded != CliStatus::Done) {
            return finishFile(loaded);
        }

        m_layout = ShowTotalsWindowLayout(m_session, m_window.fromText, m_window.toText);
        m_loaded = true;
        const CliStatus corrected = applyTotalsCorrections(m_layout);
        if (!m_json) {
            printTotals(m_out, m_layout, m_session.Form3);
            // The totals come before the messages of the checks and the writer on a shared terminal.
            m_out.flush();
        }
        if (corrected != CliStatus::Done) {
            return finishFile(corrected);
        }
        if (const auto target = icesaTargetFor(m_session)) {
            m_proposedName = target->proposedName;
        }

        bool transmitterShown = false;
        bool refused = false;
        bool written = false;
        CreateFileCommand(m_session, m_dialogs, [&] {
            transmitterShown = true;
            for (const auto& [option, box] : transmitterOptions()) {
                if (const auto value = m_line.optional(option)) {
                    m_session.frmTXMag.*box = *value;
                }
            }
            refused = transmitterFieldProblem(m_session.frmTXMag).has_value();
            // Texas's instructions window has nothing to show a script.
            written = CreateTransmitterFile(m_session, m_dialogs, [] {});
        });
        m_session.Store.close();
        if (m_dialogs.proposedName()) {
            m_proposedName = m_dialogs.proposedName();
        }
        if (!m_dialogs.unanswered().isEmpty()) {
            return finishFile(unansweredStatus());
        }
        if (!transmitterShown) {
            // States filed without the transmitter window: the writer ran on the saved path, and a writer that
            // fails says so with a warning or an error and leaves no file.
            if (const auto saved = m_dialogs.savedPath()) {
                if (outcomeSince(m_dialogs.messagesBeforeSave()) == CliStatus::Failed || !QFileInfo::exists(*saved)) {
                    return finishFile(CliStatus::Failed);
                }
                m_written = saved;
                return finishFile(CliStatus::Done);
            }
            if (m_session.ChecksPassed) {
                return finishFile(fail(QStringLiteral("No file was written.")));
            }
            // The checks' findings are the last message they showed; a store they could not open is a failure.
            const ShownMessage& shown = m_dialogs.messages().constLast();
            if (shown.icon == MessageIcon::Critical) {
                return finishFile(CliStatus::Failed);
            }
            for (const QString& finding : shown.text.split(QLatin1String("\r\n"))) {
                if (!finding.isEmpty()) {
                    m_findings.append(finding);
                }
            }
            return finishFile(CliStatus::Stopped);
        }
        if (!written) {
            return finishFile(refused ? CliStatus::Stopped : CliStatus::Failed);
        }
        m_written = m_dialogs.savedPath();
        return finishFile(CliStatus::Done);
    }

    CliStatus finishFile(CliStatus status)
    {
        if (m_json) {
            QJsonObject totals;
            QJsonObject captions;
            if (m_loaded) {
                for (int number = 1; number <= 13; ++number) {
                    totals.insert(QStringLiteral("Text%1").arg(number), boxText(m_session.Form3, number));
                }
                for (int number = 1; number <= 16; ++number) {
                    captions.insert(QStringLiteral("Label%1").arg(number), caption(m_layout, number));
                }
            }
            QJsonArray messages;
            for (const ShownMessage& message : m_dialogs.messages()) {
                messages.append(
                    QJsonObject{{QStringLiteral("title"), message.title}, {QStringLiteral("text"), message.text}});
            }
            const QJsonObject result{
                {QStringLiteral("status"), static_cast<int>(status)},
                {QStringLiteral("totals"), totals},
                {QStringLiteral("captions"), captions},
                {QStringLiteral("findings"), QJsonArray::fromStringList(m_findings)},
                {QStringLiteral("proposedName"), m_proposedName ? QJsonValue(*m_proposedName) : QJsonValue()},
                {QStringLiteral("file"), m_written ? QJsonValue(*m_written) : QJsonValue()},
                {QStringLiteral("messages"), messages},
            };
            m_out << QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented));
            return status;
        }
        if (!m_findings.isEmpty()) {
            m_out << '\n';
            for (const QString& finding : m_findings) {
                m_out << finding << '\n';
            }
        }
        if (m_written) {
            m_out << '\n' << QLatin1String("File written: ") << QDir::toNativeSeparators(*m_written) << '\n';
        }
        return status;
    }

    const CommandLine& m_line;
    QTextStream& m_out;
    QTextStream& m_errors;
    CliDialogs m_dialogs;
    Session m_session;
    MainWindowState m_window;
    std::unique_ptr<SingleInstanceGuard> m_guard;
    bool m_json = false;
    bool m_loaded = false;
    TotalsLayout m_layout;
    QStringList m_findings;
    std::optional<QString> m_proposedName;
    std::optional<QString> m_written;
};

} // namespace

CliStatus runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& errors)
{
    try {
        const CommandLine line = parseCommandLine(arguments);
        if (line.help) {
            out << (line.command == nullptr ? kMainHelp : *line.command->help);
            return CliStatus::Done;
        }
        if (line.version) {
            out << kProgram << ' ' << applicationVersion() << '\n';
            return CliStatus::Done;
        }
        CliRun run(line, out, errors);
        return run.run();
    } catch (const UsageError& error) {
        errors << kProgram << QLatin1String(": ") << error.text << '\n'
               << QLatin1String("Try 'wagetrove-cli --help'.") << Qt::endl;
        return CliStatus::Usage;
    }
}

} // namespace wagetrove
