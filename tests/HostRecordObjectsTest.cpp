// The host's small record objects: the query filter (texts, copies, stream and XML forms, damaged forms change
// nothing), the property set (names without regard to case in first-set order, copies, equality) and the JSON object
// (objects only, member order kept, texts refused whole).
#include "PersistForms.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "tavi/GPValue.h"
#include "tavi/RecordSet.h"
#include "tavi/Xml.h"

#include <string>
#include <vector>

namespace tavi::test {
namespace {

template <class I> ComPtr<I> New(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal == VARIANT_TRUE;
}

ComPtr<IUnknown> CloneOf(IUnknown* object) {
    ComPtr<IClone> copy;
    EXPECT_EQ(QueryAs<IClone>(object)->Clone(copy.Out()), S_OK);
    return copy.As<IUnknown>();
}

// ---- The query filter ----

class QueryFilterTest : public LeakCheckedTest {
protected:
    static ComPtr<IQueryFilter> Filter(const char16_t* where, const char16_t* subFields) {
        auto filter = New<IQueryFilter>(CLSID_QueryFilter);
        EXPECT_EQ(filter->put_WhereClause(where), S_OK);
        EXPECT_EQ(filter->put_SubFields(subFields), S_OK);
        return filter;
    }
    static std::pair<std::u16string, std::u16string> Texts(IQueryFilter* filter) {
        BStr where, subFields;
        EXPECT_EQ(filter->get_WhereClause(where.Out()), S_OK);
        EXPECT_EQ(filter->get_SubFields(subFields.Out()), S_OK);
        return {where.str(), subFields.str()};
    }
};

TEST_F(QueryFilterTest, SelectsAllUntilToldAndCopiesCompareBothTexts) {
    auto filter = New<IQueryFilter>(CLSID_QueryFilter);
    EXPECT_EQ(Texts(filter.Get()), std::make_pair(std::u16string(), std::u16string(u"*")));
    EXPECT_EQ(filter->get_WhereClause(nullptr), E_POINTER);
    EXPECT_EQ(filter->put_SubFields(nullptr), S_OK) << "a null text is the empty text";
    EXPECT_EQ(Texts(filter.Get()).second, u"");

    auto source = Filter(u"NAME = 'a''b' AND ID > 3", u"ID,NAME");
    auto copy = CloneOf(source.Get());
    EXPECT_EQ(Texts(copy.As<IQueryFilter>().Get()), Texts(source.Get()));
    EXPECT_TRUE(Equal(source.Get(), copy.Get()));
    EXPECT_FALSE(Equal(source.Get(), Filter(u"NAME = 'a''b' AND ID > 3", u"id,NAME").Get())) << "texts compare exactly";
    EXPECT_FALSE(Equal(source.Get(), Filter(u"name = 'a''b' AND ID > 3", u"ID,NAME").Get()));

    EXPECT_EQ(QueryAs<IClone>(filter.Get())->Assign(QueryAs<IClone>(source.Get()).Get()), S_OK);
    EXPECT_EQ(Texts(filter.Get()), Texts(source.Get()));
    auto notAFilter = New<IClone>(CLSID_PropertySet);
    EXPECT_EQ(QueryAs<IClone>(filter.Get())->Assign(notAFilter.Get()), E_INVALIDARG);
    EXPECT_EQ(Texts(filter.Get()), Texts(source.Get()));
}

TEST_F(QueryFilterTest, StreamAndXmlFormsReadBack) {
    auto source = Filter(u"A < 3 AND B <> 'x&y'", u"A, B");
    auto back = Filter(u"old", u"old");
    ASSERT_EQ(LoadForm(back.Get(), SavedForm(source.Get())), S_OK);
    EXPECT_EQ(Texts(back.Get()), Texts(source.Get()));

    std::u16string xml = XmlForm(source.Get());
    EXPECT_NE(xml.find(u"QueryFilter"), std::u16string::npos);
    auto fromXml = Filter(u"old", u"old");
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    EXPECT_EQ(Texts(fromXml.Get()), Texts(source.Get()));

    // Elements left out read as a new filter's texts.
    auto empty = Filter(u"", u"*");
    std::u16string bare = XmlForm(empty.Get());
    for (const char16_t* element : {u"WhereClause", u"SubFields"}) {
        const std::u16string open = u"<" + std::u16string(element);
        const size_t start = bare.find(open);
        ASSERT_NE(start, std::u16string::npos);
        const std::u16string close = u"</" + std::u16string(element) + u">";
        size_t end = bare.find(close, start);
        const size_t length =
            end == std::u16string::npos ? bare.find(u"/>", start) + 2 - start : end + close.size() - start;
        std::u16string without = bare;
        without.erase(start, length);
        auto read = Filter(u"old", u"old");
        ASSERT_EQ(TaviXmlDeserialize(without.c_str(), read.Get()), S_OK) << ToUtf8(without);
        EXPECT_EQ(Texts(read.Get()), std::make_pair(std::u16string(), std::u16string(u"*")));
    }
}

TEST_F(QueryFilterTest, DamagedStreamChangesNothing) {
    auto source = Filter(u"ID > 10", u"ID");
    const std::vector<uint8_t> bytes = SavedForm(source.Get());
    std::vector<std::vector<uint8_t>> damaged;
    for (size_t length = 0; length < bytes.size(); ++length) // every truncation
        damaged.emplace_back(bytes.begin(), bytes.begin() + length);
    auto otherVersion = bytes;
    otherVersion[0] = 2;
    damaged.push_back(otherVersion);
    auto hugeCount = bytes;
    hugeCount[2] = hugeCount[3] = hugeCount[4] = 0xFF; // the where clause's count: far beyond the stream
    hugeCount[5] = 0x7F;
    damaged.push_back(hugeCount);
    for (const auto& form : damaged) {
        SCOPED_TRACE(form.size());
        auto target = Filter(u"kept", u"KEPT");
        EXPECT_EQ(LoadForm(target.Get(), form), E_FAIL);
        EXPECT_EQ(Texts(target.Get()), std::make_pair(std::u16string(u"kept"), std::u16string(u"KEPT")));
    }
}

// ---- The property set ----

class PropertySetTest : public LeakCheckedTest {
protected:
    static std::vector<std::u16string> Names(IPropertySet* set) {
        Variant names, values;
        EXPECT_EQ(set->GetAllProperties(names.Out(), values.Out()), S_OK);
        EXPECT_EQ(names.vt, VT_ARRAY | VT_BSTR);
        EXPECT_EQ(values.vt, VT_ARRAY | VT_VARIANT);
        std::vector<std::u16string> result;
        for (int32_t i = 0; i < static_cast<int32_t>(names.parray->rgsabound[0].cElements); ++i) {
            BStr name;
            EXPECT_EQ(SafeArrayGetElement(names.parray, &i, name.Out()), S_OK);
            result.push_back(name.str());
        }
        EXPECT_EQ(values.parray->rgsabound[0].cElements, result.size());
        return result;
    }
    static Variant Get(IPropertySet* set, const char16_t* name) {
        Variant value;
        set->GetProperty(name, value.Out());
        return value;
    }
};

TEST_F(PropertySetTest, NamesIgnoreCaseAndKeepTheirFirstPlace) {
    auto set = New<IPropertySet>(CLSID_PropertySet);
    EXPECT_EQ(set->SetProperty(u"maxRecordCount", Variant::Int(1000)), S_OK);
    EXPECT_EQ(set->SetProperty(u"Name", Variant::Text(u"Rivers")), S_OK);
    EXPECT_EQ(set->SetProperty(u"supportsPagination", Variant::Bool(true)), S_OK);
    EXPECT_EQ(set->SetProperty(u"MAXRECORDCOUNT", Variant::Int(2000)), S_OK); // replaces where it stands
    EXPECT_EQ(Names(set.Get()), (std::vector<std::u16string>{u"maxRecordCount", u"Name", u"supportsPagination"}));
    Variant value = Get(set.Get(), u"maxrecordcount");
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 2000);
    EXPECT_EQ(BStr(Get(set.Get(), u"NAME").bstrVal).str(), u"Rivers");

