// The lookup index over a class table: open addressing keyed by the first 32 bits of the class identifier, built
// once on first use under a lock, plus the list of singleton rows that DllCanUnloadNow walks.
#pragma once

#include "frame/ClassTable.h"

#include <atomic>
#include <mutex>
#include <span>
#include <vector>

namespace tavi {

class ClassIndex {
public:
    // Tables of this size or smaller are searched in order; an index would not pay for itself.
    static constexpr size_t kLinearSearchLimit = 5;
    static constexpr size_t kMinimumSlots = 16;

    // The table must outlive the index.
    explicit ClassIndex(std::span<const ClassEntry> table) : table_(table) {}
    ClassIndex(const ClassIndex&) = delete;
    ClassIndex& operator=(const ClassIndex&) = delete;

    // The row of `clsid` (all 16 bytes equal), or null. Builds the index on first use.
    const ClassEntry* Find(REFCLSID clsid);
    // The singleton rows, in table order. Builds the index on first use.
    std::span<const ClassEntry* const> Singletons();

    // What the index looks like, for tests: 0 slots when the table is searched in order.
    size_t SlotCount();
    // The slot holding `entry`, or -1 when it is not in the index.
    ptrdiff_t SlotOf(const ClassEntry* entry);

    // The slot count for a table of n rows: the smallest power of two not below 2n and never below 16.
    static size_t SlotCountFor(size_t rows);

private:
    // Double-checked: the acquire load pairs with the release store in BuildOnce, so a thread that sees the flag
    // sees the finished slots. Inline, as every lookup passes here.
    void EnsureBuilt() {
        if (!built_.load(std::memory_order_acquire))
            BuildOnce();
    }
    void BuildOnce();
    void Build();
    void Insert(const ClassEntry* entry);
    size_t StartSlot(REFCLSID clsid) const { return (slots_.size() - 1) & clsid.Data1; }

    std::span<const ClassEntry> table_;
    std::vector<const ClassEntry*> slots_; // empty when the table is searched in order
    std::vector<const ClassEntry*> singletons_;
    std::atomic<bool> built_{false};
    std::mutex buildLock_;
};

} // namespace tavi
