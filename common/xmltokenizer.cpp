#include "common/xmltokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace wagetrove {

namespace {

// The texts a general XML parser gives for the same faults, so that a message reads the same whichever read it.
constexpr const char* kInvalidToken = "not well-formed (invalid token)";
constexpr const char* kUnclosedToken = "unclosed token";
constexpr const char* kPartialCharacter = "partial character";
constexpr const char* kMismatchedTag = "mismatched tag";
constexpr const char* kNoElement = "no element found";
constexpr const char* kJunkAfterRoot = "junk after document element";
constexpr const char* kSyntaxError = "syntax error";
constexpr const char* kUndefinedEntity = "undefined entity";
constexpr const char* kBadCharacterReference = "reference to invalid character number";
constexpr const char* kDuplicateAttribute = "duplicate attribute";
constexpr const char* kMisplacedDeclaration = "XML or text declaration not at start of entity";
constexpr const char* kTooDeep = "elements nested too deep";
constexpr const char* kNamesTooLong = "names of the open elements too long";

enum : unsigned char
{
    kPlain,   // a character that stands for itself in text
    kSpecial, // "<", "&", "]", carriage return, or the start of a multi-byte character
    kBanned,  // a control character XML does not allow
};

constexpr std::array<unsigned char, 256> kTextClass = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 0x20; ++c) {
        table[size_t(c)] = kBanned;
    }
    table['\t'] = table['\n'] = kPlain;
    table['\r'] = table['<'] = table['&'] = table[']'] = kSpecial;
    for (int c = 0x80; c < 0x100; ++c) {
        table[size_t(c)] = kSpecial;
    }
    return table;
}();

// In attribute values: quotes, "&", "<", white space other than blanks, and what kTextClass sets apart.
constexpr std::array<unsigned char, 256> kValueClass = [] {
    std::array<unsigned char, 256> table = kTextClass;
    table[']'] = kPlain;
    table['"'] = table['\''] = table['&'] = table['<'] = table['\t'] = table['\n'] = table['\r'] = kSpecial;
    return table;
}();

// Names: ASCII letters, "_" and ":" start one, digits, "." and "-" may follow; any other character past ASCII
// is taken as a name character once its UTF-8 is checked.
constexpr std::array<unsigned char, 128> kNameClass = [] {
    std::array<unsigned char, 128> table{};
    for (int c = 'a'; c <= 'z'; ++c) {
        table[size_t(c)] = table[size_t(c - 'a' + 'A')] = 2;
    }
    table['_'] = table[':'] = 2;
    for (int c = '0'; c <= '9'; ++c) {
        table[size_t(c)] = 1;
    }
    table['.'] = table['-'] = 1;
    return table;
}();

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

bool isNameStart(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || kNameClass[byte] == 2;
}

