// Connection points: cookies from 100, sinks that cannot connect, Unadvise deferred while enumerations live, the
// enumeration's Next/Skip/Reset/Clone, and the container's lookups.
#include "TestSupport.h"

#include "frame/ConnectionPoint.h"

#include <vector>

namespace tavi::test {
namespace {

struct ITestEvents : IUnknown {
    static constexpr IID iid{0xCE7E0001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
    virtual HRESULT OnEvent() = 0;
};
struct IOtherEvents : IUnknown {
    static constexpr IID iid{0xCE7E0002, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
};

class Sink final : public Object<Sink, ITestEvents> {
public:
    HRESULT OnEvent() override { return S_OK; }
};

class ConnectionPointTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        container_ = MakeObject<ConnectionPointContainer>();
        point_ = container_->AddConnectionPoint(ITestEvents::iid);
    }
    void TearDown() override {
        container_ = nullptr;
        LeakCheckedTest::TearDown();
    }
    ComPtr<ConnectionPointContainer> container_;
    ConnectionPoint* point_ = nullptr;
};

TEST_F(ConnectionPointTest, AdviseHandsOutCookiesFrom100AndRefusesSinksWithoutTheInterface) {
    auto a = MakeObject<Sink>(), b = MakeObject<Sink>();
    DWORD cookie = 7;
    ASSERT_EQ(point_->Advise(a->InnerUnknown(), &cookie), S_OK);
    EXPECT_EQ(cookie, 100u);
    ASSERT_EQ(point_->Advise(b->InnerUnknown(), &cookie), S_OK);
    EXPECT_EQ(cookie, 101u);
    EXPECT_EQ(a->RefCount(), 2u) << "the point holds the sink";

    auto stranger = MakeObject<ConnectionPointContainer>();
    EXPECT_EQ(point_->Advise(stranger->InnerUnknown(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);

    EXPECT_EQ(point_->Unadvise(0), E_INVALIDARG);
    EXPECT_EQ(point_->Unadvise(102), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point_->Unadvise(100), S_OK);
    EXPECT_EQ(a->RefCount(), 1u);
    EXPECT_EQ(point_->Unadvise(100), CONNECT_E_NOCONNECTION) << "already gone";
    EXPECT_EQ(point_->Sinks().size(), 1u);
}

TEST_F(ConnectionPointTest, EnumConnectionsWithoutSinksIsNoConnection) {
    ComPtr<IEnumConnections> connections;
    EXPECT_EQ(point_->EnumConnections(connections.Out()), OLE_E_NOCONNECTION);
    EXPECT_FALSE(connections);
    EXPECT_EQ(point_->EnumConnections(nullptr), E_POINTER);
}

TEST_F(ConnectionPointTest, UnadviseDuringAnEnumerationIsDeferredAndSkipped) {
    auto a = MakeObject<Sink>(), b = MakeObject<Sink>(), c = MakeObject<Sink>();
    DWORD cookies[3];
    point_->Advise(a->InnerUnknown(), &cookies[0]);
    point_->Advise(b->InnerUnknown(), &cookies[1]);
    point_->Advise(c->InnerUnknown(), &cookies[2]);

    ComPtr<IEnumConnections> first, second;
    ASSERT_EQ(point_->EnumConnections(first.Out()), S_OK);
    ASSERT_EQ(point_->EnumConnections(second.Out()), S_OK);
    ASSERT_EQ(point_->Unadvise(cookies[1]), S_OK);
    EXPECT_EQ(b->RefCount(), 2u) << "held until the last enumeration ends";
    EXPECT_EQ(point_->Unadvise(cookies[1]), CONNECT_E_NOCONNECTION);

    CONNECTDATA data[3] = {};
    ULONG fetched = 0;
    ASSERT_EQ(first->Next(3, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u) << "the running enumeration skips the removed sink";
    EXPECT_EQ(data[0].dwCookie, cookies[0]);
    EXPECT_EQ(data[1].dwCookie, cookies[2]);
    EXPECT_EQ(data[2].pUnk, nullptr);
    for (ULONG i = 0; i < fetched; ++i)
        data[i].pUnk->Release();

    first = nullptr;
    EXPECT_EQ(b->RefCount(), 2u);
    second = nullptr;
    EXPECT_EQ(b->RefCount(), 1u) << "released with the last enumeration";
    EXPECT_EQ(point_->Sinks().size(), 2u);
}

TEST_F(ConnectionPointTest, EnumerationNextSkipResetClone) {
    std::vector<ComPtr<Sink>> sinks;
    for (int i = 0; i < 4; ++i) {
        sinks.push_back(MakeObject<Sink>());
        DWORD cookie;
        point_->Advise(sinks.back()->InnerUnknown(), &cookie);
    }
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point_->EnumConnections(connections.Out()), S_OK);
    ASSERT_EQ(point_->Unadvise(101), S_OK); // deferred: the enumeration is alive

    CONNECTDATA data[2] = {};
    EXPECT_EQ(connections->Next(2, data, nullptr), E_POINTER) << "more than one needs a count";
    EXPECT_EQ(connections->Next(1, nullptr, nullptr), E_POINTER);
    ASSERT_EQ(connections->Next(1, data, nullptr), S_OK);
    EXPECT_EQ(data[0].dwCookie, 100u);
    data[0].pUnk->Release();

    ASSERT_EQ(connections->Skip(1), S_OK) << "over 102; 101 is not live";
    ComPtr<IEnumConnections> clone;
    ASSERT_EQ(connections->Clone(clone.Out()), S_OK);
    ULONG fetched = 0;
    ASSERT_EQ(clone->Next(2, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(data[0].dwCookie, 103u) << "the clone continues from the same cursor";
    data[0].pUnk->Release();
    EXPECT_EQ(connections->Skip(2), S_FALSE);

    ASSERT_EQ(connections->Reset(), S_OK);
    ASSERT_EQ(connections->Next(2, data, &fetched), S_OK);
    EXPECT_EQ(data[0].dwCookie, 100u);
    EXPECT_EQ(data[1].dwCookie, 102u);
    data[0].pUnk->Release();
    data[1].pUnk->Release();
}

TEST_F(ConnectionPointTest, ContainerFindsAndEnumeratesItsPoints) {
    container_->AddConnectionPoint(IOtherEvents::iid);
    ComPtr<IConnectionPoint> found;
    ASSERT_EQ(container_->FindConnectionPoint(IOtherEvents::iid, found.Out()), S_OK);
    IID iid{};
    ASSERT_EQ(found->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(iid == IOtherEvents::iid);
    EXPECT_EQ(container_->FindConnectionPoint(IUnknown::iid, found.Out()), E_NOINTERFACE);
    EXPECT_FALSE(found);

    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(point_->GetConnectionPointContainer(back.Out()), S_OK);
    EXPECT_TRUE(SameObject(back.Get(), container_.Get()));

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container_->EnumConnectionPoints(points.Out()), S_OK);
    IConnectionPoint* got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0], static_cast<IConnectionPoint*>(point_));
    got[0]->Release();
    got[1]->Release();

    auto empty = MakeObject<ConnectionPointContainer>();
    EXPECT_EQ(empty->EnumConnectionPoints(points.Out()), OLE_E_NOCONNECTION);
    EXPECT_FALSE(points);
}

TEST_F(ConnectionPointTest, APointOutlivingItsContainerNoLongerReachesIt) {
    ComPtr<IConnectionPoint> kept(point_);
    container_ = nullptr;
    ComPtr<IConnectionPointContainer> back;
    EXPECT_EQ(kept->GetConnectionPointContainer(back.Out()), E_UNEXPECTED);
    EXPECT_FALSE(back);
}

} // namespace
} // namespace tavi::test
