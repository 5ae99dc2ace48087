// The platform's string array: list operations and their errors, copies, the stream form (a damaged one changes
// nothing) and the XML form, also read from an "ArrayOfString" element that carries no class identifier.
#include "PersistForms.h"
#include "TestSupport.h"

#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/GPCellSize.h"
#include "tavi/StringArray.h"
#include "tavi/Xml.h"

#include <cstring>
#include <functional>
#include <vector>

namespace tavi::test {
namespace {

using XmlStep = std::function<HRESULT(IXMLSerializeData*)>;

// An object whose XML form is whatever the test says: it holds a string array as one of its elements, as a domain
// holds its type list.
class XmlHolder final : public Object<XmlHolder, IXMLSerialize> {
public:
    XmlStep write, read;
    HRESULT Serialize(IXMLSerializeData* data) override {
        data->put_TypeName(u"Holder");
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        return write ? write(data) : S_OK;
    }
    HRESULT Deserialize(IXMLSerializeData* data) override { return read ? read(data) : S_OK; }
};

class StringArrayTest : public LeakCheckedTest {
protected:
    static ComPtr<IStringArray> NewArray(std::initializer_list<const char16_t*> texts = {}) {
        ComPtr<IStringArray> array;
        EXPECT_EQ(
            AfCreateInstance(CLSID_StringArray, nullptr, CLSCTX_INPROC_SERVER, IStringArray::iid, array.OutVoid()),
            S_OK);
        for (const char16_t* text : texts)
            EXPECT_EQ(array->Add(text), S_OK);
        return array;
    }

    static std::vector<std::u16string> Texts(IStringArray* array) {
        int32_t count = -1;
        EXPECT_EQ(array->get_Count(&count), S_OK);
        std::vector<std::u16string> texts;
        for (int32_t i = 0; i < count; ++i) {
            BStr text;
            EXPECT_EQ(array->get_Element(i, text.Out()), S_OK);
            texts.push_back(text.str());
        }
        return texts;
    }

