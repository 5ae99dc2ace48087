// How a parameter of an interface operation crosses the bridge, chosen from its C++ type alone.
//
// Param<T> classifies T as an in argument (read from the request's "args") or an out argument (supplied by the
// bridge and reported in the reply's "out"), and says how:
//   const OLECHAR*, BSTR                 in text: a string, or null / {"nullptr": true} for a null pointer
//   BSTR*                                out text: a string, or null for a null BSTR
//   integers, enumerations               in number (a 64-bit one may be a decimal string; 16-bit ones, which
//                                        include VARIANT_BOOL, also take true = -1 and false = 0)
//   pointers to them                     out number (VARIANT_BOOL as its raw 16-bit value)
//   float, double                        in number, "NaN", "Infinity" or "-Infinity"; pointers out, the same way
//   VARIANT, const VARIANT*/&            in {"vt": "VT_R8", "value": 1.5}; a pointer may be null; a safe array as
//                                        {"vt": "VT_ARRAY|VT_BSTR", "value": ["a", "b"]} (items of VT_VARIANT
//                                        arrays in the full form; "lbound" when it is not 0)
//   VARIANT*                             out, the same form
//   GUID, REFIID, const GUID*            in "{XXXXXXXX-…}"; an in GUID also names the interface of a later void**
//   GUID*                                out, upper case
//   I* (I an interface)                  in {"object": "name"}, null or {"nullptr": true}
//   I**, void**                          out object, handed out as "$N" (see Session::HandOut)
// Operations whose parameters carry arrays or buffers are bound through adapters (Binding.h) whose own parameters
// use the richer types below: std::vector<GUID>, HexBytes, CategoryInfos in; their pointers, ObjectList* and
// ConnectionList* out.
#pragma once

#include "bridge/Session.h"
#include "bridge/Text.h"

#include "tavi/Categories.h"
#include "tavi/Collections.h"

#include "platform/BStr.h"

#include <set>
#include <type_traits>
#include <vector>

namespace tavigp {

// What one call reads and writes while its arguments are marshalled.
struct CallState {
    CallState(Session& s, const Json& a, std::set<size_t> nulls = {})
        : session(s), args(a), nullOuts(std::move(nulls)) {}

    Session& session;
    const Json& args;
    std::set<size_t> nullOuts; // positions among the outs that get a null pointer
    size_t nextIn = 0;
    size_t nextOut = 0;
    std::optional<IID> lastIid; // the latest in GUID, naming the interface of a later void**
    Json outs = Json::array();

