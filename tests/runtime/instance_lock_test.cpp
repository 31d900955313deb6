// The running-copy lock: one per frame title, user and display, in a folder only the user can
// write.
#include <gtest/gtest.h>

#include <QFile>
#include <QLockFile>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/gui.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::TempHome;

namespace {

InstanceOwner owner(const TempHome &home, const char *user, unsigned uid, const char *display)
{
    InstanceOwner o;
    o.uid = uid;
    o.user = user;
    o.display = display;
    o.tempDir = QString::fromStdString(home.file("tmp"));
    o.homeDir = QString::fromStdString(home.file("home"));
    return o;
}

unsigned mode(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

}  // namespace

TEST(InstanceLock, UsersAndDisplaysHoldLocksOfTheirOwn)
{
    TempHome home;
    std::filesystem::create_directories(home.file("tmp"));
    std::filesystem::create_directories(home.file("home"));
    const unsigned me = static_cast<unsigned>(::getuid());
    InstanceOwner ann = owner(home, "ann", me, ":0");
    InstanceOwner bob = owner(home, "bob", me, ":0");
    InstanceOwner annElsewhere = owner(home, "ann", me, ":1");
    // In a shared runtime folder only the key tells them apart.
    for (InstanceOwner *o : {&ann, &bob, &annElsewhere})
        o->runtimeDir = QString::fromStdString(home.path());
    const QString title = "Orvane Rava Ravarurod Odidiruzavod";
    QLockFile annLock(singleInstanceLockPath(title, ann));
    ASSERT_TRUE(annLock.tryLock(0));
    for (InstanceOwner *o : {&bob, &annElsewhere}) {
        QLockFile other(singleInstanceLockPath(title, *o));
        EXPECT_TRUE(other.tryLock(0)) << o->user.toStdString() << " " << o->display.toStdString();
    }
    QLockFile again(singleInstanceLockPath(title, ann));
    EXPECT_FALSE(again.tryLock(0));
    EXPECT_NE(singleInstanceLockPath(title, ann), singleInstanceLockPath("Another Program", ann));
}

TEST(InstanceLock, WithoutARuntimeFolderTheUsersOwnPrivateFolder)
{
    TempHome home;
    std::filesystem::create_directories(home.file("tmp"));
    std::filesystem::create_directories(home.file("home"));
    const unsigned me = static_cast<unsigned>(::getuid());
    InstanceOwner o = owner(home, "ann", me, ":0");
    const QString mine = QString::fromStdString(home.file("tmp/orvane-")) + QString::number(me);
    EXPECT_EQ(instanceLockFolder(o), mine);
    EXPECT_EQ(mode(mine), 0700u);
    EXPECT_TRUE(singleInstanceLockPath("T", o).startsWith(mine + "/"));
    // A folder left open to others is closed again.
    ::chmod(QFile::encodeName(mine).constData(), 0777);
    EXPECT_EQ(instanceLockFolder(o), mine);
    EXPECT_EQ(mode(mine), 0700u);

    // A link planted under the user's name is no folder of the user's: the home folder serves.
    std::filesystem::remove(mine.toStdString());
    std::filesystem::create_directory_symlink(home.file("home"), mine.toStdString());
    const QString inHome = QString::fromStdString(home.file("home/.orvane-locks"));
    EXPECT_EQ(instanceLockFolder(o), inHome);
    EXPECT_EQ(mode(inHome), 0700u);

    // Folders that belong to someone else are refused: no lock path at all.
    InstanceOwner stranger = owner(home, "eve", me + 1, ":0");
    std::filesystem::create_directories(home.file("tmp/orvane-") + std::to_string(me + 1));
    EXPECT_TRUE(instanceLockFolder(stranger).isEmpty());
    EXPECT_TRUE(singleInstanceLockPath("T", stranger).isEmpty());
}
