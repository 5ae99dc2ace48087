// What the domains made of other domains (the composite and the unit domain) share: the XML names of their array
// of inner domains, how two inner domains compare, and a bound on how deeply they call into one another.
#pragma once

#include "platform/Object.h"
#include "tavi/GPValue.h"

namespace tavi {

// The inner domains' XML form: the object array "GPDomainArray" of "GPDomain" elements, read as "ArrayOfGPDomain".
constexpr const char16_t* kDomainArrayElement = u"GPDomainArray";
constexpr const char16_t* kDomainElementType = u"GPDomain";
constexpr const char16_t* kDomainArrayType = u"ArrayOfGPDomain";

// Whether two inner domains are equal: both none, or `asker`'s own IsEqual says `other` equals it (the same object
// for domains without IClone). A domain that cannot compare itself with the other kind (E_NOINTERFACE and the
// like) is not equal to it.
inline bool InnerDomainsEqual(IGPDomain* asker, IGPDomain* other) {
    if (!asker || !other)
        return !asker && !other;
    auto asking = QueryAs<IClone>(asker);
    auto asked = QueryAs<IClone>(other);
    if (!asking || !asked)
        return SameObject(asker, other);
    VARIANT_BOOL same = VARIANT_FALSE;
    return SUCCEEDED(asking->IsEqual(asked.Get(), &same)) && same != VARIANT_FALSE;
}

// A bound on how deeply domains that hold other domains call into one another on a thread. A composite or unit
// domain that is, directly or through others, one of its own members would otherwise recurse until the stack runs
// out in MemberOf, Assign, IsEqual, Save or Serialize; past the bound the operation fails with E_FAIL instead.

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
