// The stream primitives: byte layout and round trips of every kind, strings and variants, nested objects, and
// truncated or corrupt input, which must give E_FAIL at every byte position.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/StreamIO.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace tavi {
namespace {

// A persisted test class: its stream form is one 32-bit number; the number -1 is followed by a nested object, so
// that a stream can nest objects as deep as it likes.
class Persisted final : public Object<Persisted, IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId{0x5A1E0001, 0x1, 0x2, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
    static constexpr const char16_t* kClassName = u"Persisted";

    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override {
        if (FAILED(AfStreamRead(stream, &value_)))
            return E_FAIL;
        if (value_ == -2)
            return E_FAIL; // a form this class refuses
        if (value_ == -1)
            return LoadObject(stream, IUnknown::iid, nested_.OutVoid());
        return S_OK;
    }
    HRESULT Save(IStream* stream, int32_t clearDirty) override {
        if (clearDirty)
            dirty_ = false;
        return AfStreamWrite(stream, value_);
    }
    HRESULT GetSizeMax(uint64_t* size) override { return E_NOTIMPL; }

    int32_t value_ = 0;
    bool dirty_ = true;
    ComPtr<IUnknown> nested_;
};

class Factory final : public Object<Factory, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return tavi::CreateInstance<Persisted>(outer, riid, ppv);
    }
    HRESULT LockServer(int32_t) override { return S_OK; }
};

HRESULT TestClassSource(REFCLSID clsid, REFIID riid, void** ppv) {
    *ppv = nullptr;
    if (!(clsid == Persisted::kClassId))
        return CLASS_E_CLASSNOTAVAILABLE;
    return MakeObject<Factory>()->QueryInterface(riid, ppv);
}

// Installs the test class source for the test's duration and puts back what was there.
class StreamIOTest : public test::LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        saved_ = ModuleClassSource();
        SetModuleClassSource(&TestClassSource);
    }
    void TearDown() override {
        SetModuleClassSource(saved_);
        LeakCheckedTest::TearDown();
    }
    static ComPtr<IStream> NewStream() {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
        return stream;
    }
    static std::vector<uint8_t> Bytes(IStream* stream) {
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        std::vector<uint8_t> bytes(stat.cbSize);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        return bytes;
    }
    static ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), 0, stream.Out()), S_OK);
        return stream;
    }

    ClassObjectSource saved_ = nullptr;
};

constexpr GUID kGuid{0x01020304, 0x0506, 0x0708, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}};

