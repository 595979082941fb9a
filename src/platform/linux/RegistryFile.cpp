#include "platform/linux/RegistryFile.h"

#include "core/DateTime.h"
#include "platform/linux/Executable.h"
#include "platform/linux/UniqueFd.h"
#include "settings/RegFileFormat.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kestrune {

namespace {

constexpr std::string_view RootName = "HKEY_CURRENT_USER";
// How many backups of a damaged file one second may hold.
constexpr int MaxBackupsPerSecond = 100;

TRegResult ResultFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorAccessDenied;
    case ENOSPC:
    case EDQUOT:
        return ErrorDiskFull;
    default:
        return ErrorRegistryIoFailed;
    }
}

// Far more than any settings file holds; a bigger file is not read into memory.
constexpr off_t MaxHiveBytes = 16 * 1024 * 1024;

// The file's bytes; a missing file has none. The error number, or 0. The open does not wait (a
// FIFO in the file's place would hold the program for ever), and only a regular file of a sane
// size is read.
int ReadAll(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    const TUniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid())
        return errno == ENOENT ? 0 : errno;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode))
        return EINVAL;
    if (status.st_size > MaxHiveBytes)
        return EFBIG;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.Get(), buffer, sizeof buffer);
        if (count == 0)
            return 0;
        if (count < 0 && errno != EINTR)
            return errno;
        if (count > 0)
            bytes.append(buffer, static_cast<std::size_t>(count));
        if (bytes.size() > static_cast<std::size_t>(MaxHiveBytes))
            return EFBIG;
    }
}

std::string ReadProblemText(const std::filesystem::path& path, int error) {
    if (error == 0)
        return {};
    const std::string reason = error == EINVAL  ? "not a regular file"
                               : error == EFBIG ? "larger than 16 MiB"
                                                : std::generic_category().message(error);
    return "Cannot read the settings file \"" + path.string() + "\": " + reason +
           "; the defaults are used";
}

// Writes all bytes to a new file that only its owner may read, and flushes it to the disk.
int WriteNewFile(const std::filesystem::path& path, std::string_view bytes, int flags) {
    TUniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | flags, 0600));
    if (!fd.Valid())
        return errno;
    if (::fchmod(fd.Get(), 0600) != 0)
        return errno;
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd.Get(), bytes.data(), bytes.size());
        if (count < 0 && errno != EINTR)
            return errno;
        if (count > 0)
            bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    if (::fsync(fd.Get()) != 0)
        return errno;
    return fd.Close();
}

// Creates every missing folder of the path with mode 0700.
int MakeFolders(const std::filesystem::path& folder) {
    std::filesystem::path current;
    for (const std::filesystem::path& part : folder) {
        current /= part;
        struct stat status {};
        if (::stat(current.c_str(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                return ENOTDIR;
        } else if (errno != ENOENT) {
            return errno;
        } else if (::mkdir(current.c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
    }
    return 0;
}

// Keeps the bytes of a file that did not parse beside it, as
// <file>.damaged-<yyyymmddhhnnss>, with "-2", "-3", ... added when that name is taken.
int KeepDamaged(const std::filesystem::path& hive, std::string_view bytes) {
    const std::string stem =
        hive.string() + ".damaged-" +
        FormatCompact(FromUnixSeconds(static_cast<double>(std::time(nullptr))));
    int error = EEXIST;
    for (int n = 1; n <= MaxBackupsPerSecond && error == EEXIST; ++n)
        error = WriteNewFile(n == 1 ? stem : stem + '-' + std::to_string(n), bytes, O_EXCL);
    return error;
}

// Puts the text in place of the file: a temporary file beside it, flushed, then renamed over
// it, so that a crash leaves either the old file or the new one, whole.
int ReplaceFile(const std::filesystem::path& hive, std::string_view text) {
    const std::filesystem::path temporary = hive.string() + ".tmp";
    int error = WriteNewFile(temporary, text, O_TRUNC);
    if (error == 0 && ::rename(temporary.c_str(), hive.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    // The rename reaches the disk with the folder; a file system that cannot flush a folder
    // has done what it can.
    const TUniqueFd folder(::open(hive.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid())
        ::fsync(folder.Get());
    return 0;
}

} // namespace

std::filesystem::path DefaultRegistryFolder() {
    return XdgBaseFolder("XDG_CONFIG_HOME", ".config") / "Quillmere";
}

TFileRegistry::TFileRegistry(std::filesystem::path folder, std::filesystem::path ttyRoot)
    : FFolder(std::move(folder)), FHivePath(FFolder / HiveFileName), FTtyRoot(std::move(ttyRoot)) {
    SetReadOnly(TRootKey::LocalMachine, true);
}

TFileRegistry::TStamp TFileRegistry::StampOf() const {
    struct stat status {};
    if (::stat(FHivePath.c_str(), &status) != 0)
        return {};
    return {true, status.st_dev, status.st_ino, static_cast<unsigned long long>(status.st_size),
            status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
}

void TFileRegistry::Refresh(TRootKey root) {
    if (root == TRootKey::LocalMachine) {
        Tree(root) = SerialCommTree(FTtyRoot);
        return;
    }
    const TStamp stamp = StampOf();
    if (FLoaded && stamp == FStamp)
        return;
    std::string bytes;
    // An unreadable file reads as empty; writing will refuse it.
    FReadProblem = ReadProblemText(FHivePath, ReadAll(FHivePath, bytes));
    Adopt(ParseRegFile(bytes, RootName).Tree, stamp);
}

void TFileRegistry::Adopt(TRegistryTree tree, const TStamp& stamp) {
    for (const TRegistryChange& change : FPending)
        change.ApplyTo(tree);
    Tree(TRootKey::CurrentUser) = std::move(tree);
    FStamp = stamp;
    FLoaded = true;
}

TRegResult TFileRegistry::Persist(TRootKey, const TRegistryChange& change) {
    FPending.push_back(change);
    return WriteHive();
}

TRegResult TFileRegistry::WriteHive() {
    if (const int error = MakeFolders(FFolder))
        return ResultFromErrno(error);
    const TUniqueFd lock(::open((FHivePath.string() + ".lock").c_str(),
                                O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.Valid())
        return ResultFromErrno(errno);
    while (::flock(lock.Get(), LOCK_EX) != 0)
        if (errno != EINTR)
            return ResultFromErrno(errno);

    // A hive file that is a symbolic link stays one: the file it points to is replaced.
    std::filesystem::path target = FHivePath;
    struct stat status {};
    if (::lstat(FHivePath.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        std::error_code error;
        target = std::filesystem::weakly_canonical(FHivePath, error);
        if (error)
            return ErrorRegistryIoFailed;
    }
    std::string bytes;
    if (const int error = ReadAll(target, bytes))
        return ResultFromErrno(error);
    TRegFileContents contents = ParseRegFile(bytes, RootName);
    if (contents.Damaged)
        if (const int error = KeepDamaged(target, bytes))
            return ResultFromErrno(error);
    for (const TRegistryChange& pending : FPending)
        pending.ApplyTo(contents.Tree);
    const std::string text = FormatRegFile(contents.Tree, RootName);
    if (text != bytes)
        if (const int error = ReplaceFile(target, text))
            return ResultFromErrno(error);
    FPending.clear();
    Adopt(std::move(contents.Tree), StampOf());
    return ErrorSuccess;
}

} // namespace kestrune
