#include "forms/pdfform.h"

#include "forms/textfieldappearance.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <vector>

namespace wagetrove {
namespace {

constexpr int kMultilineFlag = 1 << 12;

QString reasonOf(const std::exception& error)
{
    return QString::fromLocal8Bit(error.what());
}

QByteArray writeToMemory(QPDF& pdf)
{
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    // The same document always gives the same bytes.
    writer.setDeterministicID(true);
    // Streams are written as they are: the form's own stay compressed, and the values' appearances are a few
    // dozen bytes each, which would cost a compressor's set-up apiece and save next to nothing.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(false);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
}

QString textOf(QPDFObjectHandle object)
{
    return object.isString() ? QString::fromStdString(object.getUTF8Value()) : QString();
}

int integerOf(QPDFObjectHandle object, int otherwise)
{
    return object.isInteger() ? object.getIntValueAsInt() : otherwise;
}

} // namespace

struct PdfForm::Document
{
    QByteArray bytes; // the parsed document reads its objects from these bytes as it needs them
    QPDF pdf;
    QPDFObjectHandle form;
    std::vector<QPDFObjectHandle> fields;
    QHash<QString, int> indexByTitle;

    QPDFObjectHandle field(int index) const
    {
        if (index < 1 || index > static_cast<int>(fields.size())) {
            throw PdfFormError{QStringLiteral("The form has no field %1.").arg(index)};
        }
        return fields[static_cast<std::size_t>(index - 1)];
    }

    void draw(QPDFObjectHandle field, const QString& value)
    {
        static const QRegularExpression fontOperator(QStringLiteral("/(\\S+)\\s+([0-9.]+)\\s+Tf"));
        QPDFObjectHandle appearance = field.getKey("/DA");
        if (!appearance.isString()) {
            appearance = form.getKey("/DA");
        }
        const QRegularExpressionMatch font = fontOperator.match(textOf(appearance));
        if (!font.hasMatch()) {
            throw PdfFormError{QStringLiteral("Field %1 names no font.").arg(textOf(field.getKey("/T")))};
        }
        const QPDFObjectHandle::Rectangle rect = field.getKey("/Rect").getArrayAsRectangle();
        TextFieldLook look;
        look.width = rect.urx - rect.llx;
        look.height = rect.ury - rect.lly;
        look.fontName = font.captured(1).toLatin1();
        look.fontSize = font.captured(2).toDouble();
        look.quadding = integerOf(field.getKey("/Q"), integerOf(form.getKey("/Q"), 0));
        look.multiline = (integerOf(field.getKey("/Ff"), 0) & kMultilineFlag) != 0;

        QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, textFieldAppearance(look, value).toStdString());
        QPDFObjectHandle dictionary = stream.getDict();
        dictionary.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        dictionary.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        dictionary.replaceKey("/BBox",
                              QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, look.width, look.height)));
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        const std::string fontKey = QByteArray('/' + look.fontName).toStdString();
        fonts.replaceKey(fontKey, form.getKey("/DR").getKey("/Font").getKey(fontKey));
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/Font", fonts);
        dictionary.replaceKey("/Resources", resources);

        QPDFObjectHandle appearances = QPDFObjectHandle::newDictionary();
        appearances.replaceKey("/N", stream);
        field.replaceKey("/AP", appearances);
    }
};

PdfForm::PdfForm(const QByteArray& bytes, const QString& description) : m_document(std::make_unique<Document>())
{
    Document& d = *m_document;
    d.bytes = bytes;
    try {
        d.pdf.setSuppressWarnings(true);
        d.pdf.processMemoryFile(description.toStdString().c_str(), d.bytes.constData(),
                                static_cast<std::size_t>(d.bytes.size()));
        d.form = d.pdf.getRoot().getKey("/AcroForm");
        QPDFObjectHandle fields = d.form.getKey("/Fields");
        if (fields.isArray()) {
            for (QPDFObjectHandle field : fields.aitems()) {
                if (field.isDictionary() && field.getKey("/FT").isNameAndEquals("/Tx")) {
                    d.fields.push_back(field);
                    d.indexByTitle.insert(textOf(field.getKey("/T")), static_cast<int>(d.fields.size()));
                }
            }
        }
    } catch (const std::exception& error) {
        throw PdfFormError{QStringLiteral("%1 is not a PDF file (%2).").arg(description, reasonOf(error))};
    }
    if (d.fields.empty()) {
        throw PdfFormError{QStringLiteral("%1 is not a PDF form: it has no text fields.").arg(description)};
    }
}

