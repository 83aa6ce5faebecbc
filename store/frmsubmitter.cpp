#include "store/frmsubmitter.h"

#include "acquire/qb/qbconversation.h"
#include "acquire/qbwc/qwcfile.h"
#include "app/session.h"
#include "app/windowfinish.h"
#include "common/dialogs.h"
#include "store/submittermodel.h"

#include <QCheckBox>
#include <QDataWidgetMapper>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QVBoxLayout>

namespace wagetrove {
namespace {

const char* const kBoundLabels[] = {
    "Company Name:", "Address",       "City",          "State",          "Zip",
    "Contact Name:", "Contact Phone", "Submitter EIN", "E-Mail Address",
};

const char* const kCheckCaptions[] = {
    "Merge QuickBooks Company Files",
    "Employees are NOT subject to SUI - Use Gross Pay and zero out Taxable Wages.",
    "Employees are subject to SUI, but are not setup in QuickBooks correctly. Use Gross Pay and calculate Taxable "
    "Wages. Enter Wage Limit/Cutoff below. Only check this option if you not getting the correct totals.",
    "Create Support File",
    "Allow zero Hours for MA Quest",
    "Use Employer EIN as Submitter EIN",
    "Use as Standalone - Import Wages from Spreadsheet - Employer info from QB",
    "Use as Standalone - Import Wages and Employer Info from Spreadsheet",
};

/// A check box whose caption wraps to the width the layout gives it, so that the long captions keep the window
/// narrow. Clicking anywhere on the caption toggles it, as on an ordinary check box.
class WrappingCheckBox : public QCheckBox
{
public:
    WrappingCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
    {
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }

    int heightForWidth(int width) const override
    {
        const QRect caption = fontMetrics().boundingRect(QRect(0, 0, qMax(1, width - indicatorSpace()), 100000),
                                                         Qt::TextWordWrap, text());
        return qMax(firstLineHeight(), caption.height()) + 2;
    }

    QSize sizeHint() const override
    {
        const int width = indicatorSpace() + fontMetrics().averageCharWidth() * 80;
        return {width, heightForWidth(width)};
    }

    // Shrinking below the preferred width would only add lines, and the window would keep their height.
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.rect.setHeight(firstLineHeight());
        painter.drawControl(QStyle::CE_CheckBox, option);
        const QRect captionRect = rect().adjusted(indicatorSpace(), 0, 0, 0);
        style()->drawItemText(&painter, captionRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, palette(),
                              isEnabled(), text(), QPalette::WindowText);
    }

    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    int indicatorSpace() const
    {
        return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
               style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    }

    int firstLineHeight() const
    {
        return qMax(style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this), fontMetrics().height());
    }
};

QLineEdit* makeBox(const QString& name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

} // namespace

