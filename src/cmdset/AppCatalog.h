// The application map and list that every command-set administration of the process shares, with the
// flag that asks for them to be read again. The editor rebuilds them on the user-interface thread while
// the key-event thread reads them: readers take an immutable snapshot, a rebuild publishes a new one.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "cmdset/PrgInfo.h"

namespace lm {

struct tagAPPSNAPSHOT {
    // Every set of either file, and the record "---" under "---"; names compared exactly.
    std::unordered_map<std::wstring, tagPRGINFO> map;
    // The sets whose application exists on this computer: user-file sets first, each file in its order.
    std::vector<tagPRGINFO> list;
};

class CAppCatalog {
public:
    CAppCatalog();
    CAppCatalog(const CAppCatalog&) = delete;
    CAppCatalog& operator=(const CAppCatalog&) = delete;

    // The current map and list; they never change once taken. Never null.
    std::shared_ptr<const tagAPPSNAPSHOT> Snapshot() const;

    // Copies the record of a set; false when the map does not hold the name.
    bool Lookup(const std::wstring& name, tagPRGINFO& record) const;
    bool Contains(const std::wstring& name) const;

    // Asks for the next LoadAppList to read the files again. The flag starts set.
    void MarkForReload() { reload_.store(true, std::memory_order_release); }
    bool ReloadPending() const { return reload_.load(std::memory_order_acquire); }

    // For a rebuild: clears the flag and gives a ticket when it was set, 0 when it was not.
    uint64_t BeginRebuild();
    // Publishes the result of the rebuild with that ticket unless a later rebuild published already.
    void Publish(uint64_t ticket, std::shared_ptr<const tagAPPSNAPSHOT> snapshot);

    // Removes a set from the map (the list keeps its records until the next rebuild).
    void Remove(const std::wstring& name);
    // Forgets map and list.
    void Clear();

private:
    mutable std::mutex mutex_; // held only to copy or replace the pointer
    std::shared_ptr<const tagAPPSNAPSHOT> snapshot_;
    uint64_t published_ = 0;
    std::atomic<uint64_t> nextTicket_{1};
    std::atomic<bool> reload_{true};
};

// The catalog of this process.
CAppCatalog& ProcessAppCatalog();

} // namespace lm