bool isXmlCharacter(quint32 code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

int encodeUtf8(quint32 code, char* out)
{
    if (code < 0x80) {
        out[0] = char(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = char(0xC0 | (code >> 6));
        out[1] = char(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = char(0xE0 | (code >> 12));
        out[1] = char(0x80 | ((code >> 6) & 0x3F));
        out[2] = char(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (code >> 18));
    out[1] = char(0x80 | ((code >> 12) & 0x3F));
    out[2] = char(0x80 | ((code >> 6) & 0x3F));
    out[3] = char(0x80 | (code & 0x3F));
    return 4;
}

/// 1 when text at p starts with literal, 0 when what there is matches but is shorter, -1 when it differs.
int startsWith(const char* p, const char* end, std::string_view literal)
{
    const size_t available = std::min(size_t(end - p), literal.size());
    if (available > 0 && std::memcmp(p, literal.data(), available) != 0) {
        return -1;
    }
    return available == literal.size() ? 1 : 0;
}

} // namespace

char* XmlTokenizer::buffer(size_t length)
{
    if (m_begin > 0) {
        const char* data = m_buffer.data();
        const char* const read = data + m_begin;
        while ((data = static_cast<const char*>(std::memchr(data, '\n', size_t(read - data))))) {
            ++m_linesBefore;
            ++data;
        }
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    // One byte to spare keeps the buffer allocated even for an empty document.
    if (m_buffer.size() < m_end + length + 1) {
        m_buffer.resize(m_end + length + 1);
    }
    return m_buffer.data() + m_end;
}

XmlTokenizer::Result XmlTokenizer::parse(XmlEvents& events, size_t length, bool last)
{
    m_end += length;
    m_last = last;
    if (m_buffer.size() <= m_end) {
        m_buffer.resize(m_end + 1);
    }
    m_buffer[m_end] = '\0'; // stops every scan at the end of what was fed
    if (m_atStart) {
        const Result start = readDeclaration();
        if (m_atStart || start == Result::Unsupported) {
            return start;
        }
    }
    while (m_begin < m_end) {
        const Step step = m_buffer[m_begin] == '<' ? markup(events) : text(events);
        if (step == Step::Done) {
            continue;
        }
        if (step == Step::More) {
            break;
        }
        return step == Step::Stop           ? Result::Stopped
               : step == Step::DocumentType ? Result::DocumentType
                                            : Result::Failed;
    }
    if (!last) {
        return Result::NeedsMore;
    }
    if (m_begin < m_end) {
        fail(kUnclosedToken, m_buffer.data() + m_begin);
        return Result::Failed;
    }
    if (!m_rootClosed) {
        fail(kNoElement, m_buffer.data() + m_end);
        return Result::Failed;
    }
    return Result::Finished;
}

XmlTokenizer::Result XmlTokenizer::readDeclaration()
{
    const char* p = m_buffer.data() + m_begin;
    const char* const end = m_buffer.data() + m_end;
    if (end - p < 6 && !m_last) {
        return Result::NeedsMore;
    }
    const auto byte = [&](const char* at) { return at < end ? static_cast<unsigned char>(*at) : 0x100U; };
    if (byte(p) == 0xEF && byte(p + 1) == 0xBB && byte(p + 2) == 0xBF) {
        p += 3;
    } else if (byte(p) == 0xFE || byte(p) == 0xFF || byte(p) == 0 || byte(p + 1) == 0) {
        return Result::Unsupported; // UTF-16 or UTF-32
    }
    if (startsWith(p, end, "<?xml") != 1 || (p + 5 < end && !isSpace(p[5]) && p[5] != '?')) {
        m_begin = size_t(p - m_buffer.data());
        m_atStart = false;
        return Result::NeedsMore;
    }
    const char* close = static_cast<const char*>(std::memchr(p, '>', size_t(end - p)));
    if (!close) {
        return m_last ? Result::Unsupported : Result::NeedsMore;
    }
    // Only the declaration of a UTF-8 document as written by every spreadsheet program is read here; any other
    // is left to a general parser to accept or refuse.
    std::string_view rest(p + 5, size_t(close + 1 - (p + 5)));
    const auto pseudoAttribute = [&rest](std::string_view name, auto valueIsGood) {
        size_t at = 0;
        while (at < rest.size() && isSpace(rest[at])) {
            ++at;
        }
        if (at == 0 || rest.substr(at, name.size()) != name) {
            return false;
        }
        at += name.size();
        if (rest.substr(at, 1) != "=" || at + 2 >= rest.size() || (rest[at + 1] != '"' && rest[at + 1] != '\'')) {
            return false;
        }
        const size_t valueEnd = rest.find(rest[at + 1], at + 2);
        if (valueEnd == std::string_view::npos || !valueIsGood(rest.substr(at + 2, valueEnd - at - 2))) {
            return false;
        }
        rest.remove_prefix(valueEnd + 1);
        return true;
    };
    if (!pseudoAttribute("version", [](std::string_view v) { return v == "1.0"; })) {
        return Result::Unsupported;
    }
    pseudoAttribute("encoding", [](std::string_view v) {
        return v.size() == 5 && (v[0] | 0x20) == 'u' && (v[1] | 0x20) == 't' && (v[2] | 0x20) == 'f' && v[3] == '-' &&
               v[4] == '8';
    });
    pseudoAttribute("standalone", [](std::string_view v) { return v == "yes" || v == "no"; });
    while (!rest.empty() && isSpace(rest.front())) {
        rest.remove_prefix(1);
    }
    if (rest != "?>") {
        return Result::Unsupported;
    }
    m_begin = size_t(close + 1 - m_buffer.data());
    m_atStart = false;
    return Result::NeedsMore;
}

XmlTokenizer::Step XmlTokenizer::fail(const char* what, const char* where)
{
    m_error = what;
    m_errorLine = m_linesBefore + 1 + std::count(static_cast<const char*>(m_buffer.data()), where, '\n');
    return Step::Fail;
}

int XmlTokenizer::character(const char* p, const char* end)
{
    const auto lead = static_cast<unsigned char>(*p);
    int length = 0;
    quint32 code = 0;
    if (lead < 0xC2) {
        return -1;
    } else if (lead < 0xE0) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead < 0xF0) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead < 0xF5) {
        length = 4;
        code = lead & 0x07;
    } else {
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if (p + i >= end) {
            return 0;
        }
        const auto next = static_cast<unsigned char>(p[i]);
        if ((next & 0xC0) != 0x80) {
            return -1;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || !isXmlCharacter(code)) {
        return -1;
    }
    return length;
}

int XmlTokenizer::reference(const char* p, const char* end, bool complete, char* out, int& outLength)
{
    const char* q = p + 1;
    const auto incomplete = [&] {
        if (!complete) {
            return 0;
        }
        fail(kInvalidToken, p);
        return -1;
    };
    if (q < end && *q == '#') {
        ++q;
        const bool hex = q < end && *q == 'x';
        q += hex ? 1 : 0;
        const char* const digits = q;
        quint32 code = 0;
        for (; q < end; ++q) {
            int digit = 0;
            if (*q >= '0' && *q <= '9') {
                digit = *q - '0';
            } else if (hex && (*q | 0x20) >= 'a' && (*q | 0x20) <= 'f') {
                digit = (*q | 0x20) - 'a' + 10;
            } else {
                break;
            }
            code = std::min<quint32>(code * (hex ? 16 : 10) + quint32(digit), 0x110000);
        }
        if (q == end) {
            return incomplete();
        }
        if (*q != ';' || q == digits) {
            fail(kInvalidToken, q);
            return -1;
        }
        if (!isXmlCharacter(code)) {
            fail(kBadCharacterReference, p);
            return -1;
        }
        outLength = encodeUtf8(code, out);
        return int(q + 1 - p);
    }
    if (q == end) {
        return incomplete();
    }
    if (!isNameStart(*q)) {
        fail(kInvalidToken, q);
        return -1;
    }
    const char* const name = q;
    while (q < end && (static_cast<unsigned char>(*q) >= 0x80 || kNameClass[static_cast<unsigned char>(*q)] != 0)) {
        ++q;
    }
    if (q == end) {
        return incomplete();
    }
    if (*q != ';') {
        fail(kInvalidToken, q);
        return -1;
    }
    static constexpr std::array<std::pair<std::string_view, char>, 5> kPredefined = {
        {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}}};
    const std::string_view entity(name, size_t(q - name));
    for (const auto& [known, replacement] : kPredefined) {
        if (entity == known) {
            out[0] = replacement;
            outLength = 1;
            return int(q + 1 - p);
        }
    }
    fail(kUndefinedEntity, p);
    return -1;
}

XmlTokenizer::Step XmlTokenizer::text(XmlEvents& events)
{
    char* const begin = m_buffer.data() + m_begin;
    const char* const end = m_buffer.data() + m_end;
    const char* p = begin;
    if (m_nameStarts.empty()) {
        // Outside the root element only white space may stand between the markup.
        while (p < end && isSpace(*p)) {
            ++p;
        }
        m_begin = size_t(p - m_buffer.data());
        if (p == end) {
            return Step::More;
        }
        return *p == '<' ? Step::Done : fail(m_rootClosed ? kJunkAfterRoot : kSyntaxError, p);
    }
    const char* run = p; // the first byte not yet handed over
    const auto handOver = [&](const char* upTo) {
        const bool goOn = upTo == run || events.characters(run, size_t(upTo - run));
        run = upTo;
        return goOn;
    };
    const auto more = [&] {
        if (!handOver(p)) {
            return Step::Stop;
        }
        m_begin = size_t(p - m_buffer.data());
        return Step::More;
    };
    for (;;) {
        while (p < end && kTextClass[static_cast<unsigned char>(*p)] == kPlain) {
            ++p;
        }
        if (p == end) {
            return more();
        }
        switch (*p) {
        case '<':
            if (!handOver(p)) {
                return Step::Stop;
            }
            m_begin = size_t(p - m_buffer.data());
            return Step::Done;
        case '&': {
            char decoded[4];
            int decodedLength = 0;
            const int length = reference(p, end, m_last, decoded, decodedLength);
            if (length <= 0) {
                return length == 0 ? more() : Step::Fail;
            }
            if (!handOver(p) || !events.characters(decoded, size_t(decodedLength))) {
                return Step::Stop;
            }
            p += length;
            run = p;
            break;
        }
        case '\r':
            if (p + 1 == end && !m_last) {
                return more();
            }
            if (!handOver(p) || !events.characters("\n", 1)) {
                return Step::Stop;
            }
            p += p + 1 < end && p[1] == '\n' ? 2 : 1;
            run = p;
            break;
        case ']':
            if (end - p < 3 && !m_last) {
                return more();
            }
            if (end - p >= 3 && p[1] == ']' && p[2] == '>') {
                return fail(kInvalidToken, p);
            }
            ++p;
            break;
        default: {
            if (static_cast<unsigned char>(*p) < 0x80) {
                return fail(kInvalidToken, p);
            }
            const int length = character(p, end);
            if (length > 0) {
                p += length;
            } else if (length == 0 && !m_last) {
                return more();
            } else {
                return fail(length == 0 ? kPartialCharacter : kInvalidToken, p);
            }
        }
        }
    }
}

XmlTokenizer::Step XmlTokenizer::markup(XmlEvents& events)
{
    const char* const p = m_buffer.data() + m_begin;
    const char* const end = m_buffer.data() + m_end;
    if (end - p < 2) {
        return m_last ? fail(kUnclosedToken, p) : Step::More;
    }
    if (p[1] == '/') {
        return endTag(events);
    }
    if (p[1] == '?') {
        return skip(Skipped::Instruction);
    }
    if (p[1] == '!') {
        const int comment = startsWith(p, end, "<!--");
        const int cdataStart = startsWith(p, end, "<![CDATA[");
        const int doctype = startsWith(p, end, "<!DOCTYPE");
        if (comment == 1) {
            return skip(Skipped::Comment);
        }
        if (cdataStart == 1 && !m_nameStarts.empty()) {
            return cdata(events);
        }
        if (doctype == 1 && m_nameStarts.empty() && !m_rootClosed) {
            return Step::DocumentType;
        }
        if ((comment == 0 || cdataStart == 0 || doctype == 0) && !m_last) {
            return Step::More;
        }
        return fail(kInvalidToken, p);
    }
    if (!isNameStart(p[1])) {
        return fail(kInvalidToken, p + 1);
    }
    return startTag(events);
}

char* XmlTokenizer::skipName(char* p, const char* limit)
{
    while (p < limit) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            if (kNameClass[c] == 0) {
                return p;
            }
            ++p;
        } else {
            const int length = character(p, limit);
            if (length < 0) {
                return nullptr;
            }
            if (length == 0) {
                return const_cast<char*>(limit); // the name goes on in what is still to come
            }
            p += length;
        }
    }
    return p;
}

