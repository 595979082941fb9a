#pragma once
// The registry on Linux: HKEY_CURRENT_USER is one hive file in the .reg export format, read
// when a key is opened and the file has changed, and rewritten atomically for every change
// (under a flock on a lock file, after re-reading it, so that two processes writing different
// values lose neither). HKEY_LOCAL_MACHINE holds only the read-only key
// "HARDWARE\DEVICEMAP\SERIALCOMM", made afresh from sysfs each time a key of it is opened.

#include "platform/linux/SerialCommKey.h"
#include "settings/MemoryRegistry.h"

#include <filesystem>
#include <vector>

namespace kestrune {

constexpr std::string_view HiveFileName = "HKEY_CURRENT_USER.reg";

// ${XDG_CONFIG_HOME:-~/.config}/Quillmere: the folder of the user's hive file.
std::filesystem::path DefaultRegistryFolder();

class TFileRegistry : public TMemoryRegistry {
public:
    // folder holds the hive file; ttyRoot is the sysfs tty class folder.
    explicit TFileRegistry(std::filesystem::path folder,
                           std::filesystem::path ttyRoot = std::filesystem::path(DefaultTtyRoot));

    const std::filesystem::path& HivePath() const { return FHivePath; }
    // Why the settings file could not be read when it was last read (naming the file and the
    // reason); empty when it could.
    const std::string& ReadProblem() const { return FReadProblem; }

protected:
    void Refresh(TRootKey root) override;
    // Writes the file with every change not yet written. A failed write leaves the file as it
    // was and keeps the changes in memory, to be written with the next change.
    TRegResult Persist(TRootKey root, const TRegistryChange& change) override;

private:
    // What identifies the file's contents as last read or written.
    struct TStamp {
        bool Exists = false;
        unsigned long long Device = 0, Inode = 0, Size = 0;
        long long ModifiedNs = 0;
        friend bool operator==(const TStamp&, const TStamp&) = default;
    };

    TStamp StampOf() const;
    TRegResult WriteHive();
    // The tree read from the file with this process's unwritten changes over it.
    void Adopt(TRegistryTree tree, const TStamp& stamp);

    std::filesystem::path FFolder;
    std::filesystem::path FHivePath;
    std::string FReadProblem;
    std::filesystem::path FTtyRoot;
    std::vector<TRegistryChange> FPending;
    bool FLoaded = false;
    TStamp FStamp;
};

} // namespace kestrune
