#include "common/xmltokenizer.h"

#include <QTest>

#include <cstring>

using namespace wagetrove;

namespace {

/// Writes the events out: "<name a=v>", "</name>" and "[text]" for each run of text; stops at stopAt.
class Transcript final : public XmlEvents
{
public:
    QByteArray written, stopAt, text;

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
    bool characters(const char* run, size_t length) override
    {
        text.append(run, qsizetype(length));
        return true;
    }
    void flush() { written += text.isEmpty() ? QByteArray() : '[' + std::exchange(text, {}) + ']'; }
};

} // namespace

class TestXmlTokenizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The events, or for a refusal "failed: line N: error"; stopAt names the element the reader stops at ("-":
    // the events are not kept, only that the document finished).
    void tokenize_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("stopAt");
        QTest::addColumn<QByteArray>("read");
        const auto row = [](const char* name, const QByteArray& document, const QByteArray& read,
                            const QByteArray& stopAt = {}) { QTest::newRow(name) << document << stopAt << read; };
        row("a sheet row",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
            R"(<sheetData><row r="2"><c r="A2" t="s"><v>7</v></c><c/></row></sheetData>)",
            "<sheetData><row r=2><c r=A2 t=s><v>[7]</v></c><c></c></row></sheetData>");
        row("references", R"(<a b="&lt;&amp;&#65;&#x42;">&quot;&apos;&gt;&#x20AC;&#128512;</a>)",
            "<a b=<&AB>[\"'>\u20AC\U0001F600]</a>");
        row("line ends and white space in values", "<a b=\"1\r\n2\t3\n4\r5&#10;\">x\r\ny\rz\n</a>",
            "<a b=1 2 3 4 5\n>[x\ny\nz\n]</a>");
        row("quotes, white space and a > inside values", "<a\nb = '\"' c=\"'>'\"\t/>", "<a b=\" c='>'></a>");
        row("comments, instructions, CDATA",
            "\xEF\xBB\xBF<!--x--><?pi d?><a><!-- - --><![CDATA[<b>&amp;]]]]><?q?></a><!--y-->  ",
            "<a>[<b>&amp;]]]</a>");
        row("names with prefixes and marks", R"(<x:a xmlns:x="u"><b.c-d_e/></x:a >)",
            "<x:a xmlns:x=u><b.c-d_e></b.c-d_e></x:a>");
        row("stopped by the reader", "<a><b>x</b><c/></a>", "stopped: <a><b>", "b");

        row("crossed tags", "<a>\n<b>\n</a></b>", "failed: line 3: mismatched tag");
        row("undefined entity", "<a>&nbsp;</a>", "failed: line 1: undefined entity");
        // Of the control characters only tab and the line breaks are XML, as text and as references.
        row("reference to the last control character", R"(<a b="&#x1F;"/>)",
            "failed: line 1: reference to invalid character number");
        row("the last control character", "<a>J\x1F</a>", "failed: line 1: not well-formed (invalid token)");
        row("overlong UTF-8", "<a>\xC0\x80</a>", "failed: line 1: not well-formed (invalid token)");
        row("UTF-8 cut at the end", "<a>\xE2\x82", "failed: line 1: partial character");
        row("]]> in text", "<a>]]></a>", "failed: line 1: not well-formed (invalid token)");
        row("-- in a comment", "<a><!-- a -- b --></a>", "failed: line 1: not well-formed (invalid token)");
        row("attributes without space", R"(<a b="1"c="2"/>)", "failed: line 1: not well-formed (invalid token)");
        row("duplicate attribute", R"(<a b="1" b="2"/>)", "failed: line 1: duplicate attribute");
        QByteArray manyAttributes = "<a";
        for (int i = 0; i < 40; ++i) {
            manyAttributes += " b" + QByteArray::number(i) + "=\"\"";
        }
        row("duplicate among many attributes", manyAttributes + " b7=\"\"/>", "failed: line 1: duplicate attribute");
        row("open names too long", "<" + QByteArray(40000, 'a') + "><" + QByteArray(30000, 'b') + ">",
            "failed: line 1: names of the open elements too long");
        row("unclosed root", "<a><b/>", "failed: line 1: no element found");
        row("unfinished tag", "<a><b c=\"", "failed: line 1: unclosed token");
        row("second root", "<a/>\n<b/>", "failed: line 2: junk after document element");
        row("text before the root", "x<a/>", "failed: line 1: syntax error");
        row("late declaration", R"(<a><?xml version="1.0"?></a>)",
            "failed: line 1: XML or text declaration not at start of entity");
        row("nested too deep", QByteArray("<a>").repeated(XmlTokenizer::kMaxDepth + 1),
            "failed: line 1: elements nested too deep");
        row("nested as deep as allowed",
            QByteArray("<a>").repeated(XmlTokenizer::kMaxDepth) + QByteArray("</a>").repeated(XmlTokenizer::kMaxDepth),
            "finished", "-");

        row("document type", R"(<?xml version="1.0"?><!DOCTYPE a [<!ENTITY b "c">]><a>&b;</a>)", "document type: ");
        row("UTF-16", QByteArray("\xFF\xFE<\0a\0/\0>\0", 10), "unsupported: ");
        row("another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>", "unsupported: ");
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
            // By result, in their order: needs more, finished, stopped, failed, document type, unsupported.
            const char* const kinds[] = {"", "", "stopped: ", "", "document type: ", "unsupported: "};
            QByteArray outcome = kinds[int(result)] + transcript.written;
            if (result == XmlTokenizer::Result::Failed) {
                outcome = "failed: line " + QByteArray::number(tokenizer.errorLine()) + ": " + tokenizer.error();
            } else if (result == XmlTokenizer::Result::Finished && stopAt == "-") {
                outcome = "finished";
            }
            QCOMPARE(outcome, read);
        }
    }
};

QTEST_APPLESS_MAIN(TestXmlTokenizer)
#include "tst_xmltokenizer.moc"