XmlTokenizer::Step XmlTokenizer::startTag(XmlEvents& events)
{
    // One pass over the tag, stopping at the zero that follows what was fed. Nothing is written into the tag
    // before its end is found, so that an unfinished tag can be read again once more has come.
    char* const tagStart = m_buffer.data() + m_begin;
    const char* const end = m_buffer.data() + m_end;
    if (m_rootClosed) {
        return fail(kJunkAfterRoot, tagStart);
    }
    if (m_nameStarts.size() >= size_t(kMaxDepth)) {
        return fail(kTooDeep, tagStart);
    }
    const auto unfinished = [&](const char* at) {
        if (at != end) {
            return fail(kInvalidToken, at);
        }
        return m_last ? fail(kUnclosedToken, tagStart) : Step::More;
    };
    char* const name = tagStart + 1;
    char* const nameEnd = skipName(name, end);
    if (!nameEnd) {
        return fail(kInvalidToken, name);
    }
    m_pending.clear();
    bool empty = false;
    char* p = nameEnd;
    for (;;) {
        const char* const afterName = p;
        while (isSpace(*p)) {
            ++p;
        }
        if (*p == '>') {
            break;
        }
        if (*p == '/') {
            if (p[1] != '>') {
                return unfinished(p + 1);
            }
            empty = true;
            ++p;
            break;
        }
        if (p == afterName || !isNameStart(*p)) {
            return unfinished(p);
        }
        PendingAttribute attribute;
        attribute.name = p;
        attribute.nameEnd = skipName(p, end);
        if (!attribute.nameEnd) {
            return fail(kInvalidToken, p);
        }
        p = attribute.nameEnd;
        while (isSpace(*p)) {
            ++p;
        }
        if (*p != '=') {
            return unfinished(p);
        }
        ++p;
        while (isSpace(*p)) {
            ++p;
        }
        if (*p != '"' && *p != '\'') {
            return unfinished(p);
        }
        const char quote = *p++;
        attribute.value = p;
        for (;;) {
            while (kValueClass[static_cast<unsigned char>(*p)] == kPlain) {
                ++p;
            }
            const auto c = static_cast<unsigned char>(*p);
            if (c == static_cast<unsigned char>(quote)) {
                break;
            }
            if (c == '"' || c == '\'') {
                ++p;
            } else if (c == '&' || c == '\t' || c == '\n' || c == '\r') {
                attribute.decode = true; // references are checked when the value is decoded
                ++p;
            } else if (c < 0x80) {
                return unfinished(p); // "<", a control character, or the end of what was fed
            } else {
                const int length = character(p, end);
                if (length <= 0) {
                    return length == 0 && !m_last ? Step::More : fail(kInvalidToken, p);
                }
                p += length;
            }
        }
        attribute.valueEnd = p;
        m_pending.push_back(attribute);
        ++p;
        if (!isSpace(*p) && *p != '/' && *p != '>') {
            return unfinished(p);
        }
    }
    char* const tagEnd = p;

    m_attributes.clear();
    if (const char* duplicate = duplicateAttribute()) {
        return fail(kDuplicateAttribute, duplicate);
    }
    if (m_names.size() + size_t(nameEnd - name) > kMaxOpenNameBytes) {
        return fail(kNamesTooLong, tagStart);
    }
    for (const PendingAttribute& attribute : m_pending) {
        *attribute.nameEnd = '\0';
        char* const valueEnd = attribute.decode ? decodeValue(attribute.value, attribute.valueEnd) : attribute.valueEnd;
        if (!valueEnd) {
            return Step::Fail;
        }
        *valueEnd = '\0';
        m_attributes.push_back(attribute.name);
        m_attributes.push_back(attribute.value);
    }
    m_attributes.push_back(nullptr);
    *nameEnd = '\0';

    m_begin = size_t(tagEnd + 1 - m_buffer.data());
    push(name, size_t(nameEnd - name));
    if (!events.startElement(name, m_attributes.data())) {
        return Step::Stop;
    }
    if (empty) {
        pop();
        if (!events.endElement(name)) {
            return Step::Stop;
        }
    }
    return Step::Done;
}

