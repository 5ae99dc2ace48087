// Bindings of the list interfaces: string lists, object arrays, connection points and their enumerators.
#include "bridge/Binding.h"

namespace tavigp {

namespace {

// Enumerators hand out at most this many items per call through the bridge.
constexpr ULONG kMaxBatch = 1024;

void CheckBatch(ULONG count) {
    if (count > kMaxBatch)
        throw BridgeError("at most " + std::to_string(kMaxBatch) + " items per Next through the bridge");
}

// Next(count, items, fetched) on an enumerator of connections: the items come back as [{"sink", "cookie"}, …].
HRESULT NextConnections(IEnumConnections* e, ULONG count, ConnectionList* out, ULONG* fetched) {
    CheckBatch(count);
    std::vector<CONNECTDATA> items(count ? count : 1, CONNECTDATA{nullptr, 0});
    HRESULT hr = e->Next(count, out ? items.data() : nullptr, fetched);
    if (out)
        for (const CONNECTDATA& item : items)
            if (item.pUnk)
                out->push_back({tavi::ComPtr<IUnknown>::Adopt(item.pUnk), item.dwCookie});
    return hr;
}

HRESULT NextConnectionPoints(IEnumConnectionPoints* e, ULONG count, ObjectList* out, ULONG* fetched) {
    CheckBatch(count);
    std::vector<IConnectionPoint*> items(count ? count : 1, nullptr);
    HRESULT hr = e->Next(count, out ? items.data() : nullptr, fetched);
    if (out)
        for (IConnectionPoint* item : items)
            if (item)
                out->objects.push_back(tavi::ComPtr<IUnknown>::Adopt(item));
    return hr;
}

} // namespace

void BindCollectionFamily(BindingTable& t) {
    BIND(t, IEnumBSTR, Next);
    BIND(t, IEnumBSTR, Reset);

    BIND(t, IBStringArray, get_Count);
    BIND(t, IBStringArray, get_Element);
    BIND(t, IBStringArray, Add);
    BIND(t, IBStringArray, Insert);
    BIND(t, IBStringArray, Remove);
    BIND(t, IBStringArray, RemoveAll);
    BIND(t, IBStringArray, Replace);

    BIND(t, IArray, get_Count);
    BIND(t, IArray, get_Element);
    BIND(t, IArray, Add);
    BIND(t, IArray, Insert);
    BIND(t, IArray, Remove);
    BIND(t, IArray, RemoveAll);
    BIND(t, IArray2, Replace);

    BIND(t, IConnectionPointContainer, EnumConnectionPoints);
    BIND(t, IConnectionPointContainer, FindConnectionPoint);
    BIND(t, IConnectionPoint, GetConnectionInterface);
    BIND(t, IConnectionPoint, GetConnectionPointContainer);
    BIND(t, IConnectionPoint, Advise);
    BIND(t, IConnectionPoint, Unadvise);
    BIND(t, IConnectionPoint, EnumConnections);

    ADAPT(t, IEnumConnectionPoints, Next, &NextConnectionPoints);
    BIND(t, IEnumConnectionPoints, Skip);
    BIND(t, IEnumConnectionPoints, Reset);
    BIND(t, IEnumConnectionPoints, Clone);

    ADAPT(t, IEnumConnections, Next, &NextConnections);
    BIND(t, IEnumConnections, Skip);
    BIND(t, IEnumConnections, Reset);
    BIND(t, IEnumConnections, Clone);
}

} // namespace tavigp