frmSubmitter::frmSubmitter(Session& session, MainWindowState& window, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_editor(session, window, dialogs), m_session(session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmSubmitter"));
    setWindowTitle(QStringLiteral("Submitter Information"));
    setModal(true);
    buildLayout();
    m_editor.open();
    bindFields();
    const SubmitterOptionBoxes& boxes = m_editor.boxes();
    m_text1->setText(boxes.Text1);
    m_text2->setText(boxes.Text2);
    m_remitterId->setText(boxes.RemitterIdText);
    m_quickBooks->setText(boxes.QuickBooksText);
    showBoxes();
    connectHandlers();
    finishWindow(this);
}

frmSubmitter::~frmSubmitter()
{
    releaseBinding();
}

void frmSubmitter::buildLayout()
{
    auto* fields = new QFormLayout;
    for (std::size_t i = 0; i < m_boundFields.size(); ++i) {
        m_boundFields[i] = makeBox(QStringLiteral("txtFields(%1)").arg(i), this);
        m_boundFields[i]->installEventFilter(this);
        fields->addRow(QLatin1String(kBoundLabels[i]), m_boundFields[i]);
    }

    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        m_checks[i] = new WrappingCheckBox(QLatin1String(kCheckCaptions[i]), this);
        m_checks[i]->setObjectName(QStringLiteral("Check%1").arg(i + 1));
    }
    m_text1 = makeBox(QStringLiteral("Text1"), this);
    m_remitterId = makeBox(QStringLiteral("txtFields(10)"), this);
    m_text2 = makeBox(QStringLiteral("Text2"), this);

    auto* options = new QVBoxLayout;
    for (std::size_t i = 0; i < 3; ++i) {
        options->addWidget(m_checks[i]);
    }
    // Check3's caption asks for the limit "below".
    auto* wageLimit = new QFormLayout;
    wageLimit->addRow(QStringLiteral("Wage Limit"), m_text1);
    options->addLayout(wageLimit);
    for (std::size_t i = 3; i < m_checks.size(); ++i) {
        options->addWidget(m_checks[i]);
    }
    auto* ids = new QFormLayout;
    ids->addRow(QStringLiteral("NC Remitter ID"), m_remitterId);
    ids->addRow(QStringLiteral("QB Field Name for Washington State SOC"), m_text2);
    options->addLayout(ids);

    // Below the options: how Get Payroll Data reaches QuickBooks.
    m_quickBooks = makeBox(QStringLiteral("txtQuickBooks"), this);
    m_quickBooks->setPlaceholderText(QStringLiteral("replay:FILE, simulated:FILE or webconnector:PORT"));
    m_browseQuickBooks = new QPushButton(QStringLiteral("Browse..."), this);
    m_browseQuickBooks->setObjectName(QStringLiteral("cmdBrowseQuickBooks"));
    m_browseQuickBooks->setAutoDefault(false);
    m_webConnectorFile = new QPushButton(QStringLiteral("Web Connector File..."), this);
    m_webConnectorFile->setObjectName(QStringLiteral("cmdWebConnectorFile"));
    m_webConnectorFile->setAutoDefault(false);
    auto* connection = new QHBoxLayout;
    connection->addWidget(m_quickBooks, 1);
    connection->addWidget(m_browseQuickBooks);
    connection->addWidget(m_webConnectorFile);
    auto* quickBooks = new QFormLayout;
    quickBooks->addRow(QStringLiteral("QuickBooks connection"), connection);
    options->addLayout(quickBooks);

    m_recordCaption = new QLabel(this);
    m_recordCaption->setObjectName(QStringLiteral("recordCaption"));
    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    m_command2 = new QPushButton(QStringLiteral("Cancel"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_recordCaption);
    buttons->addStretch();
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(options);
    layout->addLayout(buttons);
}

void frmSubmitter::bindFields()
{
    SubmitterModel* model = m_editor.model();
    if (model == nullptr) {
        // Without a row to save to, typing there would be lost.
        for (QLineEdit* box : m_boundFields) {
            box->setEnabled(false);
        }
        return;
    }
    m_mapper = new QDataWidgetMapper(this);
    m_mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    m_mapper->setModel(model);
    connect(m_mapper, &QDataWidgetMapper::currentIndexChanged, this,
            [this](int row) { m_recordCaption->setText(SubmitterEditor::recordCaption(row)); });
    const QStringList& names = SubmitterModel::boundFields();
    for (std::size_t i = 0; i < m_boundFields.size(); ++i) {
        m_mapper->addMapping(m_boundFields[i], model->fieldIndex(names[static_cast<qsizetype>(i)]));
    }
    m_mapper->toFirst();
}

void frmSubmitter::connectHandlers()
{
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        connect(m_checks[i], &QCheckBox::clicked, this, [this, i](bool ticked) {
            m_editor.click(static_cast<SubmitterCheck>(i + 1), ticked);
            showBoxes();
        });
    }
    connect(m_text1, &QLineEdit::textChanged, this, [this](const QString& text) { m_editor.boxes().Text1 = text; });
    connect(m_text2, &QLineEdit::textChanged, this, [this](const QString& text) { m_editor.boxes().Text2 = text; });
    connect(m_quickBooks, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_editor.boxes().QuickBooksText = text; });
    connect(m_browseQuickBooks, &QPushButton::clicked, this, [this] {
        const std::optional<QString> path =
            m_dialogs.openFile({QStringLiteral("QuickBooks Connection"), QString(),
                                QStringLiteral("QuickBooks answers and companies (*.xml *.json);;All files (*)"), false,
                                m_session.DocumentsFolder});
        if (path) {
            m_quickBooks->setText(quickBooksConnectionFor(*path));
        }
    });
    connect(m_webConnectorFile, &QPushButton::clicked, this,
            [this] { WriteWebConnectorFile(m_session, m_dialogs, m_quickBooks->text()); });
    connect(m_remitterId, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_editor.boxes().RemitterIdText = text; });
    connect(m_command1, &QPushButton::clicked, this, [this] {
        if (m_editor.accept()) {
            accept();
        }
    });
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
}

void frmSubmitter::showBoxes()
{
    const SubmitterOptionBoxes& boxes = m_editor.boxes();
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        m_checks[i]->setChecked(boxes.check(static_cast<SubmitterCheck>(i + 1)));
    }
    m_text1->setEnabled(boxes.Text1Enabled);
}

void frmSubmitter::releaseBinding()
{
    if (m_mapper != nullptr) {
        m_mapper->submit();
        // The mapper goes before the editor releases the model it points to.
        delete m_mapper;
        m_mapper = nullptr;
    }
}

void frmSubmitter::done(int result)
{
    releaseBinding();
    m_editor.finish();
    QDialog::done(result);
}

bool frmSubmitter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            // After the click that placed the cursor.
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace wagetrove
