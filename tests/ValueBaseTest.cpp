// The value base, shown on the sample value: flags, stream form, cloning and comparison, description, JSON.
#include "SampleValue.h"
#include "TestSupport.h"

#include "host/DocumentVersion.h"

#include <vector>

namespace tavi::test {
namespace {

class ValueBaseTest : public LeakCheckedTest {
protected:
    SampleClassScope classes_;
};

ComPtr<IStream> NewStream(const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}

std::vector<uint8_t> Bytes(IStream* stream) {
    uint64_t end = 0;
    stream->Seek(0, STREAM_SEEK_END, &end);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(end);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(end), &read);
    return bytes;
}

std::vector<uint8_t> Saved(IUnknown* object) {
    auto stream = NewStream();
    EXPECT_EQ(QueryAs<IPersistStream>(object)->Save(stream.Get(), 1), S_OK);
    return Bytes(stream.Get());
}

bool Empty(IUnknown* value) {
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
    return empty != VARIANT_FALSE;
}

bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}

TEST_F(ValueBaseTest, SetModifiedClearsEmptyAndSetsDirty) {
    auto value = MakeObject<GPSample>();
    EXPECT_TRUE(Empty(static_cast<IGPValue*>(value.Get())));
    EXPECT_EQ(value->IsDirty(), S_FALSE); // a new value is clean

    value->put_Value(0); // zero is content, not emptiness
    EXPECT_FALSE(Empty(static_cast<IGPValue*>(value.Get())));
    EXPECT_EQ(value->IsDirty(), S_OK);

    Saved(static_cast<IGPValue*>(value.Get())); // saving with clearDirty
    EXPECT_EQ(value->IsDirty(), S_FALSE);
    value->Empty();
    EXPECT_TRUE(Empty(static_cast<IGPValue*>(value.Get())));
    EXPECT_EQ(value->IsDirty(), S_OK);
}

TEST_F(ValueBaseTest, StreamRoundTripKeepsContentAndEmptiness) {
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty);
        auto original = MakeSample(-42);
        if (empty)
            original.As<IGPValue>()->Empty();
        auto bytes = Saved(original.Get());

        uint64_t sizeMax = 0;
        EXPECT_EQ(original.As<IPersistStream>()->GetSizeMax(&sizeMax), S_OK);
        EXPECT_EQ(sizeMax, bytes.size());

        auto copy = MakeObject<GPSample>();
        copy->put_Value(7);
        ASSERT_EQ(copy->Load(NewStream(bytes).Get()), S_OK);
        EXPECT_EQ(Empty(static_cast<IGPValue*>(copy.Get())), empty);
        EXPECT_TRUE(Equal(original.Get(), static_cast<IGPValue*>(copy.Get())));
        EXPECT_EQ(copy->IsDirty(), S_FALSE); // loading leaves the value clean
    }
}

TEST_F(ValueBaseTest, LoadRefusesNewerVersionsAndShortStreams) {
    auto bytes = Saved(MakeSample(5).Get());
    auto value = MakeObject<GPSample>();

    auto newer = bytes;
    newer[0] = kSampleVersion + 1;
    EXPECT_EQ(value->Load(NewStream(newer).Get()), E_FAIL);

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> truncated(bytes.begin(), bytes.begin() + cut);
        EXPECT_EQ(value->Load(NewStream(truncated).Get()), E_FAIL);
    }
    EXPECT_EQ(value->Load(nullptr), E_POINTER);
    EXPECT_EQ(value->Save(nullptr, 1), E_POINTER);
}

TEST_F(ValueBaseTest, CloneIsEqualButNotIdentical) {
    auto original = MakeSample(9).As<IClone>();
    ComPtr<IClone> clone;
    ASSERT_EQ(original->Clone(clone.Out()), S_OK);
    ASSERT_TRUE(clone);
    EXPECT_TRUE(Equal(original.Get(), clone.Get()));

    VARIANT_BOOL identical = VARIANT_TRUE;
    EXPECT_EQ(original->IsIdentical(clone.Get(), &identical), S_OK);
    EXPECT_EQ(identical, VARIANT_FALSE);
    EXPECT_EQ(original->IsIdentical(original.Get(), &identical), S_OK);
    EXPECT_EQ(identical, VARIANT_TRUE);

    CLSID clsid = GUID_NULL;
    EXPECT_EQ(clone.As<IPersist>()->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_GPSample);
}