const char* XmlTokenizer::duplicateAttribute()
{
    const auto nameOf = [](const PendingAttribute& attribute) {
        return std::string_view(attribute.name, size_t(attribute.nameEnd - attribute.name));
    };
    // A few attributes are compared pair by pair; a tag with many is sorted, so that it cannot take quadratic time.
    constexpr size_t kComparedInPairs = 16;
    if (m_pending.size() <= kComparedInPairs) {
        for (size_t i = 1; i < m_pending.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                if (nameOf(m_pending[i]) == nameOf(m_pending[j])) {
                    return m_pending[i].name;
                }
            }
        }
        return nullptr;
    }
    std::vector<std::string_view> names;
    names.reserve(m_pending.size());
    for (const PendingAttribute& attribute : m_pending) {
        names.push_back(nameOf(attribute));
    }
    std::sort(names.begin(), names.end());
    const auto repeated = std::adjacent_find(names.begin(), names.end());
    return repeated == names.end() ? nullptr : repeated->data();
}

char* XmlTokenizer::decodeValue(char* value, const char* valueEnd)
{
    // A reference is never shorter than what it stands for, so the value is decoded where it stands.
    char* written = value;
    for (const char* p = value; p < valueEnd;) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '&') {
            char decoded[4];
            int decodedLength = 0;
            const int length = reference(p, valueEnd, true, decoded, decodedLength);
            if (length < 0) {
                return nullptr;
            }
            std::memcpy(written, decoded, size_t(decodedLength));
            written += decodedLength;
            p += length;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            *written++ = ' ';
            p += c == '\r' && p + 1 < valueEnd && p[1] == '\n' ? 2 : 1;
        } else {
            *written++ = *p++;
        }
    }
    return written;
}

