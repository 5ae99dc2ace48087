// A bound on how deeply domains that hold other domains call into one another on a thread. A composite or unit
// domain that is, directly or through others, one of its own members would otherwise recurse until the stack runs
// out in MemberOf, Assign, IsEqual, Save or Serialize; past the bound the operation fails with E_FAIL instead.
#pragma once

namespace tavi {

// Counts one level for its lifetime. Deeper than kMaxDomainNesting levels, TooDeep() is true.
class DomainNesting {
public:
    static constexpr int kMaxDomainNesting = 200;

    DomainNesting() { ++Depth(); }
    ~DomainNesting() { --Depth(); }
    DomainNesting(const DomainNesting&) = delete;
    DomainNesting& operator=(const DomainNesting&) = delete;

    bool TooDeep() const { return Depth() > kMaxDomainNesting; }

private:
    static int& Depth() {
        thread_local int depth = 0;
        return depth;
    }
};

} // namespace tavi