TEST_F(ValueBaseTest, EqualityComparesContentThenEmptiness) {
    auto a = MakeSample(1), b = MakeSample(1), c = MakeSample(2);
    EXPECT_TRUE(Equal(a.Get(), b.Get()));
    EXPECT_FALSE(Equal(a.Get(), c.Get()));

    auto emptyZero = MakeObject<GPSample>();
    auto setZero = MakeSample(0);
    EXPECT_FALSE(Equal(static_cast<IGPValue*>(emptyZero.Get()), setZero.Get())); // empty 0 is not a set 0

    auto domain = MakeObject<GPSampleDomain>(); // another kind: unequal, and no failure
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(a.As<IClone>()->IsEqual(static_cast<IClone*>(domain.Get()), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(a.As<IClone>()->IsEqual(nullptr, &equal), E_POINTER);
    EXPECT_EQ(a.As<IClone>()->Assign(static_cast<IClone*>(domain.Get())), E_INVALIDARG);
}

TEST_F(ValueBaseTest, AssignTakesContentAndEmptiness) {
    auto target = MakeSample(5).As<IClone>();
    auto emptySource = MakeObject<GPSample>();
    ASSERT_EQ(target->Assign(static_cast<IClone*>(emptySource.Get())), S_OK);
    EXPECT_TRUE(Empty(target.Get()));

    ASSERT_EQ(target->Assign(MakeSample(8).As<IClone>().Get()), S_OK);
    int32_t number = 0;
    target.As<IGPSample>()->get_Value(&number);
    EXPECT_EQ(number, 8);
    EXPECT_FALSE(Empty(target.Get()));
}

TEST_F(ValueBaseTest, DescribeAnswersTheBaseFacts) {
    auto value = MakeSample(12);
    auto describe = value.As<IGPDescribe>();
    EXPECT_FALSE(describe); // implemented, but not answered by the lookup
    auto* object = static_cast<GPSample*>(value.Get());

    Variant answer;
    ASSERT_EQ(object->Describe(u"datatype", answer.Out()), S_OK);
    ASSERT_EQ(answer.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(answer.bstrVal), u"GPSample");
    ASSERT_EQ(object->Describe(u"Value", answer.Out()), S_OK);
    EXPECT_EQ(std::u16string(answer.bstrVal), u"12");
    ASSERT_EQ(object->Describe(u"IsEmpty", answer.Out()), S_OK);
    EXPECT_EQ(answer.vt, VT_BOOL);
    EXPECT_EQ(answer.boolVal, VARIANT_FALSE);
    EXPECT_EQ(object->Describe(u"Colour", answer.Out()), S_FALSE);
    EXPECT_EQ(answer.vt, VT_EMPTY);
}

TEST_F(ValueBaseTest, DataTypeComesFromTheStoredIdentifier) {
    ComPtr<IGPDataType> dataType;
    ASSERT_EQ(MakeSample(1).As<IGPValue>()->get_DataType(dataType.Out()), S_OK);
    ASSERT_TRUE(dataType);
    EXPECT_TRUE(dataType.As<IGPSampleType>());
}

TEST_F(ValueBaseTest, JsonRoundTripAndRefusals) {
    auto value = MakeSample(31).As<IGPValue>();
    BStr json;
    ASSERT_EQ(value->SerializeJSONObject(json.Out()), S_OK);
    EXPECT_EQ(json.str(), u"{\"type\":\"GPSample\",\"value\":\"31\"}");

    auto copy = MakeObject<GPSample>();
    ASSERT_EQ(copy->DeserializeJSONObject(json.c_str()), S_OK);
    EXPECT_TRUE(Equal(value.Get(), static_cast<IGPValue*>(copy.Get())));

    struct Case {
        const char16_t* json;
        HRESULT hr;
        bool emptyAfter;
    } const cases[] = {
        {u"{\"value\":null}", S_OK, true},     // null empties
        {u"{}", S_OK, true},                   // so does a missing value
        {u"{\"value\":17}", S_OK, false},      // a number by its JSON text
        {u"{\"value\":\"x\"}", E_FAIL, false}, // a text the value cannot read
        {u"[1]", E_INVALIDARG, false},         // not an object
        {u"{\"value\":", E_INVALIDARG, false}, // not JSON
        {u"{\"value\":[1]}", E_INVALIDARG, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.json));
        copy->put_Value(3);
        EXPECT_EQ(copy->DeserializeJSONObject(c.json), c.hr);
        EXPECT_EQ(Empty(static_cast<IGPValue*>(copy.Get())), c.emptyAfter);
    }
    value->Empty();
    ASSERT_EQ(value->SerializeJSONObject(json.Out()), S_OK);
    EXPECT_EQ(json.str(), u"{\"type\":\"GPSample\",\"value\":null}");
}

} // namespace
} // namespace tavi::test