    // The next in argument; the caller has checked the count.
    const Json& NextIn() { return args.at(nextIn++); }
    // Whether the next out argument is to be passed as a null pointer.
    bool NextOutIsNull() { return nullOuts.count(nextOut++) != 0; }
    // Fails the request, naming the argument being read.
    [[noreturn]] void Fail(const std::string& what) const {
        throw BridgeError("argument " + std::to_string(nextIn - 1) + ": " + what);
    }
};

// Adapter types: richer in and out forms than a raw signature allows.
struct HexBytes {
    std::vector<uint8_t> bytes; // "0a1b…" in JSON
};
struct ObjectList {
    std::vector<tavi::ComPtr<IUnknown>> objects; // handed out one by one
};
struct Connection {
    tavi::ComPtr<IUnknown> sink;
    DWORD cookie;
};
using ConnectionList = std::vector<Connection>;  // [{"sink": {"object": "$N", …}, "cookie": 100}, …]
using CategoryInfos = std::vector<CATEGORYINFO>; // [{"catid": "{…}", "lcid": 1033, "description": "…"}, …]

// Conversions the Param classes share.
bool IsNullArgument(const Json& value);
int64_t SignedFromJson(CallState& state, const Json& value, int64_t min, int64_t max, bool allowBool);
uint64_t UnsignedFromJson(CallState& state, const Json& value, uint64_t max);
double DoubleFromJson(CallState& state, const Json& value);
Json DoubleToJson(double value);
GUID GuidFromJson(CallState& state, const Json& value);
std::u16string TextFromJson(CallState& state, const Json& value);
// Fills `out` (VariantInit'ed) from the JSON form; BridgeError for a form it cannot read.
void VariantFromJson(CallState& state, const Json& value, VARIANT* out);
Json VariantToJson(Session& session, const VARIANT& value);
// The session object an in interface argument names, queried for `iid`; null for a null argument.
tavi::ComPtr<IUnknown> ObjectFromJson(CallState& state, const Json& value, const IID& iid);
std::vector<uint8_t> HexFromJson(CallState& state, const Json& value);
// Hex digits (either case, two per byte) to bytes; nothing with the reason in `why` for anything else.
std::optional<std::vector<uint8_t>> ParseHex(std::string_view text, std::string* why);
std::string HexText(const std::vector<uint8_t>& bytes);

template <class T> constexpr bool kIsInterface = std::is_class_v<T>&& std::is_base_of_v<IUnknown, T>;
template <class T>
constexpr bool kIsNumber = (std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char16_t> &&
                            !std::is_same_v<T, char>) ||
                           std::is_enum_v<T>;

template <class T, class = void> struct Param; // an unsupported parameter type fails to compile here

// Shared shape of the in kinds: storage prepared from the next argument, nothing reported.
struct InParam {
    static constexpr int kIns = 1, kOuts = 0;
    template <class S> static void Emit(CallState&, S&) {}
};
// Shared shape of the out kinds: storage with a null flag (the request names the outs passed as null pointers),
// reported after the call by the kind's Emit.
template <class Value> struct OutSlot {
    Value value{};
    bool null = false;
};
template <class Value> struct OutParam {
    static constexpr int kIns = 0, kOuts = 1;
    using Storage = OutSlot<Value>;
    static Storage Prepare(CallState& s) {
        Storage st;
        st.null = s.NextOutIsNull();
        return st;
    }
};

template <> struct Param<const OLECHAR*> : InParam {
    struct Storage {
        std::u16string text;
        bool null;
    };
    static constexpr const char* kKind = "text";
    static Storage Prepare(CallState& s) {
        const Json& v = s.NextIn();
        return IsNullArgument(v) ? Storage{u"", true} : Storage{TextFromJson(s, v), false};
    }
    static const OLECHAR* Pass(Storage& st) { return st.null ? nullptr : st.text.c_str(); }
};

template <> struct Param<BSTR> : InParam {
    using Storage = tavi::BStr;
    static constexpr const char* kKind = "BSTR";
    static Storage Prepare(CallState& s) {
        const Json& v = s.NextIn();
        return IsNullArgument(v) ? tavi::BStr() : tavi::BStr(std::u16string_view(TextFromJson(s, v)));
    }
    static BSTR Pass(Storage& st) { return st.Get(); }
};

template <> struct Param<BSTR*> : OutParam<tavi::BStr> {
    static constexpr const char* kKind = "out BSTR";
    static BSTR* Pass(Storage& st) { return st.null ? nullptr : st.value.Out(); }
    static void Emit(CallState& s, Storage& st) {
        s.outs.push_back(st.null || st.value.IsNull() ? Json(nullptr) : Json(Narrow(st.value.view())));
    }
};

template <class T> struct Param<T, std::enable_if_t<kIsNumber<T>>> : InParam {
    using Storage = T;
    static constexpr const char* kKind = "number";
    static T Prepare(CallState& s) {
        using U = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::type_identity<T>>::type;
        const Json& v = s.NextIn();
        if constexpr (std::is_signed_v<U>)
            return static_cast<T>(
                SignedFromJson(s, v, std::numeric_limits<U>::min(), std::numeric_limits<U>::max(), sizeof(U) == 2));
        else
            return static_cast<T>(UnsignedFromJson(s, v, std::numeric_limits<U>::max()));
    }
    static T Pass(T& st) { return st; }
};

template <class T> struct Param<T, std::enable_if_t<std::is_floating_point_v<T>>> : InParam {
    using Storage = T;
    static constexpr const char* kKind = "double";
    static T Prepare(CallState& s) { return static_cast<T>(DoubleFromJson(s, s.NextIn())); }
    static T Pass(T& st) { return st; }
};

// Out numbers of every width, and out doubles.
template <class T> struct Param<T*, std::enable_if_t<kIsNumber<T> || std::is_floating_point_v<T>>> : OutParam<T> {
    static constexpr const char* kKind = std::is_floating_point_v<T> ? "out double" : "out number";
    using Storage = typename OutParam<T>::Storage;
    static T* Pass(Storage& st) { return st.null ? nullptr : &st.value; }
    static void Emit(CallState& s, Storage& st) {
        if (st.null)
            s.outs.push_back(nullptr);
        else if constexpr (std::is_floating_point_v<T>)
            s.outs.push_back(DoubleToJson(st.value));
        else if constexpr (std::is_enum_v<T>)
            s.outs.push_back(static_cast<std::underlying_type_t<T>>(st.value));
        else
            s.outs.push_back(st.value);
    }
};

struct VariantIn : InParam {
    static constexpr const char* kKind = "VARIANT";
    static tavi::Variant Prepare(CallState& s) {
        tavi::Variant v;
        VariantFromJson(s, s.NextIn(), &v);
        return v;
    }
};
template <> struct Param<VARIANT> : VariantIn {
    using Storage = tavi::Variant;
    static VARIANT Pass(Storage& st) { return st; } // a shallow copy: the callee borrows, the storage owns
};
template <> struct Param<const VARIANT&> : VariantIn {
    using Storage = tavi::Variant;
    static const VARIANT& Pass(Storage& st) { return st; }
};
// A pointer may also be null.
template <> struct Param<const VARIANT*> : InParam {
    struct Storage {
        tavi::Variant value;
        bool null;
    };
    static constexpr const char* kKind = "VARIANT";
    static Storage Prepare(CallState& s) {
        if (IsNullArgument(s.args.at(s.nextIn))) {
            ++s.nextIn;
            return {tavi::Variant(), true};
        }
        return {VariantIn::Prepare(s), false};
    }
    static const VARIANT* Pass(Storage& st) { return st.null ? nullptr : &st.value; }
};
template <> struct Param<VARIANT*> : OutParam<tavi::Variant> {
    static constexpr const char* kKind = "out VARIANT";
    static VARIANT* Pass(Storage& st) { return st.null ? nullptr : &st.value; }
    static void Emit(CallState& s, Storage& st) {
        s.outs.push_back(st.null ? Json(nullptr) : VariantToJson(s.session, st.value));
    }
};

// Only a pointer may be null; an identifier passed by value or reference must be given.
template <bool kNullable> struct GuidIn : InParam {
    struct Storage {
        GUID guid;
        bool null;
    };
    static constexpr const char* kKind = "GUID";
    static Storage Prepare(CallState& s) {
        const Json& v = s.NextIn();
        if (kNullable && IsNullArgument(v))
            return {GUID_NULL, true};
        GUID g = GuidFromJson(s, v);
        s.lastIid = g;
        return {g, false};
    }
};
template <> struct Param<GUID> : GuidIn<false> {
    static GUID Pass(Storage& st) { return st.guid; }
};
template <> struct Param<const GUID&> : GuidIn<false> {
    static const GUID& Pass(Storage& st) { return st.guid; }
};
template <> struct Param<const GUID*> : GuidIn<true> {
    static const GUID* Pass(Storage& st) { return st.null ? nullptr : &st.guid; }
};
template <> struct Param<GUID*> : OutParam<GUID> {
    static constexpr const char* kKind = "out GUID";
    static GUID* Pass(Storage& st) { return st.null ? nullptr : &st.value; }
    static void Emit(CallState& s, Storage& st) {
        s.outs.push_back(st.null ? Json(nullptr) : Json(GuidToText(st.value)));
    }
};

template <class I> struct Param<I*, std::enable_if_t<kIsInterface<I>>> : InParam {
    using Storage = tavi::ComPtr<IUnknown>; // holds the pointer queried for I
    static constexpr const char* kKind = "object";
    static Storage Prepare(CallState& s) { return ObjectFromJson(s, s.NextIn(), I::iid); }
    static I* Pass(Storage& st) { return static_cast<I*>(static_cast<IUnknown*>(st.Get())); }
};

// An out object. For void** the interface is the one named by the latest in GUID; the object is held as IUnknown,
// which every interface pointer is.
template <class P> struct OutObjectParam : OutParam<P*> {
    static constexpr const char* kKind = "out object";
    using Storage = typename OutParam<P*>::Storage;
    static Storage Prepare(CallState& s) {
        if constexpr (std::is_void_v<P>)
            if (!s.lastIid)
                throw BridgeError("an out void** needs an interface identifier argument before it");
        return OutParam<P*>::Prepare(s);
    }
    static P** Pass(Storage& st) { return st.null ? nullptr : &st.value; }
    static void Emit(CallState& s, Storage& st) {
        if (st.null || !st.value) {
            s.outs.push_back(nullptr);
            return;
        }
        auto* object = static_cast<IUnknown*>(std::exchange(st.value, nullptr));
        s.outs.push_back(s.session.HandOut(tavi::ComPtr<IUnknown>::Adopt(object)));
    }
};
template <class I> struct Param<I**, std::enable_if_t<kIsInterface<I>>> : OutObjectParam<I> {};
template <> struct Param<void**> : OutObjectParam<void> {};

// Adapter types.
template <> struct Param<std::vector<GUID>> : InParam {
    using Storage = std::vector<GUID>;
    static constexpr const char* kKind = "GUID array";
    static Storage Prepare(CallState& s);
    static std::vector<GUID>& Pass(Storage& st) { return st; }
};
template <> struct Param<HexBytes> : InParam {
    using Storage = HexBytes;
    static constexpr const char* kKind = "hex bytes";
    static Storage Prepare(CallState& s) { return {HexFromJson(s, s.NextIn())}; }
    static HexBytes& Pass(Storage& st) { return st; }
};
template <> struct Param<CategoryInfos> : InParam {
    using Storage = CategoryInfos;
    static constexpr const char* kKind = "category infos";
    static Storage Prepare(CallState& s);
    static CategoryInfos& Pass(Storage& st) { return st; }
};

// Out adapter types: a value the adapter fills, reported by EmitValue.
template <class T> struct OutAdapterParam : OutParam<T> {
    using Storage = typename OutParam<T>::Storage;
    static T* Pass(Storage& st) { return st.null ? nullptr : &st.value; }
    static void Emit(CallState& s, Storage& st) { s.outs.push_back(st.null ? Json(nullptr) : EmitValue(s, st.value)); }
    static Json EmitValue(CallState& s, T& value);
};
template <> Json OutAdapterParam<std::vector<GUID>>::EmitValue(CallState&, std::vector<GUID>&);
template <> Json OutAdapterParam<HexBytes>::EmitValue(CallState&, HexBytes&);
template <> Json OutAdapterParam<ObjectList>::EmitValue(CallState&, ObjectList&);
template <> Json OutAdapterParam<ConnectionList>::EmitValue(CallState&, ConnectionList&);

template <> struct Param<std::vector<GUID>*> : OutAdapterParam<std::vector<GUID>> {
    static constexpr const char* kKind = "out GUID array";
};
template <> struct Param<HexBytes*> : OutAdapterParam<HexBytes> {
    static constexpr const char* kKind = "out hex bytes";
};
template <> struct Param<ObjectList*> : OutAdapterParam<ObjectList> {
    static constexpr const char* kKind = "out object array";
};
template <> struct Param<ConnectionList*> : OutAdapterParam<ConnectionList> {
    static constexpr const char* kKind = "out connection array";
};

} // namespace tavigp
