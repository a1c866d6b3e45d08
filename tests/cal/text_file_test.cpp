// Whole-file replace: the target is either the old file or the new one,
// never a half-written one, and every failure comes back as an error.
#include <csignal>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cal/text_file.h"
#include "support/test_platform.h"

using namespace orbilan::cal;
namespace fs = std::filesystem;
using orbilan::test::readFile;
using orbilan::test::TempDir;

namespace {
// Nothing but the named files in the folder: no temporary left behind.
std::vector<std::string> namesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::perms permsOf(const fs::path& p) { return fs::symlink_status(p).permissions(); }

// Runs `check` as an ordinary user: permissions bind the super-user only in
// part, and tests often run as root. The folder is handed to that user first.
// The result is check's, or a failure when the user could not be taken on.
bool asOrdinaryUser(const fs::path& folder, const std::function<bool()>& check)
{
    if (geteuid() != 0)
        return check();
    constexpr uid_t Nobody = 65534;
    if (chown(folder.c_str(), Nobody, Nobody) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(Nobody) != 0 || setuid(Nobody) != 0)
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace

TEST(TextFile, CreatesAndReplaces)
{
    TempDir dir;
    const auto target = (dir.path() / "a.cal").string();
    EXPECT_FALSE(ReplaceFileContents(target, "first\r\n"));
    EXPECT_EQ(readFile(target), "first\r\n");
    EXPECT_FALSE(ReplaceFileContents(target, "second"));
    EXPECT_EQ(readFile(target), "second");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.cal"});
}

TEST(TextFile, NeverWritesThroughALink)
{
    // Someone else's file, and a link to it planted where the user saves.
    TempDir dir;
    const auto victim = dir.write("victim.txt", "someone else's\n");
    fs::create_symlink(victim, dir.path() / "out.cal");
    auto error = ReplaceFileContents((dir.path() / "out.cal").string(), "calibration");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 75);
    EXPECT_NE(error->description.find("symbolic link"), std::string::npos) << error->description;
    EXPECT_EQ(readFile(victim), "someone else's\n");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "out.cal"));
    // A dangling link would create the file it names.
    fs::create_symlink(dir.path() / "made.txt", dir.path() / "dangling.cal");
    error = ReplaceFileContents((dir.path() / "dangling.cal").string(), "calibration");
    ASSERT_TRUE(error);
    EXPECT_FALSE(fs::exists(dir.path() / "made.txt"));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"dangling.cal", "out.cal", "victim.txt"}));
}

TEST(TextFile, OnlyRegularFilesTheUserMayWriteAreReplaced)
{
    TempDir dir;
    // A pipe given as the output stays a pipe.
    const fs::path fifo = dir.path() / "pipe.cal";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    auto error = ReplaceFileContents(fifo.string(), "data");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 75);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    // So does a device (as the super-user, /dev/full was replaced by a file).
    error = ReplaceFileContents("/dev/null", "data");
    ASSERT_TRUE(error);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A read-only file stays as it is, as a shell's `>` leaves it.
    const auto locked = dir.write("locked.cal", "keep");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(asOrdinaryUser(dir.path(), [&] {
        const auto e = ReplaceFileContents(locked.string(), "new");
        return e && e->number == 70 && readFile(locked) == "keep";
    }));
    EXPECT_EQ(readFile(locked), "keep");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"locked.cal", "pipe.cal"}));
}

TEST(TextFile, TheNewFileKeepsTheOldOnesModeAndOwner)
{
    TempDir dir;
    const auto target = dir.write("shared.cal", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::group_write);
    // A narrow umask does not narrow the file; a wide one does not widen it.
    const mode_t savedMask = umask(077);
    EXPECT_FALSE(ReplaceFileContents(target.string(), "new"));
    EXPECT_EQ(permsOf(target), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::group_write);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    umask(0);
    EXPECT_FALSE(ReplaceFileContents(target.string(), "newer"));
    EXPECT_EQ(permsOf(target), fs::perms::owner_read | fs::perms::owner_write);
    // A new file is made as the user's umask says.
    umask(027);
    EXPECT_FALSE(ReplaceFileContents((dir.path() / "fresh.cal").string(), "x"));
    EXPECT_EQ(permsOf(dir.path() / "fresh.cal"),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    umask(savedMask);
    EXPECT_EQ(readFile(target), "newer");

    // The super-user saving over another user's file leaves it theirs.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(ReplaceFileContents(target.string(), "root's"));
        struct stat st {};
        ASSERT_EQ(stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
}

TEST(TextFile, FailuresAreReportedAndLeaveNothingBehind)
{
    TempDir dir;
    dir.write("plain", "x");
    auto error = ReplaceFileContents((dir.path() / "missing" / "a.cal").string(), "data");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 76);
    error = ReplaceFileContents((dir.path() / "plain" / "a.cal").string(), "data"); // a file as folder
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 76);

    // A folder in the target's place stays as it is.
    fs::create_directory(dir.path() / "taken.cal");
    dir.write("taken.cal/inside", "keep");
    error = ReplaceFileContents((dir.path() / "taken.cal").string(), "data");
    ASSERT_TRUE(error);
    EXPECT_EQ(readFile(dir.path() / "taken.cal" / "inside"), "keep");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"plain", "taken.cal"}));
}

TEST(TextFile, AFailedWriteKeepsTheOldFile)
{
    TempDir dir;
    const auto target = dir.write("old.cal", "the previous calibration\r\n");
    // The file-size limit makes the write itself fail half way, as a full
    // disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = ReplaceFileContents(target.string(), std::string(100000, 'z'));
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 61);
    EXPECT_EQ(readFile(target), "the previous calibration\r\n");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"old.cal"});
}

TEST(TextFile, ReadOnlyFolder)
{
    TempDir dir;
    const auto target = dir.write("old.cal", "keep");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(asOrdinaryUser(dir.path(), [&] {
        const auto error = ReplaceFileContents(target.string(), "new");
        return error && error->number == 70;
    }));
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(readFile(target), "keep");
}

TEST(TextFile, ReadWholeFile)
{
    TempDir dir;
    std::string text;
    EXPECT_FALSE(ReadWholeFile(dir.write("a", "abc\r\n").string(), text, 100));
    EXPECT_EQ(text, "abc\r\n");
    auto error = ReadWholeFile(dir.write("big", std::string(101, 'b')).string(), text, 100);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 7);
    EXPECT_TRUE(text.empty());
    error = ReadWholeFile((dir.path() / "none").string(), text, 100);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 76);
    error = ReadWholeFile(dir.str(), text, 100); // a folder
    ASSERT_TRUE(error);
    EXPECT_EQ(FileNameOf("/tmp/x/y.cal"), "y.cal");
}

TEST(TextFile, ReadsOnlyRegularFiles)
{
    // A device gives data without end, a pipe without a writer none at all:
    // both are refused at once instead of filling memory or waiting forever.
    TempDir dir;
    std::string text = "left over";
    auto error = ReadWholeFile("/dev/zero", text, 1 << 20);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 75);
    EXPECT_TRUE(text.empty());
    const fs::path fifo = dir.path() / "vna.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    error = ReadWholeFile(fifo.string(), text, 1 << 20);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 75);
    // A link to a regular file reads as the file.
    const auto real = dir.write("real.ini", "clk=100\n");
    fs::create_symlink(real, dir.path() / "link.ini");
    EXPECT_FALSE(ReadWholeFile((dir.path() / "link.ini").string(), text, 100));
    EXPECT_EQ(text, "clk=100\n");
}
