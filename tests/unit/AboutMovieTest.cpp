#include "movies/flv_about.h"

#include <gtest/gtest.h>

namespace zepo {
namespace {

TEST(AboutLinks, PointAtTheDocumentsInstalledBesideTheProgram)
{
    const AboutLinkTargets user = installedDocuments(std::string("/home/ユーザー/.local/lib/zepo/zepo"));
    EXPECT_EQ(user.readme, "file:///home/%E3%83%A6%E3%83%BC%E3%82%B6%E3%83%BC/.local/share/doc/zepo/README.md");
    EXPECT_EQ(user.licence, "file:///home/%E3%83%A6%E3%83%BC%E3%82%B6%E3%83%BC/.local/share/doc/zepo/copyright");
    const AboutLinkTargets spaced = installedDocuments(std::string("/opt/my apps/lib/zepo/zepo"));
    EXPECT_EQ(spaced.readme, "file:///opt/my%20apps/share/doc/zepo/README.md");
    const AboutLinkTargets unknown = installedDocuments(std::nullopt);
    EXPECT_EQ(unknown.readme, "file:///usr/share/doc/zepo/README.md");
}

} // namespace
} // namespace zepo
