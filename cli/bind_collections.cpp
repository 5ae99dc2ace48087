// Bindings of the list interfaces: string lists, object arrays, connection points and their enumerators.
#include "Binding.h"

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
    t.Bind("IEnumBSTR.Next", &IEnumBSTR::Next);
    t.Bind("IEnumBSTR.Reset", &IEnumBSTR::Reset);

    t.Bind("IBStringArray.get_Count", &IBStringArray::get_Count);
    t.Bind("IBStringArray.get_Element", &IBStringArray::get_Element);
    t.Bind("IBStringArray.Add", &IBStringArray::Add);
    t.Bind("IBStringArray.Insert", &IBStringArray::Insert);
    t.Bind("IBStringArray.Remove", &IBStringArray::Remove);
    t.Bind("IBStringArray.RemoveAll", &IBStringArray::RemoveAll);
    t.Bind("IBStringArray.Replace", &IBStringArray::Replace);

    t.Bind("IArray.get_Count", &IArray::get_Count);
    t.Bind("IArray.get_Element", &IArray::get_Element);
    t.Bind("IArray.Add", &IArray::Add);
    t.Bind("IArray.Insert", &IArray::Insert);
    t.Bind("IArray.Remove", &IArray::Remove);
    t.Bind("IArray.RemoveAll", &IArray::RemoveAll);
    t.Bind("IArray2.Replace", &IArray2::Replace);

    t.Bind("IConnectionPointContainer.EnumConnectionPoints", &IConnectionPointContainer::EnumConnectionPoints);
    t.Bind("IConnectionPointContainer.FindConnectionPoint", &IConnectionPointContainer::FindConnectionPoint);
    t.Bind("IConnectionPoint.GetConnectionInterface", &IConnectionPoint::GetConnectionInterface);
    t.Bind("IConnectionPoint.GetConnectionPointContainer", &IConnectionPoint::GetConnectionPointContainer);
    t.Bind("IConnectionPoint.Advise", &IConnectionPoint::Advise);
    t.Bind("IConnectionPoint.Unadvise", &IConnectionPoint::Unadvise);
    t.Bind("IConnectionPoint.EnumConnections", &IConnectionPoint::EnumConnections);

    t.Adapt<IEnumConnectionPoints>("IEnumConnectionPoints.Next", &NextConnectionPoints);
    t.Bind("IEnumConnectionPoints.Skip", &IEnumConnectionPoints::Skip);
    t.Bind("IEnumConnectionPoints.Reset", &IEnumConnectionPoints::Reset);
    t.Bind("IEnumConnectionPoints.Clone", &IEnumConnectionPoints::Clone);

    t.Adapt<IEnumConnections>("IEnumConnections.Next", &NextConnections);
    t.Bind("IEnumConnections.Skip", &IEnumConnections::Skip);
    t.Bind("IEnumConnections.Reset", &IEnumConnections::Reset);
    t.Bind("IEnumConnections.Clone", &IEnumConnections::Clone);
}

} // namespace tavigp
