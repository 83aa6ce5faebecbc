// Writes the blank wage listing form, BlankWL.pdf, to the path given on the command line: one US Letter page
// with the employer block, 17 employee lines, the page total line and "Page N of M", each value a text field
// named as the wage listing fills it. The same program always writes the same bytes.
#include <QByteArray>
#include <QString>
#include <QTextStream>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <vector>

namespace {

struct Box
{
    double left;
    double bottom;
    double right;
    double top;
};

enum Quadding
{
    kLeft = 0,
    kCentered = 1,
    kRight = 2,
};

struct Field
{
    QString title;
    Box rect;
    Quadding quadding;
    bool multiline = false;
};

// The employee table: the line number, then the six values of a line.
struct Column
{
    double left;
    double right;
    const char* heading;
};

constexpr Column kColumns[] = {
    {36, 58, "LINE"},   {58, 146, "SOCIAL SECURITY NO."}, {146, 278, "LAST NAME"},     {278, 392, "FIRST NAME"},
    {392, 414, "M.I."}, {414, 495, "GROSS WAGES"},        {495, 576, "TAXABLE WAGES"},
};
constexpr Quadding kColumnQuadding[] = {kLeft, kLeft, kLeft, kLeft, kCentered, kRight, kRight};

constexpr double kTableTop = 620;
constexpr double kHeadingHeight = 24;
constexpr double kLineHeight = 26;
constexpr int kLines = 17;

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 2).replace(".00", "");
}

// A text string of the page content; the form's own texts are plain ASCII.
QByteArray pdfString(const QByteArray& text)
{
    QByteArray escaped = text;
    escaped.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
    return '(' + escaped + ')';
}

class Content
{
public:
    void text(const char* font, double size, double x, double y, const QByteArray& text)
    {
        m_bytes += "BT /" + QByteArray(font) + ' ' + number(size) + " Tf " + number(x) + ' ' + number(y) + " Td " +
                   pdfString(text) + " Tj ET\n";
    }
    void rectangle(const Box& box, const char* operation)
    {
        m_bytes += number(box.left) + ' ' + number(box.bottom) + ' ' + number(box.right - box.left) + ' ' +
                   number(box.top - box.bottom) + " re " + operation + '\n';
    }
    void line(double x1, double y1, double x2, double y2)
    {
        m_bytes += number(x1) + ' ' + number(y1) + " m " + number(x2) + ' ' + number(y2) + " l S\n";
    }
    void raw(const QByteArray& operators) { m_bytes += operators + '\n'; }
    // A captioned box: the caption small in its top left corner.
    void captioned(const Box& box, const char* caption)
    {
        rectangle(box, "S");
        text("F2", 6.5, box.left + 3, box.top - 8, caption);
    }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

double lineBottom(int line)
{
    return kTableTop - kHeadingHeight - line * kLineHeight;
}

void drawHeader(Content& content, std::vector<Field>& fields)
{
    content.text("F2", 15, 36, 748, "QUARTERLY WAGE LISTING");
    content.text("F1", 8, 36, 736, "Unemployment insurance: wages paid to each employee in the quarter");

    content.text("F1", 9, 466, 748, "Page");
    content.rectangle({490, 744, 516, 760}, "S");
    content.text("F1", 9, 522, 748, "of");
    content.rectangle({536, 744, 562, 760}, "S");
    fields.push_back({QStringLiteral("19"), {491, 745, 515, 759}, kCentered});
    fields.push_back({QStringLiteral("20"), {537, 745, 561, 759}, kCentered});

    const Box employer{36, 640, 336, 726};
    content.captioned(employer, "EMPLOYER NAME AND ADDRESS");
    fields.push_back({QStringLiteral("1"), {40, 643, 332, 715}, kLeft, true});

    const Box account{348, 690, 576, 726};
    content.captioned(account, "STATE ACCOUNT NUMBER");
    fields.push_back({QStringLiteral("2"), {352, 693, 572, 715}, kLeft});

    const Box quarter{348, 640, 456, 676};
    content.captioned(quarter, "QUARTER");
    fields.push_back({QStringLiteral("3"), {352, 643, 452, 665}, kCentered});

    const Box year{468, 640, 576, 676};
    content.captioned(year, "YEAR");
    fields.push_back({QStringLiteral("4"), {472, 643, 572, 665}, kCentered});
}

void drawTable(Content& content, std::vector<Field>& fields)
{
    const double tableBottom = lineBottom(kLines + 1);
    // The heading row and the page total row are shaded.
    content.raw("q 0.9 g");
    content.rectangle({36, kTableTop - kHeadingHeight, 576, kTableTop}, "f");
    content.rectangle({36, tableBottom, 576, lineBottom(kLines)}, "f");
    content.raw("Q");

    content.rectangle({36, tableBottom, 576, kTableTop}, "S");
    for (int line = 0; line <= kLines; ++line) {
        content.line(36, lineBottom(line), 576, lineBottom(line));
    }
    for (const Column& column : kColumns) {
        if (column.left > 36) {
            const double bottom = column.left < 414 ? lineBottom(kLines) : tableBottom;
            content.line(column.left, bottom, column.left, kTableTop);
        }
        content.text("F2", 6.5, column.left + 3, kTableTop - 14, column.heading);
    }

    for (int line = 1; line <= kLines; ++line) {
        const double bottom = lineBottom(line);
        content.text("F1", 8, 41, bottom + 9, QByteArray::number(line));
        for (int value = 1; value <= 6; ++value) {
            const Column& column = kColumns[value];
            fields.push_back({QStringLiteral("%1-%2").arg(line).arg(value),
                              {column.left + 2, bottom + 3, column.right - 2, bottom + kLineHeight - 3},
                              kColumnQuadding[value]});
        }
    }
    content.text("F2", 8, 330, tableBottom + 9, "TOTAL THIS PAGE");
    for (int value = 5; value <= 6; ++value) {
        const Column& column = kColumns[value];
        fields.push_back({QStringLiteral("18-%1").arg(value),
                          {column.left + 2, tableBottom + 3, column.right - 2, tableBottom + kLineHeight - 3},
                          kRight});
    }
}

void drawFooter(Content& content)
{
    content.text("F1", 7, 36, 112,
                 "Enter each employee's Social Security number, name and the wages paid in the quarter, and total "
                 "each page.");
    content.text("F1", 7, 36, 102,
                 "Taxable wages are the part of each employee's wages up to the state's taxable wage base.");
    content.text("F1", 7, 36, 86,
                 "I certify that the information contained in this report is true and correct to the best of my "
                 "knowledge.");
    content.line(36, 62, 300, 62);
    content.line(320, 62, 440, 62);
    content.line(460, 62, 576, 62);
    content.text("F1", 6.5, 36, 54, "SIGNATURE OF EMPLOYER OR AUTHORIZED AGENT");
    content.text("F1", 6.5, 320, 54, "TITLE");
    content.text("F1", 6.5, 460, 54, "DATE");
}

QPDFObjectHandle simpleFont(QPDF& pdf, const char* baseFont)
{
    return pdf.makeIndirectObject(QPDFObjectHandle::parse(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") +
                                                          baseFont + " /Encoding /WinAnsiEncoding >>"));
}

QPDFObjectHandle rectangleArray(const Box& box)
{
    return QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(box.left, box.bottom, box.right, box.top));
}