void XmlTokenizer::push(const char* name, size_t length)
{
    // The name is zero-terminated by now; the zero is kept with it.
    m_nameStarts.push_back(m_names.size());
    m_names.append(name, length + 1);
}

void XmlTokenizer::pop()
{
    m_names.resize(m_nameStarts.back());
    m_nameStarts.pop_back();
    m_rootClosed = m_nameStarts.empty();
}

XmlTokenizer::Step XmlTokenizer::endTag(XmlEvents& events)
{
    char* const p = m_buffer.data() + m_begin;
    const char* const end = m_buffer.data() + m_end;
    if (!m_nameStarts.empty()) {
        // Nearly always the tag closes the open element: its name, then white space and ">".
        const char* const open = m_names.data() + m_nameStarts.back();
        const size_t length = m_names.size() - m_nameStarts.back() - 1;
        char* const nameEnd = p + 2 + length;
        if (size_t(end - (p + 2)) > length && std::memcmp(p + 2, open, length) == 0) {
            const auto after = static_cast<unsigned char>(*nameEnd);
            if (after < 0x80 && kNameClass[after] == 0) {
                const char* q = nameEnd;
                while (isSpace(*q)) {
                    ++q;
                }
                if (*q == '>') {
                    *nameEnd = '\0';
                    m_begin = size_t(q + 1 - m_buffer.data());
                    pop();
                    return events.endElement(p + 2) ? Step::Done : Step::Stop;
                }
            }
        }
    }
    char* const close = static_cast<char*>(std::memchr(p, '>', size_t(end - p)));
    if (!close) {
        return m_last ? fail(kUnclosedToken, p) : Step::More;
    }
    char* const name = p + 2;
    char* const nameEnd = isNameStart(*name) ? skipName(name, close) : nullptr;
    if (!nameEnd) {
        return fail(kInvalidToken, name);
    }
    const char* q = nameEnd;
    while (isSpace(*q)) {
        ++q;
    }
    if (q != close) {
        return fail(kInvalidToken, q);
    }
    if (m_nameStarts.empty()) {
        return fail(m_rootClosed ? kJunkAfterRoot : kSyntaxError, p);
    }
    const std::string_view open(m_names.data() + m_nameStarts.back(), m_names.size() - m_nameStarts.back() - 1);
    if (open != std::string_view(name, size_t(nameEnd - name))) {
        return fail(kMismatchedTag, p);
    }
    *nameEnd = '\0';
    pop();
    m_begin = size_t(close + 1 - m_buffer.data());
    return events.endElement(name) ? Step::Done : Step::Stop;
}

