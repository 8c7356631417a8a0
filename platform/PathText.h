#pragma once

#include <QString>
#include <string>
#include <vector>

class QMimeData;

namespace zepo {

// Paths and texts travel as bytes in the locale's encoding (UTF-8); they become
// QStrings only at the Qt boundary, so that names that are not valid UTF-8 still open.
// Every text shown to the user goes through toQt, so a name shows the same in a title
// and in a message box.
QString toQt(const std::string& bytes);
std::string fromQt(const QString& text);

// The local files among dropped URLs, in drop order, each as the path's own bytes: a
// name that is not valid UTF-8 arrives percent-encoded and is taken back byte for byte,
// not through a QString, which would replace those bytes.
std::vector<std::string> droppedPaths(const QMimeData* data);

} // namespace zepo