void writeForm(const char* path)
{
    QPDF pdf;
    pdf.emptyPDF();
    const QPDFObjectHandle helvetica = simpleFont(pdf, "Helvetica");
    const QPDFObjectHandle helveticaBold = simpleFont(pdf, "Helvetica-Bold");
    const QPDFObjectHandle courier = simpleFont(pdf, "Courier");

    Content content;
    std::vector<Field> fields;
    content.raw("0 g 0 G 0.6 w");
    drawHeader(content, fields);
    drawTable(content, fields);
    drawFooter(content);

    QPDFObjectHandle page =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
    QPDFObjectHandle pageFonts = QPDFObjectHandle::newDictionary();
    pageFonts.replaceKey("/F1", helvetica);
    pageFonts.replaceKey("/F2", helveticaBold);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", pageFonts);
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content.bytes().toStdString()));

    QPDFObjectHandle annotations = QPDFObjectHandle::newArray();
    for (const Field& field : fields) {
        QPDFObjectHandle widget = QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Widget /FT /Tx /F 4 >>");
        widget.replaceKey("/T", QPDFObjectHandle::newString(field.title.toStdString()));
        widget.replaceKey("/Rect", rectangleArray(field.rect));
        widget.replaceKey("/DA", QPDFObjectHandle::newString("/Cour 9 Tf 0 g"));
        widget.replaceKey("/Q", QPDFObjectHandle::newInteger(field.quadding));
        if (field.multiline) {
            widget.replaceKey("/Ff", QPDFObjectHandle::newInteger(1 << 12));
        }
        widget.replaceKey("/P", page);
        annotations.appendItem(pdf.makeIndirectObject(widget));
    }
    page.replaceKey("/Annots", annotations);
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);

    QPDFObjectHandle formFonts = QPDFObjectHandle::newDictionary();
    formFonts.replaceKey("/Cour", courier);
    QPDFObjectHandle formResources = QPDFObjectHandle::newDictionary();
    formResources.replaceKey("/Font", formFonts);
    QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
    form.replaceKey("/Fields", annotations.shallowCopy());
    form.replaceKey("/DR", formResources);
    form.replaceKey("/DA", QPDFObjectHandle::newString("/Cour 9 Tf 0 g"));
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(form));

    QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
    info.replaceKey("/Title", QPDFObjectHandle::newString("Quarterly Wage Listing"));
    info.replaceKey("/Creator", QPDFObjectHandle::newString("Wagetrove"));
    pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(info));

    QPDFWriter writer(pdf, path);
    writer.setDeterministicID(true);
    writer.write();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: make-blank-wage-listing PATH\n";
        return 2;
    }
    try {
        writeForm(argv[1]);
    } catch (const std::exception& error) {
        QTextStream(stderr) << "make-blank-wage-listing: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
