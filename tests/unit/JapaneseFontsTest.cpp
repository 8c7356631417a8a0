#include "platform/DialogUnits.h"
#include "platform/JapaneseFonts.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace zepo {
namespace {

// Whatever fontconfig lists first, the proportional gothics the layouts were made for come
// first, the fixed-width ones after the other gothics, and a family the list does not know
// is still used, last; a family of a named foundry counts as its family.
TEST(JapaneseFonts, ChoosesTheInstalledFamiliesBestFirst)
{
    const QStringList installed{QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Droid Sans Fallback"),  QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("VL PGothic"),           QStringLiteral("takaopgothic [Takao]")};
    EXPECT_EQ(japaneseFamiliesAmong(installed),
              (QStringList{QStringLiteral("takaopgothic [Takao]"), QStringLiteral("VL PGothic"),
                           QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                           QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Droid Sans Fallback")}));
    EXPECT_EQ(japaneseFamiliesAmong({QStringLiteral("Noto Serif CJK JP")}),
              QStringList{QStringLiteral("Noto Serif CJK JP")});
    EXPECT_TRUE(japaneseFamiliesAmong({}).isEmpty());
}

TEST(JapaneseFonts, WarnsOnlyWithoutAnyJapaneseFamilyAndNamesThePackage)
{
    const auto warning = missingJapaneseFontWarning({});
    ASSERT_TRUE(warning);
    EXPECT_TRUE(warning->contains(QStringLiteral("fonts-ipafont-gothic"))) << warning->toStdString();
    EXPECT_FALSE(warning->contains(QLatin1Char('\n')));
    EXPECT_FALSE(missingJapaneseFontWarning({QStringLiteral("Droid Sans Fallback")}));
}

// On this system (the project's packages bring the IPA gothic): the dialog font resolves
// to the first of the installed Japanese families, which fontconfig says cover Japanese.
TEST(JapaneseFonts, DialogFontResolvesToTheBestInstalledFamily)
{
    const QStringList& families = installedJapaneseFamilies();
    ASSERT_FALSE(families.isEmpty());
    EXPECT_EQ(families.front(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(dialogFont()).family(), families.front());
    EXPECT_TRUE(QFontDatabase::writingSystems(families.front()).contains(QFontDatabase::Japanese));
}

} // namespace
} // namespace zepo
