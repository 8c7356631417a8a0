#include "movies/flv_about.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>

namespace zepo {
namespace {

class AboutLinks : public ::testing::Test {
protected:
    std::string at(const std::string& relative) const { return QDir::cleanPath(dir.path()).toStdString() + "/" + relative; }
    // Makes the file (and its folders).
    void make(const std::string& relative) const
    {
        QDir().mkpath(QString::fromStdString(at(relative)).section('/', 0, -2));
        std::ofstream(at(relative)) << "text";
    }
    std::string url(const std::string& relative) const
    {
        return QUrl::fromLocalFile(QString::fromStdString(at(relative))).toString(QUrl::FullyEncoded).toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(AboutLinks, PointAtTheDocumentsInstalledBesideTheProgram)
{
    make("ユーザー/my apps/share/doc/zepo/README.md");
    make("ユーザー/my apps/share/doc/zepo/copyright");
    make("source/README.md");
    const AboutLinkTargets installed = aboutDocuments(at("ユーザー/my apps/lib/zepo/zepo"), at("source/"));
    EXPECT_EQ(installed.readme, url("ユーザー/my apps/share/doc/zepo/README.md"));
    EXPECT_NE(installed.readme.find("%E3%83%A6%E3%83%BC%E3%82%B6%E3%83%BC/my%20apps/"), std::string::npos);
    EXPECT_EQ(installed.licence, url("ユーザー/my apps/share/doc/zepo/copyright"));
}

TEST_F(AboutLinks, FromABuildTreeTheSourceTreesDocumentsElseNone)
{
    make("source/README.md");
    make("source/desktop/copyright");
    const AboutLinkTargets built = aboutDocuments(at("build/app/zepo"), at("source/"));
    EXPECT_EQ(built.readme, url("source/README.md"));
    EXPECT_EQ(built.licence, url("source/desktop/copyright"));

    const AboutLinkTargets none = aboutDocuments(at("build/app/zepo"), at("elsewhere/"));
    EXPECT_EQ(none.readme, "");
    EXPECT_EQ(none.licence, "");
}

TEST_F(AboutLinks, ThisBuildFindsItsReadme)
{
    // The test programs run from the build tree, as a developer's zepo does.
    const AboutLinkTargets mine = aboutDocuments(std::string(ZEPO_BUILD_DIR "/app/zepo"));
    EXPECT_EQ(mine.readme, QUrl::fromLocalFile(QDir::cleanPath(QStringLiteral(ZEPO_SOURCE_DIR "/README.md")))
                               .toString(QUrl::FullyEncoded)
                               .toStdString());
}

} // namespace
} // namespace zepo
