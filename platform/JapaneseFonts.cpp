#include "platform/JapaneseFonts.h"

#include "platform/DialogUnits.h"
#include "platform/Log.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <array>

namespace zepo {

namespace {

// Best first. The proportional IPA gothic and its Takao fork have the widths of the
// dialog font the layouts were made for; the others draw the same texts a little wider
// or narrower. Fixed-width gothics come last: they widen every Latin letter.
constexpr std::array kPreferredFamilies{
    "IPAPGothic", "TakaoPGothic", "IPAexGothic",    "VL PGothic",  "Noto Sans CJK JP",
    "Source Han Sans JP", "IPAGothic", "TakaoGothic", "VL Gothic",
};

// The package that brings the preferred family, and a larger one that covers more.
const char kFontPackage[] = "fonts-ipafont-gothic";
const char kOtherFontPackage[] = "fonts-noto-cjk";

// A family as QFontDatabase names it may end in " [Foundry]" when several foundries
// make a family of that name.
QString withoutFoundry(const QString& family)
{
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

} // namespace

QStringList japaneseFamiliesAmong(const QStringList& installedJapanese)
{
    QStringList chosen;
    for (const char* preferred : kPreferredFamilies)
        for (const QString& installed : installedJapanese)
            if (withoutFoundry(installed).compare(QLatin1String(preferred), Qt::CaseInsensitive) == 0
                && !chosen.contains(installed))
                chosen.append(installed);
    for (const QString& installed : installedJapanese)
        if (!chosen.contains(installed))
            chosen.append(installed);
    return chosen;
}

std::optional<QString> missingJapaneseFontWarning(const QStringList& installedJapanese)
{
    if (!installedJapanese.isEmpty())
        return std::nullopt;
    return QStringLiteral("no installed font covers Japanese, so the texts of every window show as boxes: "
                          "install one, e.g. the package %1 (or %2)")
        .arg(QLatin1String(kFontPackage), QLatin1String(kOtherFontPackage));
}

const QStringList& installedJapaneseFamilies()
{
    static const QStringList families = japaneseFamiliesAmong(QFontDatabase::families(QFontDatabase::Japanese));
    return families;
}

void reportJapaneseFonts()
{
    if (const auto warning = missingJapaneseFontWarning(installedJapaneseFamilies()))
        qCWarning(lcPlatform).noquote() << *warning;
    if (lcPlatform().isDebugEnabled())
        qCDebug(lcPlatform).noquote() << QStringLiteral("the dialog font resolves to %1; Japanese from: %2")
                                             .arg(QFontInfo(dialogFont()).family(),
                                                  installedJapaneseFamilies().join(QLatin1String(", ")));
}

} // namespace zepo