TEST_F(StreamIOTest, ScalarsAreLittleEndian) {
    struct Case {
        std::function<HRESULT(IStream*)> write;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {[](IStream* s) { return AfStreamWrite(s, int8_t{-2}); }, {0xFE}},
        {[](IStream* s) { return AfStreamWrite(s, uint8_t{0xAB}); }, {0xAB}},
        {[](IStream* s) { return AfStreamWrite(s, int16_t{-2}); }, {0xFE, 0xFF}},
        {[](IStream* s) { return AfStreamWrite(s, uint16_t{0x1234}); }, {0x34, 0x12}},
        {[](IStream* s) { return AfStreamWrite(s, int32_t{0x01020304}); }, {4, 3, 2, 1}},
        {[](IStream* s) { return AfStreamWrite(s, uint32_t{0xFFFFFFFE}); }, {0xFE, 0xFF, 0xFF, 0xFF}},
        {[](IStream* s) { return AfStreamWrite(s, int64_t{-1}); }, std::vector<uint8_t>(8, 0xFF)},
        {[](IStream* s) { return AfStreamWrite(s, uint64_t{0x0102030405060708}); }, {8, 7, 6, 5, 4, 3, 2, 1}},
        {[](IStream* s) { return AfStreamWrite(s, 1.0f); }, {0, 0, 0x80, 0x3F}},
        {[](IStream* s) { return AfStreamWrite(s, 1.0); }, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {[](IStream* s) { return AfStreamWrite(s, u'\u20AC'); }, {0xAC, 0x20}},
        {[](IStream* s) { return AfStreamWrite(s, kGuid); }, {4, 3, 2, 1, 6, 5, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16}},
        {[](IStream* s) { return WriteString(s, u"A\u00E9"); }, {2, 0, 0, 0, 'A', 0, 0xE9, 0}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        auto stream = NewStream();
        ASSERT_EQ(cases[i].write(stream.Get()), S_OK);
        EXPECT_EQ(Bytes(stream.Get()), cases[i].bytes);
    }
}

// Writes one of every kind; ReadEverything reads them back in the same order and checks the values.
void WriteEverything(IStream* s) {
    ASSERT_EQ(AfStreamWrite(s, int8_t{INT8_MIN}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, uint8_t{UINT8_MAX}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, int16_t{INT16_MIN}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, uint16_t{UINT16_MAX}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, int32_t{INT32_MIN}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, uint32_t{UINT32_MAX}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, int64_t{INT64_MIN}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, uint64_t{UINT64_MAX}), S_OK);
    ASSERT_EQ(AfStreamWrite(s, -0.0f), S_OK);
    ASSERT_EQ(AfStreamWrite(s, 1e-310), S_OK); // a subnormal survives bit for bit
    ASSERT_EQ(AfStreamWrite(s, kGuid), S_OK);
    ASSERT_EQ(AfStreamWrite(s, u'\xD83D'), S_OK); // a lone surrogate is a code unit like any other
    ASSERT_EQ(WriteString(s, std::u16string_view(u"a\0\U0001F600", 4)), S_OK);
    ASSERT_EQ(WriteString(s, u""), S_OK);
    Variant text = Variant::Text(u"variant");
    ASSERT_EQ(WriteVariant(s, text), S_OK);
    ASSERT_EQ(WriteVariant(s, Variant::Double(2.5)), S_OK);
    auto object = MakeObject<Persisted>();
    object->value_ = 77;
    ASSERT_EQ(SaveObject(object.Get(), s, true), S_OK);
}

HRESULT ReadEverything(IStream* s) {
    int8_t i8;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
    int64_t i64;
    uint64_t u64;
    float f;
    double d;
    GUID g;
    char16_t c;
    String text, empty;
    Variant v1, v2;
    ComPtr<IUnknown> object;
    HRESULT steps[] = {
        AfStreamRead(s, &i8),
        AfStreamRead(s, &u8),
        AfStreamRead(s, &i16),
        AfStreamRead(s, &u16),
        AfStreamRead(s, &i32),
        AfStreamRead(s, &u32),
        AfStreamRead(s, &i64),
        AfStreamRead(s, &u64),
        AfStreamRead(s, &f),
        AfStreamRead(s, &d),
        AfStreamRead(s, &g),
        AfStreamRead(s, &c),
        ReadString(s, &text),
        ReadString(s, &empty),
        ReadVariant(s, &v1),
        ReadVariant(s, &v2),
        LoadObject(s, IUnknown::iid, object.OutVoid()),
    };
    for (HRESULT hr : steps)
        if (FAILED(hr))
            return hr;
    EXPECT_EQ(i8, INT8_MIN);
    EXPECT_EQ(u8, UINT8_MAX);
    EXPECT_EQ(i16, INT16_MIN);
    EXPECT_EQ(u16, UINT16_MAX);
    EXPECT_EQ(i32, INT32_MIN);
    EXPECT_EQ(u32, UINT32_MAX);
    EXPECT_EQ(i64, INT64_MIN);
    EXPECT_EQ(u64, UINT64_MAX);
    EXPECT_TRUE(f == 0.0f && std::signbit(f));
    EXPECT_EQ(d, 1e-310);
    EXPECT_EQ(g, kGuid);
    EXPECT_EQ(c, u'\xD83D');
    EXPECT_EQ(text, std::u16string_view(u"a\0\U0001F600", 4));
    EXPECT_EQ(empty, u"");
    EXPECT_EQ(v1.vt, VT_BSTR);
    EXPECT_EQ(BStr(v1.bstrVal).str(), u"variant");
    EXPECT_EQ(v2.vt, VT_R8);
    EXPECT_EQ(v2.dblVal, 2.5);
    auto persisted = object.As<IPersistStream>();
    EXPECT_TRUE(persisted);
    EXPECT_EQ(static_cast<Persisted*>(persisted.Get())->value_, 77);
    return S_OK;
}

TEST_F(StreamIOTest, EverythingRoundTripsAndEveryTruncationFails) {
    auto stream = NewStream();
    WriteEverything(stream.Get());
    std::vector<uint8_t> bytes = Bytes(stream.Get());
    EXPECT_EQ(ReadEverything(StreamOf(bytes).Get()), S_OK);
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_EQ(ReadEverything(StreamOf(prefix).Get()), E_FAIL);
    }
}

TEST_F(StreamIOTest, CorruptStringLengthsFailWithoutHugeAllocations) {
    struct Case {
        std::vector<uint8_t> bytes;
        HRESULT hr;
    };
    const Case cases[] = {
        {{0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}, E_FAIL}, // two billion units announced, one there
        {{0xFF, 0xFF, 0xFF, 0xFF}, E_FAIL},         // negative
        {{0x02, 0, 0, 0, 'a', 0, 'b'}, E_FAIL},     // half a unit missing
        {{0x01, 0, 0}, E_FAIL},                     // the count itself cut short
        {{0x01, 0, 0, 0, 'z', 0}, S_OK},
    };
    for (const auto& c : cases) {
        String text = u"previous";
        EXPECT_EQ(ReadString(StreamOf(c.bytes).Get(), &text), c.hr);
        EXPECT_EQ(text, c.hr == S_OK ? u"z" : u""); // cleared on failure
    }
    // A long text crosses the chunk size.
    String longText(100000, u'x');
    longText[99999] = u'y';
    auto stream = NewStream();
    ASSERT_EQ(WriteString(stream.Get(), longText), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    String read;
    ASSERT_EQ(ReadString(stream.Get(), &read), S_OK);
    EXPECT_EQ(read, longText);
}

TEST_F(StreamIOTest, VariantsOfEveryKindRoundTrip) {
    auto make = [](VARTYPE vt, auto set) {
        Variant v;
        v.llVal = 0; // the narrow kinds leave the rest of the payload zero, as reading does
        v.vt = vt;
        set(v);
        return v;
    };
    std::vector<Variant> values;
    values.push_back(Variant());
    values.push_back(make(VT_NULL, [](Variant&) {}));
    values.push_back(make(VT_I1, [](Variant& v) { v.cVal = -5; }));
    values.push_back(make(VT_UI1, [](Variant& v) { v.bVal = 200; }));
    values.push_back(make(VT_I2, [](Variant& v) { v.iVal = -300; }));
    values.push_back(make(VT_UI2, [](Variant& v) { v.uiVal = 60000; }));
    values.push_back(make(VT_BOOL, [](Variant& v) { v.boolVal = VARIANT_TRUE; }));
    values.push_back(make(VT_I4, [](Variant& v) { v.lVal = -70000; }));
    values.push_back(make(VT_UI4, [](Variant& v) { v.ulVal = 4000000000u; }));
    values.push_back(make(VT_INT, [](Variant& v) { v.intVal = -9; }));
    values.push_back(make(VT_UINT, [](Variant& v) { v.uintVal = 9; }));
    values.push_back(make(VT_ERROR, [](Variant& v) { v.scode = E_FAIL; }));
    values.push_back(make(VT_I8, [](Variant& v) { v.llVal = INT64_MIN; }));
    values.push_back(make(VT_UI8, [](Variant& v) { v.ullVal = UINT64_MAX; }));
    values.push_back(make(VT_CY, [](Variant& v) { v.cyVal.int64 = 123456789; }));
    values.push_back(make(VT_R4, [](Variant& v) { v.fltVal = 1.5f; }));
    values.push_back(Variant::Double(-0.25));
    values.push_back(Variant::Date(45000.75));
    values.push_back(Variant::Text(u"t\u00EAxt"));
    values.push_back(make(VT_BSTR, [](Variant& v) { v.bstrVal = nullptr; })); // a null BSTR reads as empty text
    for (const auto& value : values) {
        SCOPED_TRACE(value.vt);
        auto stream = NewStream();
        ASSERT_EQ(WriteVariant(stream.Get(), value), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        Variant read;
        ASSERT_EQ(ReadVariant(stream.Get(), &read), S_OK);
        ASSERT_EQ(read.vt, value.vt);
        if (value.vt == VT_BSTR)
            EXPECT_EQ(BStr(read.bstrVal).str(), BStr(value.bstrVal).str());
        else
            EXPECT_EQ(std::memcmp(&read.llVal, &value.llVal, 8), 0);
    }
}

TEST_F(StreamIOTest, ArraysAndObjectsInVariants) {
    SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 1, 3);
    ASSERT_NE(numbers, nullptr);
    for (int32_t i = 1; i <= 3; ++i) {
        int32_t value = i * 10;
        ASSERT_EQ(SafeArrayPutElement(numbers, &i, &value), S_OK);
    }
    Variant array;
    array.vt = VT_ARRAY | VT_I4;
    array.parray = numbers;
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
    ASSERT_NE(texts, nullptr);
    for (int32_t i = 0; i < 2; ++i) {
        BStr text(i ? u"two" : u"one");
        ASSERT_EQ(SafeArrayPutElement(texts, &i, text.Get()), S_OK);
    }
    Variant textArray;
    textArray.vt = VT_ARRAY | VT_BSTR;
    textArray.parray = texts;
    auto object = MakeObject<Persisted>();
    object->value_ = 5;
    Variant unknown;
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = ComPtr<IUnknown>(object->InnerUnknown()).Detach();

    auto stream = NewStream();
    ASSERT_EQ(WriteVariant(stream.Get(), array), S_OK);
    ASSERT_EQ(WriteVariant(stream.Get(), textArray), S_OK);
    ASSERT_EQ(WriteVariant(stream.Get(), unknown), S_OK);
    std::vector<uint8_t> bytes = Bytes(stream.Get());
    auto in = StreamOf(bytes);
    Variant read;
    ASSERT_EQ(ReadVariant(in.Get(), &read), S_OK);
    ASSERT_EQ(read.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(read.parray->rgsabound[0].lLbound, 1);
    ASSERT_EQ(read.parray->rgsabound[0].cElements, 3u);
    for (int32_t i = 1; i <= 3; ++i) {
        int32_t value = 0;
        ASSERT_EQ(SafeArrayGetElement(read.parray, &i, &value), S_OK);
        EXPECT_EQ(value, i * 10);
    }
    ASSERT_EQ(ReadVariant(in.Get(), read.Out()), S_OK);
    ASSERT_EQ(read.vt, VT_ARRAY | VT_BSTR);
    for (int32_t i = 0; i < 2; ++i) {
        BStr text;
        ASSERT_EQ(SafeArrayGetElement(read.parray, &i, text.Out()), S_OK);
        EXPECT_EQ(text.str(), i ? u"two" : u"one");
    }
    ASSERT_EQ(ReadVariant(in.Get(), read.Out()), S_OK);
    ASSERT_EQ(read.vt, VT_UNKNOWN);
    auto loaded = QueryAs<IPersistStream>(read.punkVal);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(static_cast<Persisted*>(loaded.Get())->value_, 5);
    EXPECT_FALSE(SameObject(loaded.Get(), object->InnerUnknown()));

    // Every truncation of the three fails cleanly.
    for (size_t length = 0; length < bytes.size(); ++length) {
        auto cut = StreamOf(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)));
        HRESULT hr = S_OK;
        for (int i = 0; i < 3 && SUCCEEDED(hr); ++i)
            hr = ReadVariant(cut.Get(), read.Out());
        EXPECT_EQ(hr, E_FAIL) << length;
    }
}

TEST_F(StreamIOTest, UnknownVariantKindsAreRefused) {
    const VARTYPE kinds[] = {VT_DECIMAL,
                             VT_VARIANT,
                             0x0FFF,
                             VT_BYREF | VT_I4,
                             VT_ARRAY | VT_VARIANT,
                             VT_ARRAY | VT_UNKNOWN,
                             VT_ARRAY | VT_BYREF | VT_I4,
                             15};
    for (VARTYPE vt : kinds) {
        SCOPED_TRACE(vt);
        Variant value;
        value.vt = vt;
        value.llVal = 0;
        auto stream = NewStream();
        EXPECT_EQ(WriteVariant(stream.Get(), value), E_FAIL);
        value.vt = VT_EMPTY;
        std::vector<uint8_t> bytes = {static_cast<uint8_t>(vt), static_cast<uint8_t>(vt >> 8), 0, 0, 0, 0, 0, 0, 0, 0};
        Variant read;
        EXPECT_EQ(ReadVariant(StreamOf(bytes).Get(), &read), E_FAIL);
        EXPECT_EQ(read.vt, VT_EMPTY);
    }
    // An array count beyond what the stream holds fails without building the array.
    std::vector<uint8_t> huge = {0x03, 0x20, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4};
    Variant read;
    EXPECT_EQ(ReadVariant(StreamOf(huge).Get(), &read), E_FAIL);
    // A lower bound whose indexes run past the largest 32-bit number is corrupt.
    std::vector<uint8_t> pastTop = {0x11, 0x20, 0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 0, 0, 1, 2};
    EXPECT_EQ(ReadVariant(StreamOf(pastTop).Get(), &read), E_FAIL);
    pastTop[6] = 1; // one element at the very top is fine
    EXPECT_EQ(ReadVariant(StreamOf(pastTop).Get(), &read), S_OK);
    EXPECT_EQ(read.vt, VT_ARRAY | VT_UI1);
}

TEST_F(StreamIOTest, NestedObjects) {
    // No object stands for GUID_NULL and reads back as none.
    auto stream = NewStream();
    ASSERT_EQ(SaveObject(nullptr, stream.Get(), false), S_OK);
    EXPECT_EQ(Bytes(stream.Get()), std::vector<uint8_t>(16, 0));
    ComPtr<IUnknown> object;
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(LoadObject(stream.Get(), IUnknown::iid, object.OutVoid()), S_OK);
    EXPECT_FALSE(object);

    // Save writes the class identifier, then the object's own form, and clears the dirty flag when asked.
    auto saved = MakeObject<Persisted>();
    saved->value_ = 9;
    stream = NewStream();
    ASSERT_EQ(SaveObject(saved.Get(), stream.Get(), true), S_OK);
    EXPECT_FALSE(saved->dirty_);
    std::vector<uint8_t> bytes = Bytes(stream.Get());
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[16], 9);

    // A class nobody knows, a Load that fails, an interface the object lacks: E_FAIL, nothing handed out or leaked.
    auto refused = MakeObject<Persisted>();
    refused->value_ = -2;
    auto withRefused = NewStream();
    ASSERT_EQ(SaveObject(refused.Get(), withRefused.Get(), false), S_OK);
    std::vector<uint8_t> unknownClass = bytes;
    unknownClass[0] ^= 0xFF;
    struct Case {
        std::vector<uint8_t> bytes;
        IID iid;
    };
    const Case cases[] = {
        {unknownClass, IUnknown::iid},
        {Bytes(withRefused.Get()), IUnknown::iid},
        {bytes, IStream::iid},
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(LoadObject(StreamOf(c.bytes).Get(), c.iid, &out), E_FAIL);
        EXPECT_EQ(out, nullptr);
    }

    // An object that cannot persist itself cannot be saved.
    auto plain = MakeObject<Factory>();
    EXPECT_EQ(SaveObject(plain.Get(), NewStream().Get(), false), E_FAIL);

    // Objects nested without end are refused before the stack runs out.
    std::vector<uint8_t> deep;
    for (int i = 0; i < 10000; ++i) {
        deep.insert(deep.end(), bytes.begin(), bytes.begin() + 16);
        deep.insert(deep.end(), {0xFF, 0xFF, 0xFF, 0xFF});
    }
    EXPECT_EQ(LoadObject(StreamOf(deep).Get(), IUnknown::iid, object.OutVoid()), E_FAIL);
    EXPECT_FALSE(object);
}

