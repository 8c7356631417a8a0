#pragma once

#include <QString>
#include <string>

namespace zepo {

// Paths and texts travel as bytes in the locale's encoding (UTF-8); they become
// QStrings only at the Qt boundary, so that names that are not valid UTF-8 still open.
QString toQt(const std::string& bytes);
std::string fromQt(const QString& text);

} // namespace zepo
