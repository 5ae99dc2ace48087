// Connection points, their container and the enumeration of their sinks.
#include "frame/ConnectionPoint.h"

#include <algorithm>

namespace tavi {

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid)
        return E_POINTER;
    *iid = connectionInterface_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (HRESULT hr = ClearOut(container); FAILED(hr))
        return hr;
    if (!container_)
        return E_UNEXPECTED;
    return container_->QueryInterface(IConnectionPointContainer::iid, reinterpret_cast<void**>(container));
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> connected;
        if (FAILED(sink->QueryInterface(connectionInterface_, connected.OutVoid())) || !connected)
            return CONNECT_E_CANNOTCONNECT;
        sinks_.push_back(Sink{std::move(connected), nextCookie_, false});
        *cookie = nextCookie_++;
        return S_OK;
    });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    if (cookie == 0)
        return E_INVALIDARG;
    auto found = std::find_if(sinks_.begin(), sinks_.end(),
                              [&](const Sink& s) { return s.cookie == cookie && !s.pendingRemoval; });
    if (found == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    if (enumerationLocks_ > 0) {
        found->pendingRemoval = true;
        return S_OK;
    }
    // Moved out before erasing: releasing a sink may call back into this point.
    ComPtr<IUnknown> released = std::move(found->sink);
    sinks_.erase(found);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (HRESULT hr = ClearOut(connections); FAILED(hr))
        return hr;
    if (sinks_.empty())
        return OLE_E_NOCONNECTION;
    return guard([&] { *connections = MakeObject<CEnumConnections_>(this).Detach(); });
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> live;
    for (const Sink& s : sinks_)
        if (!s.pendingRemoval && s.sink)
            live.push_back(s.sink);
    return live;
}

void ConnectionPoint::UnlockEnumeration() {
    if (--enumerationLocks_ > 0)
        return;
    std::vector<ComPtr<IUnknown>> released;
    for (Sink& s : sinks_)
        if (s.pendingRemoval)
            released.push_back(std::move(s.sink));
    std::erase_if(sinks_, [](const Sink& s) { return s.pendingRemoval; });
}

CEnumConnections_::CEnumConnections_(ConnectionPoint* point, size_t cursor) : point_(point), cursor_(cursor) {
    point_->LockEnumeration();
}

CEnumConnections_::~CEnumConnections_() {
    point_->UnlockEnumeration();
}

bool CEnumConnections_::IsLive(size_t index) const {
    const auto& sink = point_->sinks_[index];
    return !sink.pendingRemoval && sink.sink;
}

HRESULT CEnumConnections_::Next(ULONG count, CONNECTDATA* connections, ULONG* fetched) {
    if (!connections || (!fetched && count > 1))
        return E_POINTER;
    ULONG handed = 0;
    const auto& sinks = point_->sinks_;
    for (; handed < count && cursor_ < sinks.size(); ++cursor_) {
        if (!IsLive(cursor_))
            continue;
        sinks[cursor_].sink.CopyTo(&connections[handed].pUnk);
        connections[handed].dwCookie = sinks[cursor_].cookie;
        ++handed;
    }
    for (ULONG rest = handed; rest < count; ++rest)
        connections[rest] = CONNECTDATA{nullptr, 0};
    if (fetched)
        *fetched = handed;
    return handed == count ? S_OK : S_FALSE;
}

HRESULT CEnumConnections_::Skip(ULONG count) {
    const size_t size = point_->sinks_.size();
    for (ULONG skipped = 0; skipped < count; ++cursor_) {
        if (cursor_ >= size)
            return S_FALSE;
        if (IsLive(cursor_))
            ++skipped;
    }
    return S_OK;
}

HRESULT CEnumConnections_::Reset() {
    cursor_ = 0;
    return S_OK;
}

HRESULT CEnumConnections_::Clone(IEnumConnections** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&] { *clone = MakeObject<CEnumConnections_>(point_.Get(), cursor_).Detach(); });
}

ConnectionPointList::~ConnectionPointList() {
    for (auto& point : points_)
        point->DetachContainer();
}

ConnectionPoint* ConnectionPointList::Add(IUnknown* container, REFIID connectionInterface) {
    points_.push_back(MakeObject<ConnectionPoint>(container, connectionInterface));
    return points_.back().Get();
}

ConnectionPoint* ConnectionPointList::Find(REFIID connectionInterface) const {
    for (const auto& point : points_) {
        IID iid{};
        if (SUCCEEDED(point->GetConnectionInterface(&iid)) && iid == connectionInterface)
            return point.Get();
    }
    return nullptr;
}

HRESULT ConnectionPointList::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (HRESULT hr = ClearOut(points); FAILED(hr))
        return hr;
    if (points_.empty())
        return OLE_E_NOCONNECTION;
    return guard([&]() -> HRESULT {
        std::vector<ComPtr<IConnectionPoint>> items(points_.begin(), points_.end());
        auto enumerator = MakeObject<Enumerator<IEnumConnectionPoints, IConnectionPoint>>(std::move(items));
        return enumerator->QueryInterface(IEnumConnectionPoints::iid, reinterpret_cast<void**>(points));
    });
}

HRESULT ConnectionPointList::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (HRESULT hr = ClearOut(point); FAILED(hr))
        return hr;
    ConnectionPoint* found = Find(riid);
    if (!found)
        return E_NOINTERFACE;
    return found->QueryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(point));
}

} // namespace tavi