XmlTokenizer::Step XmlTokenizer::skip(Skipped kind)
{
    const char* const start = m_buffer.data() + m_begin;
    const char* const end = m_buffer.data() + m_end;
    const std::string_view closing = kind == Skipped::Comment ? "-->" : kind == Skipped::Instruction ? "?>" : "]]>";
    const char* p = start + (kind == Skipped::Comment ? 4 : kind == Skipped::Instruction ? 2 : 9);
    const bool isComment = kind == Skipped::Comment;
    if (kind == Skipped::Instruction) {
        // A processing instruction: a target name, then white space before anything else.
        if (p < end && !isNameStart(*p)) {
            return fail(kInvalidToken, p);
        }
        const char* target = p;
        while (p < end && static_cast<unsigned char>(*p) < 0x80 && kNameClass[static_cast<unsigned char>(*p)] != 0) {
            ++p;
        }
        if (p == end) {
            return m_last ? fail(kUnclosedToken, start) : Step::More;
        }
        if (p - target == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l') {
            return fail(kMisplacedDeclaration, start);
        }
        if (!isSpace(*p) && startsWith(p, end, closing) == -1 && static_cast<unsigned char>(*p) < 0x80) {
            return fail(kInvalidToken, p);
        }
    }
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == static_cast<unsigned char>(closing[0])) {
            const int found = startsWith(p, end, closing);
            if (found == 1) {
                m_begin = size_t(p + closing.size() - m_buffer.data());
                return Step::Done;
            }
            if (found == 0) {
                break;
            }
            if (isComment && p + 1 < end && p[1] == '-') {
                return fail(kInvalidToken, p); // "--" inside a comment
            }
            ++p;
        } else if (c < 0x80) {
            if (kTextClass[c] == kBanned) {
                return fail(kInvalidToken, p);
            }
            ++p;
        } else {
            const int length = character(p, end);
            if (length < 0) {
                return fail(kInvalidToken, p);
            }
            if (length == 0) {
                break;
            }
            p += length;
        }
    }
    return m_last ? fail(kUnclosedToken, start) : Step::More;
}

XmlTokenizer::Step XmlTokenizer::cdata(XmlEvents& events)
{
    constexpr size_t kOpening = 9; // "<![CDATA["
    const size_t opened = m_begin;
    const Step found = skip(Skipped::CData);
    if (found != Step::Done) {
        return found;
    }
    // skip() has checked the characters and moved m_begin past "]]>".
    const char* p = m_buffer.data() + opened + kOpening;
    const char* const end = m_buffer.data() + m_begin - 3;
    while (p < end) {
        const char* const carriageReturn = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)));
        const char* const runEnd = carriageReturn ? carriageReturn : end;
        if (runEnd > p && !events.characters(p, size_t(runEnd - p))) {
            return Step::Stop;
        }
        if (!carriageReturn) {
            break;
        }
        if (!events.characters("\n", 1)) {
            return Step::Stop;
        }
        p = carriageReturn + (carriageReturn + 1 < end && carriageReturn[1] == '\n' ? 2 : 1);
    }
    return Step::Done;
}

} // namespace wagetrove
