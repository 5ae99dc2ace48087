// Connection points for classes that raise events: ConnectionPointContainer owns the points, ConnectionPoint keeps
// the sinks of one outgoing interface with their cookies, CEnumConnections_ enumerates those sinks. Unadvise during
// an enumeration only marks the sink; it is released when the last enumeration of that point ends.
#pragma once

#include "frame/Enumerators.h"

#include <vector>

namespace tavi {

class ConnectionPoint final : public Object<ConnectionPoint, IConnectionPoint> {
public:
    static constexpr const char16_t* kClassName = u"ConnectionPoint";
    // The first cookie handed out; each Advise takes the next one.
    static constexpr DWORD kFirstCookie = 100;

    // `container` is the owning container's unknown; the point does not hold a reference on it (the container
    // holds the point) and forgets it through DetachContainer when the container dies.
    ConnectionPoint(IUnknown* container, REFIID connectionInterface)
        : container_(container), connectionInterface_(connectionInterface) {}

    HRESULT GetConnectionInterface(IID* iid) override;
    // E_UNEXPECTED once the container is gone.
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // CONNECT_E_CANNOTCONNECT when the sink does not answer the connection interface.
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    // E_INVALIDARG for cookie 0, CONNECT_E_NOCONNECTION for a cookie no live sink holds.
    HRESULT Unadvise(DWORD cookie) override;
    // OLE_E_NOCONNECTION with a null enumerator when there are no sinks.
    HRESULT EnumConnections(IEnumConnections** connections) override;

    // The live sinks (queried for the connection interface), in Advise order: what an event is raised on.
    std::vector<ComPtr<IUnknown>> Sinks() const;
    void DetachContainer() { container_ = nullptr; }

private:
    friend class CEnumConnections_;

    struct Sink {
        ComPtr<IUnknown> sink;
        DWORD cookie;
        bool pendingRemoval;
    };

    void LockEnumeration() { ++enumerationLocks_; }
    // When the last enumeration ends, the sinks marked while it ran are released.
    void UnlockEnumeration();

    IUnknown* container_;
    IID connectionInterface_;
    DWORD nextCookie_ = kFirstCookie;
    std::vector<Sink> sinks_;
    int32_t enumerationLocks_ = 0;
};

class CEnumConnections_ final : public Object<CEnumConnections_, IEnumConnections> {
public:
    static constexpr const char16_t* kClassName = u"EnumConnections";

    // Holds the point and keeps its enumeration lock raised while it lives.
    explicit CEnumConnections_(ConnectionPoint* point, size_t cursor = 0);
    ~CEnumConnections_() override;

    // Up to `count` live sinks from the cursor, AddRef'ed, with their cookies. S_OK when `count` were handed out,
    // S_FALSE when the table ended first. A null `connections`, or a null `fetched` with count above 1: E_POINTER.
    HRESULT Next(ULONG count, CONNECTDATA* connections, ULONG* fetched) override;
    // Moves past `count` live sinks; S_FALSE when the table ends first.
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    // A new enumerator on the same point at the same cursor.
    HRESULT Clone(IEnumConnections** clone) override;

private:
    bool IsLive(size_t index) const;

    ComPtr<ConnectionPoint> point_;
    size_t cursor_;
};

// The connection points a class owns and the two container operations over them. A class that raises events holds
// one and answers IConnectionPointContainer with it (or uses the ConnectionPointContainer class below).
class ConnectionPointList {
public:
    ConnectionPointList() = default;
    ConnectionPointList(const ConnectionPointList&) = delete;
    ConnectionPointList& operator=(const ConnectionPointList&) = delete;
    ~ConnectionPointList();

    // Adds a point for `connectionInterface`; `container` is the owner's controlling unknown.
    ConnectionPoint* Add(IUnknown* container, REFIID connectionInterface);
    // The point of `connectionInterface`, or null.
    ConnectionPoint* Find(REFIID connectionInterface) const;

    // OLE_E_NOCONNECTION with a null enumerator when there are no points.
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points);
    // E_NOINTERFACE with a null point when no point has that interface.
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point);

private:
    std::vector<ComPtr<ConnectionPoint>> points_;
};

class ConnectionPointContainer final : public Object<ConnectionPointContainer, IConnectionPointContainer> {
public:
    static constexpr const char16_t* kClassName = u"ConnectionPointContainer";

    ConnectionPoint* AddConnectionPoint(REFIID connectionInterface) {
        return points_.Add(ControllingUnknown(), connectionInterface);
    }

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return points_.EnumConnectionPoints(points);
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        return points_.FindConnectionPoint(riid, point);
    }

private:
    ConnectionPointList points_;
};

} // namespace tavi