PdfForm::~PdfForm() = default;

int PdfForm::fieldCount() const
{
    return static_cast<int>(m_document->fields.size());
}

QString PdfForm::fieldTitle(int index) const
{
    return textOf(m_document->field(index).getKey("/T"));
}

void PdfForm::setFieldTitle(int index, const QString& title)
{
    QPDFObjectHandle field = m_document->field(index);
    m_document->indexByTitle.remove(textOf(field.getKey("/T")));
    field.replaceKey("/T", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    m_document->indexByTitle.insert(title, index);
}

bool PdfForm::setFieldValue(const QString& title, const QString& value)
{
    const int index = m_document->indexByTitle.value(title);
    if (index == 0) {
        return false;
    }
    QPDFObjectHandle field = m_document->field(index);
    try {
        field.replaceKey("/V", QPDFObjectHandle::newUnicodeString(value.toStdString()));
        m_document->draw(field, value);
    } catch (const std::exception& error) {
        throw PdfFormError{QStringLiteral("Field %1 could not be filled (%2).").arg(title, reasonOf(error))};
    }
    return true;
}

QByteArray PdfForm::save() const
{
    try {
        return writeToMemory(m_document->pdf);
    } catch (const std::exception& error) {
        throw PdfFormError{QStringLiteral("The form could not be written (%1).").arg(reasonOf(error))};
    }
}

QByteArray mergePdfFiles(const QStringList& paths)
{
    try {
        QPDF merged;
        merged.emptyPDF();
        QPDFPageDocumentHelper mergedPages(merged);
        QPDFObjectHandle fields = QPDFObjectHandle::newArray();
        QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
        // Copied objects read their stream data from their own document until the merged one is written.
        std::vector<std::unique_ptr<QPDF>> sources;
        for (const QString& path : paths) {
            auto source = std::make_unique<QPDF>();
            source->setSuppressWarnings(true);
            source->processFile(QFile::encodeName(path).constData());
            QPDFObjectHandle sourceForm = source->getRoot().getKey("/AcroForm");
            if (sources.empty() && sourceForm.isDictionary()) {
                // The form's resources and default look, from the first page's document; only indirect objects
                // cross documents.
                for (const char* key : {"/DR", "/DA"}) {
                    QPDFObjectHandle value = sourceForm.getKey(key);
                    if (!value.isNull()) {
                        form.replaceKey(key, merged.copyForeignObject(
                                                 value.isIndirect() ? value : source->makeIndirectObject(value)));
                    }
                }
            }
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*source).getAllPages()) {
                mergedPages.addPage(page, false);
                QPDFObjectHandle copied = mergedPages.getAllPages().back().getObjectHandle();
                QPDFObjectHandle annotations = copied.getKey("/Annots");
                if (!annotations.isArray()) {
                    continue;
                }
                for (QPDFObjectHandle annotation : annotations.aitems()) {
                    if (annotation.isDictionary() && annotation.hasKey("/FT")) {
                        annotation.replaceKey("/P", copied);
                        fields.appendItem(annotation);
                    }
                }
            }
            sources.push_back(std::move(source));
        }
        form.replaceKey("/Fields", fields);
        merged.getRoot().replaceKey("/AcroForm", merged.makeIndirectObject(form));
        return writeToMemory(merged);
    } catch (const std::exception& error) {
        throw PdfFormError{QStringLiteral("The pages could not be joined (%1).").arg(reasonOf(error))};
    }
}

} // namespace wagetrove