TEST_F(StreamIOTest, NullArgumentsAndRefusedWrites) {
    int32_t value = 0;
    String text;
    Variant variant;
    EXPECT_EQ(AfStreamRead(nullptr, &value), E_POINTER);
    EXPECT_EQ(AfStreamRead(NewStream().Get(), static_cast<int32_t*>(nullptr)), E_POINTER);
    EXPECT_EQ(AfStreamWrite(nullptr, value), E_POINTER);
    EXPECT_EQ(ReadString(nullptr, &text), E_POINTER);
    EXPECT_EQ(WriteString(nullptr, u"x"), E_POINTER);
    EXPECT_EQ(ReadVariant(nullptr, &variant), E_POINTER);
    EXPECT_EQ(WriteVariant(nullptr, variant), E_POINTER);
    EXPECT_EQ(SaveObject(nullptr, nullptr, false), E_POINTER);
    EXPECT_EQ(LoadObject(NewStream().Get(), IUnknown::iid, nullptr), E_POINTER);
    EXPECT_EQ(AfStreamReadBytes(nullptr, &value, 4), E_POINTER);

    // A stream that refuses writes (a file opened for reading) makes every write E_FAIL.
    std::string path = testing::TempDir() + "streamio-readonly.bin";
    {
        ComPtr<IStream> create;
        ASSERT_EQ(CreateStreamOnFile(path.c_str(), 1, 0, create.Out()), S_OK);
    }
    ComPtr<IStream> readOnly;
    ASSERT_EQ(CreateStreamOnFile(path.c_str(), 0, 0, readOnly.Out()), S_OK);
    EXPECT_EQ(AfStreamWrite(readOnly.Get(), 1.0), E_FAIL);
    EXPECT_EQ(WriteString(readOnly.Get(), u"x"), E_FAIL);
    EXPECT_EQ(WriteVariant(readOnly.Get(), Variant::Int(1)), E_FAIL);
    EXPECT_EQ(SaveObject(MakeObject<Persisted>().Get(), readOnly.Get(), false), E_FAIL);
    std::remove(path.c_str());
}

} // namespace
} // namespace tavi
