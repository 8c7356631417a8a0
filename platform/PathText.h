#pragma once

#include <QString>
#include <string>
#include <vector>

class QMimeData;

namespace zepo {

// Paths and texts travel as bytes in the locale's encoding (UTF-8); they become
// QStrings only at the Qt boundary, so that names that are not valid UTF-8 still open.
// Every text shown to the user goes through toQt, so a name shows the same in a title,
// the list and a message box. A piece of the text (between "/" and line breaks) that is
// no UTF-8 but a Japanese name in CP932 or EUC-JP is shown decoded (see
// japaneseLegacyText); other bytes that are no UTF-8 show as replacement characters.
// Display only: the bytes, not this text, open the file.
QString toQt(const std::string& bytes);
std::string fromQt(const QString& text);

// The text for one line: control characters (a line break in a file name) become the
// symbols that picture them (U+2400 on), so nothing breaks the line or hides in it.
QString oneLineText(QString text);

// The local files among dropped URLs, in drop order, each as the path's own bytes: a
// name that is not valid UTF-8 arrives percent-encoded and is taken back byte for byte,
// not through a QString, which would replace those bytes.
std::vector<std::string> droppedPaths(const QMimeData* data);

} // namespace zepo
