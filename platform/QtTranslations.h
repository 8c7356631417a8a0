#pragma once

#include <QTranslator>
#include <memory>

namespace zepo {

// Qt's own Japanese texts (buttons, the file dialog, its questions), so that the toolkit's
// dialogs speak the program's language whatever the user's locale. Installed while the
// returned translator lives; null, with a warning, when the translations are missing.
std::unique_ptr<QTranslator> installQtTranslations();

} // namespace zepo
