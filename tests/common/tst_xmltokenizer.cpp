#include "common/xmltokenizer.h"

#include <QTest>

#include <cstring>

using namespace wagetrove;

namespace {

/// Writes the events out as one line each: "<name a=v>", "</name>" and "[text]" for each run of text.
class Transcript final : public XmlEvents
{
public:
    QByteArray written;
    QByteArray stopAt; ///< returns false from the start of this element
    QByteArray text;

    bool startElement(const char* name, const char** attributes) override
    {
        flush();
        written += '<' + QByteArray(name);
        for (const char** a = attributes; *a; a += 2) {
            written += ' ' + QByteArray(a[0]) + '=' + QByteArray(a[1]);
        }
        written += '>';
        return stopAt != name;
    }
    bool endElement(const char* name) override
    {
        flush();
        written += "</" + QByteArray(name) + '>';
        return true;
    }
    bool characters(const char* text, size_t length) override
    {
        this->text.append(text, qsizetype(length));
        return true;
    }
    void flush()
    {
        if (!text.isEmpty()) {
            written += '[' + text + ']';
            text.clear();
        }
    }
};

} // namespace

class TestXmlTokenizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tokenize_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("stopAt");
        // The events, or for a refusal "result: line N: error".
        QTest::addColumn<QByteArray>("read");

        QTest::newRow("a sheet row") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                                                   "<sheetData><row r=\"2\"><c r=\"A2\" t=\"s\"><v>7</v></c><c/></row>"
                                                   "</sheetData>")
                                     << QByteArray()
                                     << QByteArray("<sheetData><row r=2><c r=A2 t=s><v>[7]</v></c><c></c></row>"
                                                   "</sheetData>");
        QTest::newRow("references") << QByteArray("<a b=\"&lt;&amp;&#65;&#x42;\">&quot;&apos;&gt;&#x20AC;&#128512;</a>")
                                    << QByteArray() << QByteArray("<a b=<&AB>[\"'>\u20AC\U0001F600]</a>");
        QTest::newRow("line ends and white space in values")
            << QByteArray("<a b=\"1\r\n2\t3\n4\r5&#10;\">x\r\ny\rz\n</a>") << QByteArray()
            << QByteArray("<a b=1 2 3 4 5\n>[x\ny\nz\n]</a>");
        QTest::newRow("quotes, white space and a > inside values")
            << QByteArray("<a\nb = '\"' c=\"'>'\"\t/>") << QByteArray() << QByteArray("<a b=\" c='>'></a>");
        QTest::newRow("comments, instructions, CDATA")
            << QByteArray("\xEF\xBB\xBF<!--x--><?pi d?><a><!-- - --><![CDATA[<b>&amp;]]]]><?q?></a><!--y-->  ")
            << QByteArray() << QByteArray("<a>[<b>&amp;]]]</a>");
        QTest::newRow("names with prefixes and marks")
            << QByteArray("<x:a xmlns:x=\"u\"><b.c-d_e/></x:a >") << QByteArray()
            << QByteArray("<x:a xmlns:x=u><b.c-d_e></b.c-d_e></x:a>");
        QTest::newRow("stopped by the reader")
            << QByteArray("<a><b>x</b><c/></a>") << QByteArray("b") << QByteArray("stopped: <a><b>");

        QTest::newRow("crossed tags") << QByteArray("<a>\n<b>\n</a></b>") << QByteArray()
                                      << QByteArray("failed: line 3: mismatched tag");
        QTest::newRow("undefined entity")
            << QByteArray("<a>&nbsp;</a>") << QByteArray() << QByteArray("failed: line 1: undefined entity");
        // Of the control characters only tab and the line breaks are XML, as text and as references.
        QTest::newRow("reference to the last control character")
            << QByteArray("<a b=\"&#x1F;\"/>") << QByteArray()
            << QByteArray("failed: line 1: reference to invalid character number");
        QTest::newRow("the last control character") << QByteArray("<a>J\x1F</a>") << QByteArray()
                                                    << QByteArray("failed: line 1: not well-formed (invalid token)");
        QTest::newRow("overlong UTF-8") << QByteArray("<a>\xC0\x80</a>") << QByteArray()
                                        << QByteArray("failed: line 1: not well-formed (invalid token)");
        QTest::newRow("UTF-8 cut at the end")
            << QByteArray("<a>\xE2\x82") << QByteArray() << QByteArray("failed: line 1: partial character");
        QTest::newRow("]]> in text") << QByteArray("<a>]]></a>") << QByteArray()
                                     << QByteArray("failed: line 1: not well-formed (invalid token)");
        QTest::newRow("-- in a comment") << QByteArray("<a><!-- a -- b --></a>") << QByteArray()
                                         << QByteArray("failed: line 1: not well-formed (invalid token)");
        QTest::newRow("attributes without space") << QByteArray("<a b=\"1\"c=\"2\"/>") << QByteArray()
                                                  << QByteArray("failed: line 1: not well-formed (invalid token)");
        QTest::newRow("duplicate attribute")
            << QByteArray("<a b=\"1\" b=\"2\"/>") << QByteArray() << QByteArray("failed: line 1: duplicate attribute");
        QByteArray manyAttributes = "<a";
        for (int i = 0; i < 40; ++i) {
            manyAttributes += " b" + QByteArray::number(i) + "=\"\"";
        }
        QTest::newRow("duplicate among many attributes")
            << manyAttributes + " b7=\"\"/>" << QByteArray() << QByteArray("failed: line 1: duplicate attribute");
        QTest::newRow("open names too long")
            << "<" + QByteArray(40000, 'a') + "><" + QByteArray(30000, 'b') + ">" << QByteArray()
            << QByteArray("failed: line 1: names of the open elements too long");
        QTest::newRow("unclosed root") << QByteArray("<a><b/>") << QByteArray()
                                       << QByteArray("failed: line 1: no element found");
        QTest::newRow("unfinished tag") << QByteArray("<a><b c=\"") << QByteArray()
                                        << QByteArray("failed: line 1: unclosed token");
        QTest::newRow("second root") << QByteArray("<a/>\n<b/>") << QByteArray()
                                     << QByteArray("failed: line 2: junk after document element");
        QTest::newRow("text before the root")
            << QByteArray("x<a/>") << QByteArray() << QByteArray("failed: line 1: syntax error");
        QTest::newRow("late declaration")
            << QByteArray("<a><?xml version=\"1.0\"?></a>") << QByteArray()
            << QByteArray("failed: line 1: XML or text declaration not at start of entity");
        QTest::newRow("nested too deep") << QByteArray("<a>").repeated(XmlTokenizer::kMaxDepth + 1) << QByteArray()
                                         << QByteArray("failed: line 1: elements nested too deep");
        QTest::newRow("nested as deep as allowed") << QByteArray("<a>").repeated(XmlTokenizer::kMaxDepth) +
                                                          QByteArray("</a>").repeated(XmlTokenizer::kMaxDepth)
                                                   << QByteArray("-") << QByteArray("finished");

        QTest::newRow("document type") << QByteArray(
                                              "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY b \"c\">]><a>&b;</a>")
                                       << QByteArray() << QByteArray("document type: ");
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE<\0a\0/\0>\0", 10) << QByteArray()
                                << QByteArray("unsupported: ");
        QTest::newRow("another encoding") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>")
                                          << QByteArray() << QByteArray("unsupported: ");
    }

    // Every document is read whole, then fed a byte at a time and in slices of 3 and 7: a token split across
    // slices must read as one.
    void tokenize()
    {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, stopAt);
        QFETCH(QByteArray, read);
        for (const qsizetype slice : {document.size(), qsizetype(1), qsizetype(3), qsizetype(7)}) {
            XmlTokenizer tokenizer;
            Transcript transcript;
            transcript.stopAt = stopAt;
            XmlTokenizer::Result result = XmlTokenizer::Result::NeedsMore;
            for (qsizetype at = 0; result == XmlTokenizer::Result::NeedsMore;) {
                const qsizetype part = std::min(std::max(slice, qsizetype(1)), document.size() - at);
                std::memcpy(tokenizer.buffer(size_t(part)), document.constData() + at, size_t(part));
                at += part;
                result = tokenizer.parse(transcript, size_t(part), at == document.size());
            }
            transcript.flush();
            QByteArray outcome;
            switch (result) {
            case XmlTokenizer::Result::Finished:
                outcome = stopAt == "-" ? QByteArray("finished") : transcript.written;
                break;
            case XmlTokenizer::Result::Stopped:
                outcome = "stopped: " + transcript.written;
                break;
            case XmlTokenizer::Result::Failed:
                outcome = "failed: line " + QByteArray::number(tokenizer.errorLine()) + ": " + tokenizer.error();
                break;
            case XmlTokenizer::Result::DocumentType:
                outcome = "document type: " + transcript.written;
                break;
            case XmlTokenizer::Result::Unsupported:
                outcome = "unsupported: " + transcript.written;
                break;
            case XmlTokenizer::Result::NeedsMore:
                break;
            }
            QCOMPARE(outcome, read);
        }
    }
};

QTEST_APPLESS_MAIN(TestXmlTokenizer)
#include "tst_xmltokenizer.moc"
