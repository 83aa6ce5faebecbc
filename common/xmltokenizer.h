#pragma once

#include <QtGlobal>

#include <cstddef>
#include <string>
#include <vector>

namespace wagetrove {

/// What a document hands over while it is tokenized. Each call returns false to stop the reading.
class XmlEvents
{
public:
    virtual ~XmlEvents() = default;
    /// Names and attribute values are zero-terminated UTF-8 and valid for the call only. attributes holds name and
    /// value in turn and ends with a null pointer; values have their references replaced and their white space
    /// normalised.
    virtual bool startElement(const char* name, const char** attributes) = 0;
    virtual bool endElement(const char* name) = 0;
    /// Character data inside the root element, references replaced and line ends as "\n"; one run of text may come
    /// in several pieces.
    virtual bool characters(const char* text, size_t length) = 0;
};

/// Reads a UTF-8 XML document fed in slices, as a stream of elements and texts: the parts of a workbook, many
/// times faster than a general parser. It refuses what is not well-formed (unbalanced or crossed tags, broken
/// references, characters XML does not allow, broken UTF-8, text outside the root element), and stops at a
/// document type declaration, so that no entity is ever defined. A document in another encoding, or with an
/// unusual XML declaration, is left to a general parser: the tokenizer says so before it hands anything over.
class XmlTokenizer
{
public:
    enum class Result
    {
        NeedsMore,    ///< everything fed so far is read; feed the next slice
        Finished,     ///< the document is complete and well-formed
        Stopped,      ///< a callback returned false
        Failed,       ///< not well-formed: see error() and errorLine()
        DocumentType, ///< a document type declaration: refused before it is read
        Unsupported,  ///< not UTF-8, or an XML declaration left to a general parser; nothing was handed over
    };

    /// Elements nested deeper than this are refused: no workbook part comes near, and each level takes memory.
    static constexpr int kMaxDepth = 1024;
    /// The names of the open elements together may not be longer than this, for the same reason.
    static constexpr size_t kMaxOpenNameBytes = 64 * 1024;

    /// Space for length more bytes at the end of what is still unread; fill it, then call parse().
    char* buffer(size_t length);
    /// Reads the length bytes just written into buffer(); last says that the document ends with them.
    Result parse(XmlEvents& events, size_t length, bool last);

    /// Bytes fed but not yet read because the token they start is unfinished.
    size_t pendingBytes() const { return m_end - m_begin; }
    /// The parser's description of what is wrong, and the line (from 1) where it was found.
    const char* error() const { return m_error; }
    qint64 errorLine() const { return m_errorLine; }

private:
    enum class Step
    {
        Done,
        More,
        Stop,
        Fail,
        DocumentType,
    };
    enum class Skipped
    {
        Comment,
        Instruction,
        CData,
    };

    Result readDeclaration();
    Step text(XmlEvents& events);
    Step markup(XmlEvents& events);
    Step startTag(XmlEvents& events);
    /// The first repeated name among the tag's attributes, or null.
    const char* duplicateAttribute();
    /// Replaces the references and white space of an attribute value; returns its new end, or null (error set).
    char* decodeValue(char* value, const char* valueEnd);
    Step endTag(XmlEvents& events);
    /// Reads past a comment, a processing instruction or a CDATA section, checking its characters.
    Step skip(Skipped kind);
    Step cdata(XmlEvents& events);
    /// Decodes the reference at p (its "&") into out; returns its length in the document, 0 when it runs to end
    /// and more may follow (complete is false), -1 when it is broken (error set).
    int reference(const char* p, const char* end, bool complete, char* out, int& outLength);
    /// The end of the name starting at p, or null when its UTF-8 is broken.
    char* skipName(char* p, const char* limit);
    /// Checks the character starting at p: its UTF-8 length, 0 when more is needed, -1 when it is not allowed.
    int character(const char* p, const char* end);
    Step fail(const char* what, const char* where);
    void push(const char* name, size_t length);
    void pop();

    std::vector<char> m_buffer;
    size_t m_begin = 0; ///< first byte not yet read
    size_t m_end = 0;   ///< end of the bytes fed
    qint64 m_linesBefore = 0;
    bool m_last = false;
    bool m_atStart = true;
    bool m_rootClosed = false;
    std::string m_names;              ///< names of the open elements, each followed by a zero
    std::vector<size_t> m_nameStarts; ///< where each open element's name starts in m_names
    /// An attribute found in a tag whose end is not yet known.
    struct PendingAttribute
    {
        char* name = nullptr;
        char* nameEnd = nullptr;
        char* value = nullptr;
        char* valueEnd = nullptr;
        bool decode = false;
    };
    std::vector<PendingAttribute> m_pending;
    std::vector<const char*> m_attributes;
    const char* m_error = nullptr;
    qint64 m_errorLine = 0;
};

} // namespace wagetrove