    // The object element "List" of a holder document read back through GetObject.
    static HRESULT ReadHeldArray(const std::u16string& xml, ComPtr<IStringArray>* array) {
        auto holder = MakeObject<XmlHolder>();
        holder->read = [&](IXMLSerializeData* data) -> HRESULT {
            int32_t index = -1;
            data->Find(u"List", &index);
            ComPtr<IUnknown> object;
            HRESULT hr = data->GetObject(index, c_xml_ns_tavi, u"ArrayOfString", object.Out());
            *array = QueryAs<IStringArray>(object.Get());
            return hr;
        };
        return TaviXmlDeserialize(xml.c_str(), static_cast<IXMLSerialize*>(holder.Get()));
    }
};

using TextList = std::vector<std::u16string>;

TEST_F(StringArrayTest, ListOperationsKeepOrderAndRefuseIndexesOutsideTheList) {
    auto array = NewArray({u"b"});
    EXPECT_EQ(array->Insert(0, u"a"), S_OK);
    EXPECT_EQ(array->Insert(2, u"d"), S_OK); // at the count: appended
    EXPECT_EQ(array->Insert(2, u"c"), S_OK);
    EXPECT_EQ(array->Add(nullptr), S_OK); // a null text is stored as an empty one
    EXPECT_EQ(Texts(array.Get()), (TextList{u"a", u"b", u"c", u"d", u""}));
    EXPECT_EQ(array->Replace(4, u"e"), S_OK);
    EXPECT_EQ(array->Replace(0, nullptr), S_OK);
    EXPECT_EQ(array->Remove(1), S_OK);
    EXPECT_EQ(Texts(array.Get()), (TextList{u"", u"c", u"d", u"e"}));

    // Indexes outside the list change nothing; Insert also takes the count itself.
    for (int32_t index : {-1, 4, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(index);
        BStr text(u"untouched");
        EXPECT_EQ(array->get_Element(index, text.Out()), E_INVALIDARG);
        EXPECT_TRUE(text.IsNull());
        EXPECT_EQ(array->Remove(index), E_INVALIDARG);
        EXPECT_EQ(array->Replace(index, u"x"), E_INVALIDARG);
    }
    for (int32_t index : {-1, 5, INT32_MAX})
        EXPECT_EQ(array->Insert(index, u"x"), E_INVALIDARG) << index;
    EXPECT_EQ(Texts(array.Get()), (TextList{u"", u"c", u"d", u"e"}));

    EXPECT_EQ(array->get_Count(nullptr), E_POINTER);
    EXPECT_EQ(array->get_Element(0, nullptr), E_POINTER);
    EXPECT_EQ(array->RemoveAll(), S_OK);
    EXPECT_EQ(Texts(array.Get()), TextList{});
    EXPECT_EQ(array->Remove(0), E_INVALIDARG);
}

TEST_F(StringArrayTest, CopiesCompareTextByText) {
    auto array = NewArray({u"Point", u"polygon"});
    auto clonable = QueryAs<IClone>(array.Get());
    ComPtr<IClone> copy;
    ASSERT_EQ(clonable->Clone(copy.Out()), S_OK);
    auto copied = QueryAs<IStringArray>(copy.Get());
    EXPECT_EQ(Texts(copied.Get()), (TextList{u"Point", u"polygon"}));
    VARIANT_BOOL equal = VARIANT_FALSE, identical = VARIANT_TRUE;
    EXPECT_EQ(clonable->IsEqual(copy.Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_TRUE);
    EXPECT_EQ(clonable->IsIdentical(copy.Get(), &identical), S_OK);
    EXPECT_EQ(identical, VARIANT_FALSE);

    // Case matters, and so does order; the copy is independent of the original.
    copied->Replace(1, u"Polygon");
    EXPECT_EQ(clonable->IsEqual(copy.Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(Texts(array.Get()), (TextList{u"Point", u"polygon"}));

    EXPECT_EQ(clonable->Assign(copy.Get()), S_OK);
    EXPECT_EQ(Texts(array.Get()), (TextList{u"Point", u"Polygon"}));
    EXPECT_EQ(clonable->Assign(clonable.Get()), S_OK) << "assigning itself keeps its texts";
    EXPECT_EQ(Texts(array.Get()), (TextList{u"Point", u"Polygon"}));

    // Something that is no string array is neither assigned nor equal.
    ComPtr<IClone> cellSize;
    ASSERT_EQ(AfCreateInstance(CLSID_CellSize, nullptr, CLSCTX_INPROC_SERVER, IClone::iid, cellSize.OutVoid()), S_OK);
    EXPECT_EQ(clonable->Assign(cellSize.Get()), E_INVALIDARG);
    EXPECT_EQ(clonable->IsEqual(cellSize.Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(Texts(array.Get()), (TextList{u"Point", u"Polygon"}));
    EXPECT_EQ(clonable->Assign(nullptr), E_POINTER);
    EXPECT_EQ(clonable->IsEqual(nullptr, &equal), E_POINTER);
    EXPECT_EQ(clonable->Clone(nullptr), E_POINTER);
}

// Texts with what a stored form most easily loses: nothing at all, blanks at the ends, markup characters, line
// breaks and characters outside the basic plane.
const char16_t* const kAwkwardTexts[] = {
    u"",    u"  spaced  ", u"<&>\"'", u"line\nbreak", u"tab\there",  u"Gr\u00FC\u00DFe \U0001D11E",
    u"]]>", u"&amp;",      u"   ",    u"\t",          u"cr\r\nlf\r", u"\x01\x1F\x7F\uFFFE",
};

TEST_F(StringArrayTest, StreamFormReadsBackAndNamesItsClass) {
    auto array = NewArray();
    for (const char16_t* text : kAwkwardTexts)
        array->Add(text);
    auto persist = QueryAs<IPersistStream>(array.Get());
    EXPECT_EQ(persist->IsDirty(), S_OK);
    std::vector<uint8_t> bytes = SavedForm(array.Get());
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    uint64_t size = 0;
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size, bytes.size());
    int32_t count = 0;
    ASSERT_GE(bytes.size(), 4u);
    std::memcpy(&count, bytes.data(), 4);
    EXPECT_EQ(count, static_cast<int32_t>(std::size(kAwkwardTexts))) << "the count comes first";

    auto back = NewArray({u"old"});
    EXPECT_EQ(LoadForm(back.Get(), bytes), S_OK);
    EXPECT_EQ(Texts(back.Get()), Texts(array.Get()));
    EXPECT_EQ(QueryAs<IPersistStream>(back.Get())->IsDirty(), S_FALSE);

    // As a nested object: the class identifier leads, and the object is made again from it.
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
    ASSERT_EQ(SaveObject(array.Get(), stream.Get(), true), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ComPtr<IStringArray> loaded;
    ASSERT_EQ(LoadObject(stream.Get(), IStringArray::iid, loaded.OutVoid()), S_OK);
    EXPECT_EQ(Texts(loaded.Get()), Texts(array.Get()));
    CLSID clsid{};
    EXPECT_EQ(QueryAs<IPersist>(loaded.Get())->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_StringArray);
}

// Little-endian pieces of a stream form.
void PutInt32(std::vector<uint8_t>& bytes, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}
void PutText(std::vector<uint8_t>& bytes, std::u16string_view text) {
    PutInt32(bytes, static_cast<int32_t>(text.size()));
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
}

TEST_F(StringArrayTest, DamagedStreamChangesNothing) {
    struct Damage {
        std::function<void(std::vector<uint8_t>&)> make;
        const char* why;
    };
    const Damage kDamages[] = {
        {[](auto&) {}, "an empty stream"},
        {[](auto& b) {
             b = {1, 0};
         },
         "a count cut short"},
        {[](auto& b) { PutInt32(b, -1); }, "a negative count"},
        {[](auto& b) { PutInt32(b, INT32_MAX); }, "a count far beyond the stream, no texts"},
        {[](auto& b) { PutInt32(b, INT32_MAX), PutText(b, u"a"), PutText(b, u"b"); }, "a count beyond the texts"},
        {[](auto& b) { PutInt32(b, 2), PutText(b, u"a"); }, "one text missing"},
        {[](auto& b) { PutInt32(b, 1), PutInt32(b, 5), b.push_back(u'a'), b.push_back(0); }, "a text cut short"},
        {[](auto& b) { PutInt32(b, 1), PutInt32(b, -3); }, "a text of negative length"},
        {[](auto& b) { PutInt32(b, 1), PutInt32(b, INT32_MAX); }, "a text longer than the stream"},
        {[](auto& b) { PutInt32(b, 2), PutText(b, u"a"), PutText(b, std::u16string_view(u"b\0c", 3)); },
         "a text holding NUL"},
    };
    auto array = NewArray({u"kept", u"as it was"});
    auto persist = QueryAs<IPersistStream>(array.Get());
    array->Add(u"dirty");
    array->Remove(2);
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.why);
        std::vector<uint8_t> bytes;
        damage.make(bytes);
        EXPECT_EQ(LoadForm(array.Get(), bytes), E_FAIL);
        EXPECT_EQ(Texts(array.Get()), (TextList{u"kept", u"as it was"}));
        EXPECT_EQ(persist->IsDirty(), S_OK);
    }
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);

    // The same pieces put together soundly do read, and a count of none empties the array.
    std::vector<uint8_t> sound;
    PutInt32(sound, 2), PutText(sound, u"a"), PutText(sound, u"b c");
    EXPECT_EQ(LoadForm(array.Get(), sound), S_OK);
    EXPECT_EQ(Texts(array.Get()), (TextList{u"a", u"b c"}));
    sound.clear();
    PutInt32(sound, 0);
    EXPECT_EQ(LoadForm(array.Get(), sound), S_OK);
    EXPECT_EQ(Texts(array.Get()), TextList{});
}

TEST_F(StringArrayTest, XmlFormReadsBackAsItsOwnDocumentAndAsAnElement) {
    auto array = NewArray();
    for (const char16_t* text : kAwkwardTexts)
        array->Add(text);
    std::u16string xml = XmlForm(array.Get());
    EXPECT_NE(xml.find(u"typens:ArrayOfString"), std::u16string::npos);
    EXPECT_NE(xml.find(c_xml_ns_tavi), std::u16string::npos);
    EXPECT_NE(xml.find(u"<String xsi:type=\"xs:string\">tab\there</String>"), std::u16string::npos);

    auto back = NewArray({u"old"});
    EXPECT_EQ(TaviXmlDeserialize(xml.c_str(), back.Get()), S_OK);
    EXPECT_EQ(Texts(back.Get()), Texts(array.Get()));

    // A lone surrogate, which the stream form keeps, leaves for XML as U+FFFD like all text written as UTF-8.
    auto surrogate = NewArray({u"a\xD800"
                               u"b"});
    EXPECT_EQ(TaviXmlDeserialize(XmlForm(surrogate.Get()).c_str(), back.Get()), S_OK);
    EXPECT_EQ(Texts(back.Get()), TextList{u"a\uFFFDb"});
    EXPECT_EQ(LoadForm(back.Get(), SavedForm(surrogate.Get())), S_OK);
    EXPECT_EQ(Texts(back.Get()), TextList{u"a\xD800"
                                          u"b"});

    // Held by another object, it is made again from the class identifier it carries.
    auto holder = MakeObject<XmlHolder>();
    holder->write = [&](IXMLSerializeData* data) { return data->AddObject(u"List", array.Get()); };
    std::u16string held = XmlForm(static_cast<IXMLSerialize*>(holder.Get()));
    EXPECT_NE(held.find(u"clsid="), std::u16string::npos);
    ComPtr<IStringArray> read;
    ASSERT_EQ(ReadHeldArray(held, &read), S_OK);
    ASSERT_TRUE(read);
    EXPECT_EQ(Texts(read.Get()), Texts(array.Get()));
}

TEST_F(StringArrayTest, ElementOfTypeArrayOfStringWithoutClassIdentifierIsAStringArray) {
    const std::u16string ns = c_xml_ns_tavi;
    const std::u16string head = u"<Holder xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                u"xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:typens=\"" +
                                ns + u"\" xsi:type=\"typens:Holder\">";
    const std::u16string xml = head + u"<List xsi:type=\"typens:ArrayOfString\">"
                                      u"<String xsi:type=\"xs:string\">Point</String>"
                                      u"<Other xsi:type=\"xs:string\">not a text of the list</Other>"
                                      u"<String xsi:type=\"xs:string\"> Polygon </String>"
                                      u"<String xsi:type=\"xs:string\"/>"
                                      u"</List></Holder>";
    ComPtr<IStringArray> read;
    ASSERT_EQ(ReadHeldArray(xml, &read), S_OK);
    ASSERT_TRUE(read);
    EXPECT_EQ(Texts(read.Get()), (TextList{u"Point", u" Polygon ", u""}));
}

// A reader of "String" elements whose text cannot be read from the element `failAt` on: a fault no well-formed
// document gives the library's reader, as every element reads as a string.
class FailingReader final : public Object<FailingReader, IXMLSerializeData> {
public:
    explicit FailingReader(int32_t failAt) : failAt_(failAt) {}
    HRESULT get_TypeName(BSTR* name) override { return (*name = BStr(u"ArrayOfString").Detach()), S_OK; }
    HRESULT put_TypeName(const OLECHAR*) override { return E_FAIL; }
    HRESULT get_TypeNamespaceURI(BSTR* uri) override { return (*uri = BStr(c_xml_ns_tavi).Detach()), S_OK; }
    HRESULT put_TypeNamespaceURI(const OLECHAR*) override { return E_FAIL; }
    HRESULT AddString(const OLECHAR*, const OLECHAR*) override { return E_FAIL; }
    HRESULT AddInteger(const OLECHAR*, int32_t) override { return E_FAIL; }
    HRESULT AddDouble(const OLECHAR*, double) override { return E_FAIL; }
    HRESULT AddBoolean(const OLECHAR*, VARIANT_BOOL) override { return E_FAIL; }
    HRESULT AddDate(const OLECHAR*, DATE) override { return E_FAIL; }
    HRESULT AddVariant(const OLECHAR*, const VARIANT*) override { return E_FAIL; }
    HRESULT AddObject(const OLECHAR*, IUnknown*) override { return E_FAIL; }
    HRESULT AddObjectArray(const OLECHAR*, IUnknown*, const OLECHAR*, const OLECHAR*) override { return E_FAIL; }
    HRESULT get_ElementCount(int32_t* count) override { return (*count = 3), S_OK; }
    HRESULT GetElementName(int32_t, BSTR* name) override { return (*name = BStr(u"String").Detach()), S_OK; }
    HRESULT Find(const OLECHAR*, int32_t* index) override { return (*index = 0), S_OK; }
    HRESULT GetString(int32_t index, BSTR* value) override {
        *value = nullptr;
        return index >= failAt_ ? E_FAIL : ((*value = BStr(u"new").Detach()), S_OK);
    }
    HRESULT GetInteger(int32_t, int32_t*) override { return E_FAIL; }
    HRESULT GetDouble(int32_t, double*) override { return E_FAIL; }
    HRESULT GetBoolean(int32_t, VARIANT_BOOL*) override { return E_FAIL; }
    HRESULT GetDate(int32_t, DATE*) override { return E_FAIL; }
    HRESULT GetVariant(int32_t, VARIANT*) override { return E_FAIL; }
    HRESULT GetObject(int32_t, const OLECHAR*, const OLECHAR*, IUnknown**) override { return E_FAIL; }
    HRESULT GetObjectArray(int32_t, const OLECHAR*, const OLECHAR*, IUnknown*) override { return E_FAIL; }

private:
    int32_t failAt_;
};

TEST_F(StringArrayTest, FailedXmlReadLeavesTheArrayAsItWas) {
    auto array = NewArray({u"kept"});
    auto serialize = QueryAs<IXMLSerialize>(array.Get());
    for (int32_t failAt : {0, 2}) {
        auto reader = MakeObject<FailingReader>(failAt);
        EXPECT_EQ(serialize->Deserialize(reader.Get()), E_FAIL) << failAt;
        EXPECT_EQ(Texts(array.Get()), TextList{u"kept"});
    }
    auto reader = MakeObject<FailingReader>(3);
    EXPECT_EQ(serialize->Deserialize(reader.Get()), S_OK);
    EXPECT_EQ(Texts(array.Get()), (TextList{u"new", u"new", u"new"}));
    EXPECT_EQ(serialize->Deserialize(nullptr), E_POINTER);
    EXPECT_EQ(TaviXmlDeserialize(u"<ArrayOfString><String>", array.Get()), E_FAIL) << "not well-formed";
    EXPECT_EQ(Texts(array.Get()), (TextList{u"new", u"new", u"new"}));
}

} // namespace
} // namespace tavi::test
