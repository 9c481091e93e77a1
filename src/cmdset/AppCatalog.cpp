#include "cmdset/AppCatalog.h"

#include "base/Text.h"

namespace lm {

tagPRGINFO MakeNonePrgInfo() {
    tagPRGINFO record;
    CopyBounded(record.szName, kPrgTextChars, kNoneSetName);
    CopyBounded(record.szDescription, kPrgTextChars, kNoneSetName);
    return record;
}

CAppCatalog::CAppCatalog() : snapshot_(std::make_shared<tagAPPSNAPSHOT>()) {}

std::shared_ptr<const tagAPPSNAPSHOT> CAppCatalog::Snapshot() const {
    std::lock_guard lock(mutex_);
    return snapshot_;
}

bool CAppCatalog::Lookup(const std::wstring& name, tagPRGINFO& record) const {
    auto snapshot = Snapshot();
    auto it = snapshot->map.find(name);
    if (it == snapshot->map.end())
        return false;
    record = it->second;
    return true;
}

bool CAppCatalog::Contains(const std::wstring& name) const {
    return Snapshot()->map.count(name) != 0;
}

uint64_t CAppCatalog::BeginRebuild() {
    if (!reload_.exchange(false, std::memory_order_acq_rel))
        return 0;
    return nextTicket_.fetch_add(1, std::memory_order_relaxed);
}

void CAppCatalog::Publish(uint64_t ticket, std::shared_ptr<const tagAPPSNAPSHOT> snapshot) {
    if (!snapshot)
        return;
    std::shared_ptr<const tagAPPSNAPSHOT> old; // released outside the lock
    std::lock_guard lock(mutex_);
    if (ticket < published_)
        return;
    published_ = ticket;
    old = std::move(snapshot_);
    snapshot_ = std::move(snapshot);
}

void CAppCatalog::Remove(const std::wstring& name) {
    std::shared_ptr<const tagAPPSNAPSHOT> old;
    std::lock_guard lock(mutex_);
    if (!snapshot_->map.count(name))
        return;
    auto copy = std::make_shared<tagAPPSNAPSHOT>(*snapshot_);
    copy->map.erase(name);
    old = std::move(snapshot_);
    snapshot_ = std::move(copy);
}

void CAppCatalog::Clear() {
    std::shared_ptr<const tagAPPSNAPSHOT> old;
    std::lock_guard lock(mutex_);
    old = std::move(snapshot_);
    snapshot_ = std::make_shared<tagAPPSNAPSHOT>();
}

CAppCatalog& ProcessAppCatalog() {
    static CAppCatalog catalog;
    return catalog;
}

} // namespace lm
