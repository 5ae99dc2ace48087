// The binding table: every interface operation the bridge can call, by "Interface.operation".
//
// Binding an operation is one line naming the interface and the member; the name "IGPMessage.get_Type" is spelt
// from them, so it cannot disagree with the member bound, and the marshalling is derived from the member's signature
// (Marshal.h):
//
//   BIND(t, IGPMessage, get_Type);
//   BIND(t, IPersistStream, GetClassID); // declared on the base IPersist, bound and asked for as IPersistStream
//
// An operation whose parameters have no JSON form of their own (arrays with a count, buffers) is bound through an
// adapter: a function or lambda taking the interface pointer first and then parameters of the richer adapter types.
// The adapter stands in for the member it names, which must exist on the interface:
//
//   ADAPT(t, ICatRegister, RegisterClassImplCategories,
//         [](ICatRegister* r, const GUID& clsid, std::vector<GUID> ids) { ... });
//
// Each interface family binds its operations in a bind_<family>.cpp file, listed once in Bindings.cpp.
#pragma once

#include "bridge/Marshal.h"

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace tavigp {

// Adds to the description of an out object, e.g. the type, code and text of a message.
using OutDescriber = void (*)(IUnknown* object, Json& description);

class BindingTable {
public:
    struct Binding {
        IID iid;               // the interface the target object is asked for
        std::string signature; // the parameter kinds in order, e.g. "text, out object"
        int ins = 0, outs = 0;
        // Calls the operation on `target` (already queried for iid) and returns its result code; outs go to state.
        std::function<HRESULT(CallState& state, void* target)> invoke;
    };

    // Use BIND and ADAPT, which spell the name from the interface and the member.
    template <class I, class C, class... A> void Bind(const char* name, HRESULT (C::*fn)(A...)) {
        static_assert(std::is_base_of_v<C, I>, "the operation must belong to the interface it is bound on");
        Add<A...>(name, I::iid, [fn](void* target, A... args) { return (static_cast<I*>(target)->*fn)(args...); });
    }
    template <class I, class C, class... B, class... A>
    void Adapt(const char* name, HRESULT (C::*)(B...), HRESULT (*adapter)(I*, A...)) {
        static_assert(std::is_base_of_v<C, I>, "the adapted operation must belong to the interface it is bound on");
        Add<A...>(name, I::iid,
                  [adapter](void* target, A... args) { return adapter(static_cast<I*>(target), args...); });
    }
    template <class I, class C, class... B, class F> void Adapt(const char* name, HRESULT (C::*)(B...), F adapter) {
        static_assert(std::is_base_of_v<C, I>, "the adapted operation must belong to the interface it is bound on");
        AdaptWith<I>(name, adapter, &F::operator());
    }

    void Describe(OutDescriber describer) { describers_.push_back(describer); }

    const Binding* Find(const std::string& name) const;
    const std::map<std::string, Binding>& All() const { return bindings_; }
    const std::vector<OutDescriber>& Describers() const { return describers_; }

private:
    template <class I, class F, class... A>
    void AdaptWith(const char* name, F adapter, HRESULT (F::*)(I*, A...) const) {
        Add<A...>(name, I::iid,
                  [adapter](void* target, A... args) { return adapter(static_cast<I*>(target), args...); });
    }

    template <class... A, class Call> void Add(const char* name, const IID& iid, Call call) {
        Binding binding;
        binding.iid = iid;
        binding.ins = (0 + ... + Param<A>::kIns);
        binding.outs = (0 + ... + Param<A>::kOuts);
        binding.signature = Signature<A...>();
        binding.invoke = [call](CallState& state, void* target) {
            return Invoke<A...>(state, target, call, std::index_sequence_for<A...>());
        };
        Insert(name, std::move(binding));
    }
    // Adds the row; std::logic_error when the name is bound already, as the second row would hide the first.
    void Insert(const char* name, Binding binding);

    template <class... A, class Call, size_t... N>
    static HRESULT Invoke(CallState& state, void* target, const Call& call, std::index_sequence<N...>) {
        // A braced list prepares the arguments strictly left to right, as an earlier GUID names a later void**.
        std::tuple<typename Param<A>::Storage...> storage{Param<A>::Prepare(state)...};
        HRESULT hr = call(target, Param<A>::Pass(std::get<N>(storage))...);
        (Param<A>::Emit(state, std::get<N>(storage)), ...);
        return hr;
    }

    template <class... A> static std::string Signature() {
        std::string text;
        ((text += (text.empty() ? "" : ", ") + std::string(Param<A>::kKind)), ...);
        return text;
    }

    std::map<std::string, Binding> bindings_;
    std::vector<OutDescriber> describers_;
};

// BIND(t, IGPLong, get_Value) binds "IGPLong.get_Value" to &IGPLong::get_Value, also when the member is declared on
// a base interface; the object is asked for the interface named.
#define BIND(table, Interface, operation) (table).Bind<Interface>(#Interface "." #operation, &Interface::operation)
// ADAPT(t, IStream, Read, adapter) binds "IStream.Read" to an adapter standing in for &IStream::Read.
#define ADAPT(table, Interface, operation, ...)                                                                        \
    (table).Adapt<Interface>(#Interface "." #operation, &Interface::operation, __VA_ARGS__)

// The table of every bound operation, built once (Bindings.cpp).
const BindingTable& Bindings();

// What a call of a bound operation gave back.
struct CallOutcome {
    HRESULT hr = S_OK;
    bool noInterface = false;  // the object does not answer the operation's interface; `hr` says how it refused
    Json outs = Json::array(); // the out arguments in order, in their JSON forms
};
// Calls operation `name` (bound as `binding`) on `object` with `args`, its in arguments in their JSON forms, passing
// null pointers for the out positions in `nullOuts`; out objects are handed out in `session`. BridgeError when the
// argument count differs from the operation's or an argument cannot be read.
CallOutcome CallBound(Session& session, const std::string& name, const BindingTable::Binding& binding, IUnknown* object,
                      const Json& args, std::set<size_t> nullOuts = {});

// A binding family binds the operations of one group of interfaces, in its own bind_<family>.cpp; Bindings.cpp lists
// the families once.
using BindingFamily = void (*)(BindingTable& table);
void BindUnknownFamily(BindingTable& table);
void BindCollectionFamily(BindingTable& table);
void BindPersistFamily(BindingTable& table);
void BindCategoryFamily(BindingTable& table);
void BindMessageFamily(BindingTable& table);
void BindValueFamily(BindingTable& table);
void BindScalarFamily(BindingTable& table);
void BindCatalogueFamily(BindingTable& table);
void BindUtilitiesFamily(BindingTable& table);
void BindXmlFamily(BindingTable& table);
void BindDataFamily(BindingTable& table);
void BindDomainFamily(BindingTable& table);
void BindUnitFamily(BindingTable& table);
void BindExtentFamily(BindingTable& table);
void BindShapeFamily(BindingTable& table);
void BindSpatialReferenceFamily(BindingTable& table);
void BindCellSizeFamily(BindingTable& table);
void BindCompositeFamily(BindingTable& table);
void BindKeyValueFamily(BindingTable& table);
void BindFieldMappingFamily(BindingTable& table);
void BindFieldInfoFamily(BindingTable& table);
void BindRandomFamily(BindingTable& table);
void BindTextFamily(BindingTable& table);
void BindFieldDomainFamily(BindingTable& table);
void BindEnvironmentFamily(BindingTable& table);
void BindParameterFamily(BindingTable& table);
void BindLayerFamily(BindingTable& table);
void BindMapFamily(BindingTable& table);
void BindRecordFamily(BindingTable& table);

} // namespace tavigp
