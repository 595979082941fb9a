#pragma once
// A registry held in memory: the tests' registry, and the base of the file-backed one, which
// refreshes a root before one of its keys is opened and persists every change as it is made.

#include "settings/Registry.h"
#include "settings/RegistryTree.h"

#include <map>

namespace kestrune {

class TMemoryRegistry : public IRegistry {
public:
    TMemoryRegistry() = default;

    // A read-only root refuses to create keys and to open one with any of KeyChangeRights
    // (ErrorAccessDenied), as HKEY_LOCAL_MACHINE does for an ordinary user.
    void SetReadOnly(TRootKey root, bool readOnly);

    TRegResult OpenKey(TRootKey root, std::string_view path, TRegSam access,
                       std::unique_ptr<IRegistryKey>& key) override;
    TRegResult CreateKey(TRootKey root, std::string_view path, TRegSam access,
                         std::unique_ptr<IRegistryKey>& key) override;

protected:
    // Called before a key of the root is opened or created; the memory registry has nothing to
    // refresh.
    virtual void Refresh(TRootKey root);
    // Called after a change has been made in memory; its result is the change's result. The
    // change stays made in memory whatever it answers.
    virtual TRegResult Persist(TRootKey root, const TRegistryChange& change);

    TRegistryTree& Tree(TRootKey root) { return FTrees[root]; }

private:
    class TKey;

    TRegResult Open(TRootKey root, std::string_view path, TRegSam access, bool create,
                    std::unique_ptr<IRegistryKey>& key);

    std::map<TRootKey, TRegistryTree> FTrees;
    std::map<TRootKey, bool> FReadOnly;
};

} // namespace kestrune
