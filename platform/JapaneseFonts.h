#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zepo {

// Every text of the interface is Japanese: without a font that covers Japanese each one
// is drawn as boxes. These pick, from the families installed, the ones that draw it.

// The families to draw Japanese with, best first, out of the installed families that cover
// Japanese: the proportional gothics whose widths the dialog layouts were made for (IPA and
// its Takao fork), then the other common gothics (VL, Noto CJK, Source Han), then any other
// installed family that covers Japanese, in the order given.
QStringList japaneseFamiliesAmong(const QStringList& installedJapanese);

// The warning to give when none of the installed families covers Japanese, naming the
// package that brings one; nothing when some family does.
std::optional<QString> missingJapaneseFontWarning(const QStringList& installedJapanese);

// japaneseFamiliesAmong() over the families fontconfig knows to cover Japanese (read once).
const QStringList& installedJapaneseFamilies();

// At start: warns once on zepo.platform when no installed font covers Japanese, and tells
// (at debug level) the family the dialog font resolves to. Needs the application object.
void reportJapaneseFonts();

} // namespace zepo
