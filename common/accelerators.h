#pragma once

#include <QStringList>

namespace wagetrove {

/// The captions with an Alt+letter accelerator each, as Qt marks them ('&' before the letter; a literal '&'
/// doubled). Each caption takes the first letter that starts one of its words and that no earlier caption and
/// none of `reserved` has taken, else its first such letter anywhere; a caption left without a free letter gets
/// none. Letters are compared without case.
QStringList withAccelerators(const QStringList& captions, const QString& reserved = {});

/// A caption as the screen shows it: accelerator marks removed, a doubled '&' made single.
QString withoutAccelerator(const QString& caption);

} // namespace wagetrove
