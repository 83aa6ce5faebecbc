#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove {

/// The text in the PDF standard fonts' WinAnsiEncoding, one byte a character. A character that encoding lacks
/// becomes "?", and a control character a blank, so that every character keeps its place.
QByteArray toWinAnsi(const QString& text);

} // namespace wagetrove
