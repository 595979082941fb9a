// The station's process-level guards: a log that nobody reads, a second copy, the journal.

#include "platform/linux/InstanceLock.h"
#include "platform/linux/LogStream.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrune {
namespace {

class TPipe {
public:
    TPipe() {
        if (pipe2(FFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
    }
    ~TPipe() {
        close(FFds[0]);
        close(FFds[1]);
    }
    TPipe(const TPipe&) = delete;
    TPipe& operator=(const TPipe&) = delete;
    int Read() const { return FFds[0]; }
    int Write() const { return FFds[1]; }
    std::string Drain() const {
        std::string text;
        char buffer[65536];
        for (ssize_t n; (n = read(FFds[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

private:
    int FFds[2] = {-1, -1};
};

TEST(LogStream, ALineNobodyReadsIsDroppedAndCountedNeverWaitedFor) {
    TPipe pipe;
    fcntl(pipe.Read(), F_SETFL, O_NONBLOCK);
    {
        TLogStream log(pipe.Write());
        const std::string line(1000, 'x');
        // Far more than the pipe holds: with a blocking write this would never return.
        for (int i = 0; i < 200; ++i)
            log.WriteLine(line);
        const std::size_t dropped = log.Dropped();
        EXPECT_GT(dropped, 0u);
        std::string text = pipe.Drain();
        log.WriteLine("next");
        text += pipe.Drain();
        EXPECT_EQ(log.Dropped(), 0u);
        // Whole lines only, then the count of those dropped, then the next line.
        const std::string tail =
            "(" + std::to_string(dropped) + " log lines dropped: nobody was reading)\nnext\n";
        ASSERT_GT(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        const std::string kept = text.substr(0, text.size() - tail.size());
        EXPECT_EQ(kept.size() % 1001, 0u);
        EXPECT_EQ(kept.size() / 1001 + dropped, 200u);
        EXPECT_EQ(kept.find_first_not_of(std::string(1000, 'x') + "\n"), std::string::npos);
    }
    // The stream's own mode is back when the log ends.
    EXPECT_EQ(fcntl(pipe.Write(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(InstanceLock, ASecondCopyIsRefusedNamingTheHolderAndAFailureNamesTheFile) {
    test::TTempDir folder;
    const auto path = folder.Path() / "kestrune-station.lock";
    {
        const TInstanceLock first(path, "kestrune-station, process 4711");
        try {
            const TInstanceLock second(path, "Kestrune, process 4712");
            ADD_FAILURE() << "no exception";
        } catch (const EInstanceLock& error) {
            EXPECT_EQ(std::string(error.what()),
                      "another copy is running: kestrune-station, process 4711 holds the lock on " +
                          path.string());
        }
    }
    // Released, the lock goes to the next program, which writes its own name.
    const TInstanceLock next(path, "Kestrune, process 4712");
    EXPECT_EQ(test::ReadFileBytes(path), "Kestrune, process 4712\n");
    // A lock file that cannot be made is named with the system's reason.
    try {
        const TInstanceLock lock(folder.Path() / "missing" / "x.lock", "test");
        ADD_FAILURE() << "no exception";
    } catch (const EInstanceLock& error) {
        EXPECT_EQ(std::string(error.what()), "cannot open the lock file " +
                                                 (folder.Path() / "missing" / "x.lock").string() +
                                                 ": No such file or directory");
    }
}

TEST(InstanceLock, ThePathIsInTheRuntimeFolderOrOneOfTheUsersOwn) {
    {
        const test::TScopedVariable runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(RuntimeLockPath("kestrune-station"), "/run/user/1000/kestrune-station.lock");
    }
    // Without one, not in /tmp where another user could take the name first.
    test::TTempDir state;
    const test::TScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    const test::TScopedVariable stateHome("XDG_STATE_HOME", state.Path().c_str());
    const std::filesystem::path folder = state.Path() / "Quillmere" / "runtime";
    EXPECT_EQ(RuntimeLockPath("kestrune-station"), folder / "kestrune-station.lock");
    struct stat status {};
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(status.st_uid, geteuid());
    const TInstanceLock lock(RuntimeLockPath("kestrune-station"), "test");
}

TEST(StandardDescriptors, ClosedOnesAreOpenedOnDevNullBeforeAnythingElse) {
    // In a child of its own: a station started with >&- 2>&-.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(STDOUT_FILENO);
        close(STDERR_FILENO);
        OpenStandardDescriptors();
        const int next = open("/dev/null", O_RDONLY);
        struct stat status {};
        const bool devNull = fstat(STDERR_FILENO, &status) == 0 && S_ISCHR(status.st_mode);
        _exit(next > STDERR_FILENO && devNull && fcntl(STDOUT_FILENO, F_GETFD) >= 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(LogStream, TheJournalIsRecognisedByItsDeviceAndInode) {
    TPipe pipe;
    struct stat status {};
    ASSERT_EQ(fstat(pipe.Write(), &status), 0);
    const std::string stream = std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    ASSERT_EQ(setenv("JOURNAL_STREAM", stream.c_str(), 1), 0);
    EXPECT_TRUE(IsJournalStream(pipe.Write()));
    TPipe other;
    EXPECT_FALSE(IsJournalStream(other.Write()));
    ASSERT_EQ(unsetenv("JOURNAL_STREAM"), 0);
    EXPECT_FALSE(IsJournalStream(pipe.Write()));
}

} // namespace
} // namespace kestrune
