#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove {

/// How a text field shows its value: its box, its font (a monospaced font, as the wage listing's fields use)
/// and the field's alignment.
struct TextFieldLook
{
    double width = 0;
    double height = 0;
    QByteArray fontName; ///< the font's name in the appearance's resources
    double fontSize = 9;
    int quadding = 0; ///< 0 left, 1 centred, 2 right
    bool multiline = false;
};

/// The content of the field's normal appearance: the value in WinAnsiEncoding, aligned as the field says and
/// set smaller where it would not fit, a multiline field's lines one under the other. This is what viewers show
/// and print, and what stays when the form is flattened.
QByteArray textFieldAppearance(const TextFieldLook& look, const QString& value);

} // namespace wagetrove