    Variant missing = Variant::Int(5);
    EXPECT_EQ(set->GetProperty(u"absent", missing.Out()), S_FALSE);
    EXPECT_EQ(missing.vt, VT_EMPTY);
    EXPECT_EQ(set->RemoveProperty(u"absent"), S_FALSE);
    EXPECT_EQ(set->RemoveProperty(u"name"), S_OK);
    int32_t count = 0;
    EXPECT_EQ(set->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(set->SetProperty(nullptr, Variant::Int(1)), E_POINTER);
    EXPECT_EQ(set->GetProperty(nullptr, value.Out()), E_POINTER);
    EXPECT_EQ(set->GetAllProperties(nullptr, value.Out()), E_POINTER);
}

TEST_F(PropertySetTest, CopiesAreEqualByNameAndStoredValue) {
    auto set = New<IPropertySet>(CLSID_PropertySet);
    auto inner = New<IPropertySet>(CLSID_PropertySet);
    inner->SetProperty(u"x", Variant::Double(1.5));
    Variant object;
    object.vt = VT_UNKNOWN;
    object.punkVal = inner.As<IUnknown>().Detach();
    set->SetProperty(u"a", Variant::Int(1));
    set->SetProperty(u"b", Variant::Text(u"text"));
    set->SetProperty(u"inner", object);

    auto copy = CloneOf(set.Get());
    EXPECT_TRUE(Equal(set.Get(), copy.Get()));
    EXPECT_EQ(Names(copy.As<IPropertySet>().Get()), Names(set.Get()));

    // Another order and other spellings of the names are still equal; another value or kind is not.
    auto reordered = New<IPropertySet>(CLSID_PropertySet);
    auto innerCopy = CloneOf(inner.Get());
    Variant objectCopy;
    objectCopy.vt = VT_UNKNOWN;
    objectCopy.punkVal = innerCopy.Detach();
    reordered->SetProperty(u"INNER", objectCopy);
    reordered->SetProperty(u"B", Variant::Text(u"text"));
    reordered->SetProperty(u"A", Variant::Int(1));
    EXPECT_TRUE(Equal(set.Get(), reordered.Get()));
    reordered->SetProperty(u"A", Variant::Double(1.0));
    EXPECT_FALSE(Equal(set.Get(), reordered.Get())) << "1 as a double is no 1 as a long";
    reordered->SetProperty(u"A", Variant::Int(1));
    reordered->SetProperty(u"c", Variant::Int(1));
    EXPECT_FALSE(Equal(set.Get(), reordered.Get())) << "one more name";

    auto assigned = New<IPropertySet>(CLSID_PropertySet);
    assigned->SetProperty(u"old", Variant::Int(0));
    EXPECT_EQ(QueryAs<IClone>(assigned.Get())->Assign(QueryAs<IClone>(set.Get()).Get()), S_OK);
    EXPECT_TRUE(Equal(set.Get(), assigned.Get()));
    EXPECT_EQ(QueryAs<IClone>(assigned.Get())->Assign(New<IClone>(CLSID_QueryFilter).Get()), E_INVALIDARG);
    EXPECT_TRUE(Equal(set.Get(), assigned.Get()));
}

// ---- The JSON object ----

class JsonObjectTest : public LeakCheckedTest {
protected:
    static std::u16string Text(IJSONObject* object) {
        BStr text;
        EXPECT_EQ(object->ToJSONString(text.Out()), S_OK);
        return text.str();
    }
};

std::u16string Nested(int depth) {
    std::u16string text;
    for (int i = 0; i < depth - 1; ++i)
        text += u"{\"a\":";
    text += u"{}";
    for (int i = 0; i < depth - 1; ++i)
        text += u"}";
    return text;
}

TEST_F(JsonObjectTest, ReadsObjectsOnlyAndRefusesTheRestWhole) {
    struct Case {
        std::u16string text;
        HRESULT hr;
        std::u16string compact; // what ToJSONString gives afterwards
        const char* why;
    };
    const std::u16string kept = uR"({"kept":true})";
    const Case cases[] = {
        {uR"( { "b" : 1, "a" : [1.5, "x\u00e9", null] } )", S_OK, uR"({"b":1,"a":[1.5,"xé",null]})",
         "members stay in their order"},
        {uR"({"a":1,"a":2})", S_OK, uR"({"a":2})", "a repeated name keeps the last value"},
        {uR"({"big":9007199254740993,"neg":-9223372036854775808})", S_OK,
         uR"({"big":9007199254740993,"neg":-9223372036854775808})", "64-bit integers exactly"},
        {u"[1,2]", E_INVALIDARG, kept, "an array is no object"},
        {u"42", E_INVALIDARG, kept, "a number is no object"},
        {u"", E_INVALIDARG, kept, "nothing"},
        {uR"({"a":1)", E_INVALIDARG, kept, "cut short"},
        {uR"({"a":1} x)", E_INVALIDARG, kept, "text after the object"},
        {uR"({'a':1})", E_INVALIDARG, kept, "single quotes"},
        {Nested(256), S_OK, Nested(256), "as deep as allowed"},
        {Nested(257), E_INVALIDARG, kept, "one level deeper"},
        {Nested(100000), E_INVALIDARG, kept, "far deeper: refused without exhausting the stack"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        auto object = New<IJSONObject>(CLSID_JSONObject);
        EXPECT_EQ(Text(object.Get()), u"{}");
        ASSERT_EQ(object->FromJSONString(kept.c_str()), S_OK);
        EXPECT_EQ(object->FromJSONString(c.text.c_str()), c.hr);
        EXPECT_EQ(Text(object.Get()), c.compact);
    }
}

TEST_F(JsonObjectTest, MembersAndEquality) {
    auto object = New<IJSONObject>(CLSID_JSONObject);
    ASSERT_EQ(object->FromJSONString(uR"({"name":"Rivers","advanced":{"supportsPagination":true}})"), S_OK);
    BStr member;
    EXPECT_EQ(object->GetMember(u"advanced", member.Out()), S_OK);
    EXPECT_EQ(member.str(), uR"({"supportsPagination":true})");
    EXPECT_EQ(object->GetMember(u"Name", member.Out()), S_FALSE) << "member names are exact";
    EXPECT_TRUE(member.IsNull());
    EXPECT_EQ(object->GetMember(nullptr, member.Out()), E_POINTER);
    EXPECT_EQ(object->FromJSONString(nullptr), E_POINTER);

    auto reordered = New<IJSONObject>(CLSID_JSONObject);
    ASSERT_EQ(reordered->FromJSONString(uR"({"advanced":{"supportsPagination":true},"name":"Rivers"})"), S_OK);
    EXPECT_TRUE(Equal(object.Get(), reordered.Get())) << "member order does not matter to equality";
    ASSERT_EQ(reordered->FromJSONString(uR"({"advanced":{"supportsPagination":false},"name":"Rivers"})"), S_OK);
    EXPECT_FALSE(Equal(object.Get(), reordered.Get()));

    auto copy = CloneOf(object.Get());
    EXPECT_EQ(Text(copy.As<IJSONObject>().Get()), Text(object.Get()));
    EXPECT_EQ(QueryAs<IClone>(reordered.Get())->Assign(QueryAs<IClone>(object.Get()).Get()), S_OK);
    EXPECT_EQ(Text(reordered.Get()), Text(object.Get()));
    EXPECT_EQ(QueryAs<IClone>(reordered.Get())->Assign(New<IClone>(CLSID_QueryFilter).Get()), E_INVALIDARG);
}

} // namespace
} // namespace tavi::test
