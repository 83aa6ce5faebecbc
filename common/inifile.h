#pragma once

#include <QString>

namespace wagetrove {

/// Reads and writes keys of an initialisation file ("[Section]" headers, "key=value" lines) the way the
/// classic profile-string calls do: section and key names ignore letter case, values are trimmed, a value
/// of 128 characters or more is cut to 127, and a missing file, section or key reads as empty.
class IniFile
{
public:
    static constexpr int kMaxValueLength = 127;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    /// The key's value, or empty when the file, section or key is missing.
    QString read(const QString& section, const QString& key) const;

    /// Sets the key, creating the file and the section when needed and keeping every other line as it was.
    /// The file is replaced in one step, so a failure leaves the old file intact. Returns false on failure.
    bool write(const QString& section, const QString& key, const QString& value) const;

private:
    QString m_path;
};

} // namespace wagetrove
