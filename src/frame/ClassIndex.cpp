// The class lookup index: built once, read without a lock afterwards.
#include "frame/ClassIndex.h"

#include <bit>

namespace tavi {

size_t ClassIndex::SlotCountFor(size_t rows) {
    size_t wanted = rows * 2;
    return wanted < kMinimumSlots ? kMinimumSlots : std::bit_ceil(wanted);
}

void ClassIndex::BuildOnce() {
    std::lock_guard lock(buildLock_);
    if (built_.load(std::memory_order_relaxed))
        return;
    Build();
    std::atomic_thread_fence(std::memory_order_seq_cst);
    built_.store(true, std::memory_order_release);
}

void ClassIndex::Build() {
    size_t singletonCount = 0;
    for (const ClassEntry& entry : table_)
        singletonCount += entry.factory == FactoryKind::Singleton;
    singletons_.clear();
    singletons_.reserve(singletonCount);
    slots_.clear();
    if (table_.size() > kLinearSearchLimit)
        slots_.assign(SlotCountFor(table_.size()), nullptr);
    for (const ClassEntry& entry : table_) {
        if (entry.factory == FactoryKind::Singleton)
            singletons_.push_back(&entry);
        if (!slots_.empty())
            Insert(&entry);
    }
}

// Linear probing from the start slot to the end of the array, then from slot 0 back up to the start slot. There is
// always a free slot: the array has at least twice as many slots as the table has rows.
void ClassIndex::Insert(const ClassEntry* entry) {
    const size_t start = StartSlot(entry->classId);
    for (size_t i = 0; i < slots_.size(); ++i) {
        size_t slot = (start + i) & (slots_.size() - 1);
        if (!slots_[slot]) {
            slots_[slot] = entry;
            return;
        }
    }
}

const ClassEntry* ClassIndex::Find(REFCLSID clsid) {
    EnsureBuilt();
    if (slots_.empty()) {
        for (const ClassEntry& entry : table_)
            if (SameGuid(entry.classId, clsid))
                return &entry;
        return nullptr;
    }
    // An empty slot ends the probe: an entry is never stored past an empty slot of its own probe sequence.
    const size_t mask = slots_.size() - 1;
    const size_t start = StartSlot(clsid);
    for (size_t i = 0; i <= mask; ++i) {
        const ClassEntry* entry = slots_[(start + i) & mask];
        if (!entry)
            return nullptr;
        if (SameGuid(entry->classId, clsid))
            return entry;
    }
    return nullptr;
}

std::span<const ClassEntry* const> ClassIndex::Singletons() {
    EnsureBuilt();
    return singletons_;
}

size_t ClassIndex::SlotCount() {
    EnsureBuilt();
    return slots_.size();
}

ptrdiff_t ClassIndex::SlotOf(const ClassEntry* entry) {
    EnsureBuilt();
    for (size_t slot = 0; slot < slots_.size(); ++slot)
        if (slots_[slot] == entry)
            return static_cast<ptrdiff_t>(slot);
    return -1;
}

} // namespace tavi
