// The workbook parts' tokenizer against expat, the general parser it stands in for. The input is one XML
// document; its first byte picks the sizes of the slices it is fed in. Where both read the document, they must
// hand over the same elements, attributes and texts; where one refuses it, so must the other, except where the
// tokenizer is knowingly wider (names outside ASCII, which it does not check against XML's tables) or narrower
// (nesting past its limits). A document the tokenizer leaves to expat is not compared.
#include "common/xmltokenizer.h"
#include "fuzz/fuzzsupport.h"

#include <cstring>
#include <expat.h>
#include <string>

using wagetrove::XmlEvents;
using wagetrove::XmlTokenizer;
using wagetrove::fuzz::require;

namespace {

/// The events of one reading, written out: elements with their attributes, ends, and texts joined between them.
struct Transcript
{
    std::string events;
    std::string elementsOnly;
    std::string text;
    bool nonAsciiName = false;

    void flush()
    {
        if (!text.empty()) {
            events += "T" + text + '\n';
            text.clear();
        }
    }
    void start(const char* name, const char** attributes)
    {
        flush();
        std::string line = std::string("S") + name;
        nonAsciiName = nonAsciiName || !isAscii(name);
        for (const char** a = attributes; *a; a += 2) {
            line += std::string(" ") + a[0] + "=" + a[1] + '\x01';
            nonAsciiName = nonAsciiName || !isAscii(a[0]);
        }
        events += line + '\n';
        elementsOnly += line + '\n';
    }
    void end(const char* name)
    {
        flush();
        events += std::string("E") + name + '\n';
        elementsOnly += std::string("E") + name + '\n';
    }
    static bool isAscii(const char* text)
    {
        for (; *text; ++text) {
            if (static_cast<unsigned char>(*text) >= 0x80) {
                return false;
            }
        }
        return true;
    }
};

class Recorder final : public XmlEvents
{
public:
    Transcript transcript;
    bool startElement(const char* name, const char** attributes) override
    {
        transcript.start(name, attributes);
        return true;
    }
    bool endElement(const char* name) override
    {
        transcript.end(name);
        return true;
    }
    bool characters(const char* text, size_t length) override
    {
        transcript.text.append(text, length);
        return true;
    }
};

struct ExpatReading
{
    Transcript transcript;
    bool documentType = false;
    bool accepted = false;
};

ExpatReading readWithExpat(const char* data, size_t size)
{
    ExpatReading reading;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &reading);
    XML_SetElementHandler(
        parser,
        [](void* r, const XML_Char* name, const XML_Char** attributes) {
            static_cast<ExpatReading*>(r)->transcript.start(name, attributes);
        },
        [](void* r, const XML_Char* name) { static_cast<ExpatReading*>(r)->transcript.end(name); });
    XML_SetCharacterDataHandler(parser, [](void* r, const XML_Char* text, int length) {
        static_cast<ExpatReading*>(r)->transcript.text.append(text, size_t(length));
    });
    XML_SetStartDoctypeDeclHandler(parser, [](void* r, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<ExpatReading*>(r)->documentType = true;
    });
    reading.accepted = XML_Parse(parser, data, int(size), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    reading.transcript.flush();
    return reading;
}

bool isPrefix(const std::string& shorter, const std::string& longer)
{
    return shorter.size() <= longer.size() && longer.compare(0, shorter.size(), shorter) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1 << 20)) {
        return 0;
    }
    const size_t slice = 1 + data[0] % 64;
    const char* const document = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    XmlTokenizer tokenizer;
    Recorder recorder;
    XmlTokenizer::Result result = XmlTokenizer::Result::NeedsMore;
    for (size_t at = 0; result == XmlTokenizer::Result::NeedsMore;) {
        const size_t part = std::min(slice, length - at);
        char* const buffer = tokenizer.buffer(part);
        if (part > 0) {
            std::memcpy(buffer, document + at, part);
        }
        at += part;
        result = tokenizer.parse(recorder, part, at == length);
    }
    require(result != XmlTokenizer::Result::Stopped);
    if (result == XmlTokenizer::Result::Unsupported) {
        require(recorder.transcript.events.empty());
        return 0;
    }
    recorder.transcript.flush();
    const Transcript& mine = recorder.transcript;
    const ExpatReading expat = readWithExpat(document, length);

    switch (result) {
    case XmlTokenizer::Result::Finished:
        if (expat.accepted) {
            require(mine.events == expat.transcript.events);
        } else {
            require(mine.nonAsciiName);
        }
        break;
    case XmlTokenizer::Result::DocumentType:
        require(mine.events.empty() && (expat.documentType || !expat.accepted));
        break;
    case XmlTokenizer::Result::Failed:
        require(!expat.accepted || std::strcmp(tokenizer.error(), "elements nested too deep") == 0 ||
                std::strcmp(tokenizer.error(), "names of the open elements too long") == 0);
        require(tokenizer.error() != nullptr && tokenizer.errorLine() >= 1);
        // Both stop at the fault, each after the elements before it.
        require(isPrefix(mine.elementsOnly, expat.transcript.elementsOnly) ||
                isPrefix(expat.transcript.elementsOnly, mine.elementsOnly) || mine.nonAsciiName);
        break;
    case XmlTokenizer::Result::NeedsMore:
    case XmlTokenizer::Result::Stopped:
    case XmlTokenizer::Result::Unsupported:
        require(false);
    }
    return 0;
}
