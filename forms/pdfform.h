#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace wagetrove {

/// Why a PDF form could not be read, filled or written, for the user.
struct PdfFormError
{
    QString reason;
};

/// One fillable PDF form in memory: its text fields addressed by title, counted and renamed by index, and the
/// document saved as bytes. Every value set gets its appearance, so it shows and prints in any viewer and
/// survives flattening.
class PdfForm
{
public:
    /// Reads a form from a PDF file's bytes; `description` names it in a failure. Throws PdfFormError when the
    /// bytes are no PDF or the document has no form field.
    PdfForm(const QByteArray& bytes, const QString& description);
    ~PdfForm();
    PdfForm(const PdfForm&) = delete;
    PdfForm& operator=(const PdfForm&) = delete;

    int fieldCount() const;
    /// The title of field `index`, counted from 1 in the form's order.
    QString fieldTitle(int index) const;
    void setFieldTitle(int index, const QString& title);
    /// Sets the value of the field so titled and draws it; false when the form has no such field.
    bool setFieldValue(const QString& title, const QString& value);

    /// The whole document as a PDF file. Throws PdfFormError.
    QByteArray save() const;

private:
    struct Document;
    std::unique_ptr<Document> m_document;
};

/// The PDF files' pages one after another in one document, whose form holds the fields of every page.
/// Throws PdfFormError when a file cannot be read or the result cannot be made.
QByteArray mergePdfFiles(const QStringList& paths);

} // namespace wagetrove
