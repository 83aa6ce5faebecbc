#pragma once

#include "common/xlsxreader.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace wagetrove {

/// Why a workbook could not be made from its template.
struct WorkbookTemplateError
{
    QString reason;
};

/// A copy of an .xlsx template whose active sheet gets new rows from a given row on. The rows above it, the rest
/// of that sheet's XML and every other part of the workbook come through as the template has them, so that its
/// styles, widths and header rows survive. New cells are inline texts or numbers, each in the style the template's
/// column declaration gives it. The template file itself is never changed.
class WorkbookTemplate
{
public:
    /// Reads the template's active sheet; its rows from `firstRow` on are left out of the copy. Throws
    /// WorkbookTemplateError when the template is missing or not a workbook.
    WorkbookTemplate(const QString& templatePath, int firstRow);
    ~WorkbookTemplate();
    WorkbookTemplate(const WorkbookTemplate&) = delete;
    WorkbookTemplate& operator=(const WorkbookTemplate&) = delete;

    /// Starts the next row. Throws WorkbookTemplateError past the last row a sheet holds.
    void beginRow();
    /// Adds a cell to the current row; `column` counts from 1, and a row's columns come in increasing order. An
    /// empty text leaves the cell empty; characters XML cannot carry are left out.
    void addText(int column, const QString& text);
    /// `plainDecimal` is a number in plain decimal form ("1234.5", "-3").
    void addNumber(int column, const QString& plainDecimal);

    /// The bytes of the whole workbook. Throws WorkbookTemplateError when the archive cannot be built.
    QByteArray finish();

private:
    struct ColumnStyle
    {
        int min = 0;
        int max = 0;
        QByteArray style; ///< as it stands in the XML
    };

    [[noreturn]] void fail(const QString& what) const;
    void splitSheet(const QString& sheetXml, int firstRow);
    void openCell(int column, const char* type);
    void closeRow();

    XlsxReader m_reader;
    qint64 m_sheetIndex = -1;
    QByteArray m_prefix; ///< the namespace prefix of the sheet's elements, with its colon
    QByteArray m_head;
    QByteArray m_rows;
    QByteArray m_tail;
    std::vector<ColumnStyle> m_columnStyles;
    int m_nextRow = 0;
    bool m_rowOpen = false;
};

} // namespace wagetrove
