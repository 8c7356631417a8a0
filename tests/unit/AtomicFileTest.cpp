#include "platform/AtomicFile.h"
#include "platform/PathText.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zepo {
namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return fromQt(dir.path()) + "/" + name; }
    std::string write(const std::string& name, const std::string& bytes, mode_t mode = 0644) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        ::chmod(path(name).c_str(), mode);
        return path(name);
    }
    static mode_t modeOf(const std::string& file)
    {
        struct stat info {};
        return ::lstat(file.c_str(), &info) == 0 ? info.st_mode : 0;
    }
    // Every name in the folder, hidden ones too, to see what a write left behind.
    QStringList names() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                          QDir::Name);
    }

    QTemporaryDir dir;
};

TEST_F(AtomicFileTest, NewFileGetsTheUmaskPermissionsAndAnOldOneKeepsItsOwn)
{
    const mode_t mask = ::umask(027);
    const auto created = replaceFileAtomically(path("new.ini"), "new");
    ::umask(mask);
    ASSERT_TRUE(created);
    EXPECT_EQ(modeOf(path("new.ini")) & 07777, 0640u) << "not the 0600 of a temporary file";

    const std::string old = write("old.zepo", "an earlier, much longer content", 0604);
    ASSERT_TRUE(replaceFileAtomically(old, "short"));
    EXPECT_EQ(test::fileBytes(old), "short");
    EXPECT_EQ(modeOf(old) & 07777, 0604u);
    EXPECT_EQ(names(), (QStringList{"new.ini", "old.zepo"}));
}

TEST_F(AtomicFileTest, ALinkIsWrittenThroughToItsTargetAndStaysALink)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const std::string target = write("real/setting.ini", "old", 0600);
    // A relative link to a relative link: each counts from its own folder.
    ASSERT_EQ(::symlink("real/setting.ini", path("middle").c_str()), 0);
    ASSERT_EQ(::symlink("middle", path("setting.ini").c_str()), 0);
    ASSERT_TRUE(replaceFileAtomically(path("setting.ini"), "new"));
    EXPECT_TRUE(S_ISLNK(modeOf(path("setting.ini"))));
    EXPECT_TRUE(S_ISLNK(modeOf(path("middle"))));
    EXPECT_EQ(test::fileBytes(target), "new");
    EXPECT_EQ(modeOf(target) & 07777, 0600u);

    // A link to nothing yet: the file it names is created.
    ASSERT_EQ(::symlink("real/later.zepo", path("later.zepo").c_str()), 0);
    ASSERT_TRUE(replaceFileAtomically(path("later.zepo"), "made"));
    EXPECT_EQ(test::fileBytes(path("real/later.zepo")), "made");
    EXPECT_TRUE(S_ISLNK(modeOf(path("later.zepo"))));

    ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
    const auto loop = replaceFileAtomically(path("loop"), "x");
    ASSERT_FALSE(loop);
    EXPECT_EQ(loop.error().code, ELOOP);
}

TEST_F(AtomicFileTest, WhatMayNotBeWrittenIsRefusedAndLeftAsItWas)
{
    // Read-only for everybody: refused for root as well, who could write it.
    const std::string readOnly = write("read-only.zepo", "keep me", 0444);
    const auto refused = replaceFileAtomically(readOnly, "new");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().category, FileError::Category::ReadOnly);
    EXPECT_EQ(test::fileBytes(readOnly), "keep me");
    EXPECT_EQ(modeOf(readOnly) & 07777, 0444u);

    // Never replaced by a regular file: a pipe, a folder, a device behind a link.
    ASSERT_EQ(::mkfifo(path("pipe.ini").c_str(), 0644), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zepo"));
    ASSERT_EQ(::symlink("/dev/null", path("device.ini").c_str()), 0);
    for (const char* name : {"pipe.ini", "folder.zepo", "device.ini"}) {
        const auto replaced = replaceFileAtomically(path(name), "new");
        ASSERT_FALSE(replaced) << name;
        EXPECT_EQ(replaced.error().category, FileError::Category::NotRegularFile) << name;
    }
    EXPECT_TRUE(S_ISFIFO(modeOf(path("pipe.ini"))));
    EXPECT_TRUE(S_ISLNK(modeOf(path("device.ini"))));

    const auto noFolder = replaceFileAtomically(path("missing/list.zepo"), "new");
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().category, FileError::Category::NotWritten);
    EXPECT_EQ(noFolder.error().code, ENOENT);
    const std::string line = noFolder.error().describe();
    EXPECT_NE(line.find(path("missing/list.zepo")), std::string::npos) << line;

    EXPECT_EQ(names(), (QStringList{"device.ini", "folder.zepo", "pipe.ini", "read-only.zepo"}))
        << "no temporary file is left";
}

TEST_F(AtomicFileTest, StaleTemporariesOfEndedWritersAreRemovedAndNothingElse)
{
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const std::string endedName = ".zepo-" + std::to_string(ended) + "-Ab3xYz";
    const std::string ownName = ".zepo-" + std::to_string(::getpid()) + "-q1w2e3";
    // A running process: the test's parent.
    const std::string liveName = ".zepo-" + std::to_string(::getppid()) + "-Ab3xYz";
    const QStringList others{".zepo-notes", ".zepo-" + QString::number(ended) + "-toolong7", "setting.ini",
                             "setting.ini.backup"};
    for (const std::string& name : {endedName, ownName, liveName})
        write(name, "partial");
    for (const QString& name : others)
        write(fromQt(name), "mine");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromStdString(".zepo-" + std::to_string(ended) + "-folder")));

    removeStaleTemporaries(fromQt(dir.path()) + "/");
    QStringList expected = others;
    expected << QString::fromStdString(liveName) << QString::fromStdString(".zepo-" + std::to_string(ended) + "-folder");
    expected.sort();
    EXPECT_EQ(names(), expected);
}

} // namespace
} // namespace zepo
