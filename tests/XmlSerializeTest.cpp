// The XML layer: typed elements read back exactly, nested objects are created again, bad documents are refused.
#include "SampleValue.h"
#include "TestSupport.h"

#include "host/GPName.h"
#include "host/UID.h"
#include "host/XmlNamespace.h"
#include "host/XmlSerialize.h"
#include "tavi/Collections.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace tavi::test {
namespace {

using XmlStep = std::function<HRESULT(IXMLSerializeData*)>;

// An object whose XML form is whatever the test says.
class XmlProbe final : public Object<XmlProbe, IXMLSerialize> {
public:
    XmlStep write, read;
    HRESULT Serialize(IXMLSerializeData* data) override { return write ? write(data) : S_OK; }
    HRESULT Deserialize(IXMLSerializeData* data) override { return read ? read(data) : S_OK; }
};

// A plain list for the array elements.
class ProbeArray final : public Object<ProbeArray, IArray> {
public:
    std::vector<ComPtr<IUnknown>> items;
    HRESULT get_Count(int32_t* count) override {
        *count = static_cast<int32_t>(items.size());
        return S_OK;
    }
    HRESULT get_Element(int32_t index, IUnknown** element) override { return items.at(index).CopyTo(element); }
    HRESULT Add(IUnknown* element) override {
        items.emplace_back(element);
        return S_OK;
    }
    HRESULT Insert(int32_t, IUnknown*) override { return E_NOTIMPL; }
    HRESULT Remove(int32_t) override { return E_NOTIMPL; }
    HRESULT RemoveAll() override {
        items.clear();
        return S_OK;
    }
};

class XmlSerializeTest : public LeakCheckedTest {
protected:
    // Writes with `write`, then reads the document back into a fresh probe with `read`.
    String RoundTrip(XmlStep write, XmlStep read, HRESULT expectRead = S_OK) {
        auto writer = MakeObject<XmlProbe>();
        writer->write = std::move(write);
        BStr xml;
        EXPECT_EQ(TaviXmlSerialize(static_cast<IXMLSerialize*>(writer.Get()), nullptr, xml.Out()), S_OK);
        auto reader = MakeObject<XmlProbe>();
        reader->read = std::move(read);
        EXPECT_EQ(TaviXmlDeserialize(xml.c_str(), static_cast<IXMLSerialize*>(reader.Get())), expectRead)
            << ToUtf8(xml.view());
        return xml.str();
    }

    SampleClassScope classes_;
};

int32_t Index(IXMLSerializeData* data, const char16_t* name) {
    int32_t index = -2;
    EXPECT_EQ(data->Find(name, &index), S_OK);
    return index;
}

TEST_F(XmlSerializeTest, StringsReadBackUnchanged) {
    const char16_t* texts[] = {
        u"",    u"  spaced  ", u"<&>\"'", u"line\nbreak", u"tab\there", u"Gr\u00FC\u00DFe \u2713 \U0001D11E",
        u"]]>", u"&amp;"};
    for (const char16_t* text : texts) {
        SCOPED_TRACE(ToUtf8(text));
        String back = u"unset";
        RoundTrip([&](IXMLSerializeData* d) { return d->AddString(u"Text", text); },
                  [&](IXMLSerializeData* d) {
                      BStr value;
                      HRESULT hr = d->GetString(Index(d, u"Text"), value.Out());
                      back = value.str();
                      return hr;
                  });
        EXPECT_EQ(back, text);
    }
}

TEST_F(XmlSerializeTest, NumbersAndDatesReadBackExactly) {
    const double doubles[] = {0.1,
                              -0.0,
                              1e-310,
                              DBL_MAX,
                              -DBL_MIN,
                              123456789.123456789,
                              1.0 / 3,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::nan("")};
    const DATE dates[] = {0, 0.5, -1.25, 45000.123456789, 2958465.99998843, -657434.0, 36526.0 + 1.0 / 86400};
    const int32_t integers[] = {0, -1, INT32_MAX, INT32_MIN};
    RoundTrip(
        [&](IXMLSerializeData* d) {
            for (double v : doubles)
                EXPECT_EQ(d->AddDouble(u"D", v), S_OK);
            for (DATE v : dates)
                EXPECT_EQ(d->AddDate(u"T", v), S_OK);
            for (int32_t v : integers)
                EXPECT_EQ(d->AddInteger(u"I", v), S_OK);
            d->AddBoolean(u"B", VARIANT_TRUE);
            return d->AddBoolean(u"B", VARIANT_FALSE);
        },
        [&](IXMLSerializeData* d) {
            int32_t i = 0;
            for (double expected : doubles) {
                double v = 0;
                EXPECT_EQ(d->GetDouble(i++, &v), S_OK);
                if (std::isnan(expected)) {
                    EXPECT_TRUE(std::isnan(v));
                } else {
                    EXPECT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << expected; // bit for bit, -0 too
                }
            }
            for (DATE expected : dates) {
                DATE v = -1;
                EXPECT_EQ(d->GetDate(i++, &v), S_OK);
                EXPECT_EQ(v, expected);
            }
            for (int32_t expected : integers) {
                int32_t v = 1;
                EXPECT_EQ(d->GetInteger(i++, &v), S_OK);
                EXPECT_EQ(v, expected);
            }
            VARIANT_BOOL flag = VARIANT_FALSE;
            EXPECT_EQ(d->GetBoolean(i++, &flag), S_OK);
            EXPECT_EQ(flag, VARIANT_TRUE);
            EXPECT_EQ(d->GetBoolean(i++, &flag), S_OK);
            EXPECT_EQ(flag, VARIANT_FALSE);
            int32_t count = 0;
            d->get_ElementCount(&count);
            EXPECT_EQ(count, i);
            return S_OK;
        });
}

TEST_F(XmlSerializeTest, DatesAreWrittenAsCalendarText) {
    String xml = RoundTrip([](IXMLSerializeData* d) { return d->AddDate(u"T", 0.5); }, nullptr);
    EXPECT_NE(xml.find(u">1899-12-30T12:00:00<"), String::npos) << ToUtf8(xml);
}

Variant Of(VARTYPE vt, uint64_t bits) {
    Variant v;
    v.vt = vt;
    v.ullVal = bits;
    return v;
}

TEST_F(XmlSerializeTest, VariantsKeepTheirKind) {
    Variant r4;
    r4.vt = VT_R4;
    r4.fltVal = 0.1f;
    Variant cy;
    cy.vt = VT_CY;
    cy.cyVal.int64 = -123456789;
    std::vector<Variant> variants;
    variants.push_back(Variant());
    variants.push_back(Of(VT_NULL, 0));
    variants.push_back(Of(VT_I1, static_cast<uint8_t>(-5)));
    variants.push_back(Of(VT_UI1, 250));
    variants.push_back(Of(VT_I2, static_cast<uint16_t>(-300)));
    variants.push_back(Of(VT_UI2, 65000));
    variants.push_back(Variant::Int(-70000));
    variants.push_back(Of(VT_UI4, 4000000000u));
    variants.push_back(Of(VT_I8, static_cast<uint64_t>(-(int64_t{1} << 60))));
    variants.push_back(Of(VT_UI8, UINT64_MAX));
    variants.push_back(std::move(r4));
    variants.push_back(Variant::Double(2.5e-7));
    variants.push_back(std::move(cy));
    variants.push_back(Variant::Bool(true));
    variants.push_back(Variant::Date(45000.75));
    variants.push_back(Variant::Text(u"words"));
    RoundTrip(
        [&](IXMLSerializeData* d) {
            for (const auto& v : variants)
                EXPECT_EQ(d->AddVariant(u"V", &v), S_OK) << v.vt;
            return S_OK;
        },
        [&](IXMLSerializeData* d) {
            for (size_t i = 0; i < variants.size(); ++i) {
                SCOPED_TRACE(variants[i].vt);
                Variant v;
                EXPECT_EQ(d->GetVariant(static_cast<int32_t>(i), &v), S_OK);
                EXPECT_EQ(v.vt, variants[i].vt);
                if (v.vt != variants[i].vt)
                    continue;
                if (v.vt == VT_BSTR) {
                    EXPECT_EQ(std::u16string(v.bstrVal), variants[i].bstrVal);
                } else if (v.vt == VT_R4) {
                    EXPECT_EQ(v.fltVal, variants[i].fltVal);
                } else if (v.vt == VT_I1 || v.vt == VT_UI1) {
                    EXPECT_EQ(v.bVal, variants[i].bVal);
                } else if (v.vt == VT_I2 || v.vt == VT_UI2 || v.vt == VT_BOOL) {
                    EXPECT_EQ(v.uiVal, variants[i].uiVal);
                } else if (v.vt == VT_I4 || v.vt == VT_UI4) {
                    EXPECT_EQ(v.ulVal, variants[i].ulVal);
                } else if (v.vt != VT_EMPTY && v.vt != VT_NULL) {
                    EXPECT_EQ(v.ullVal, variants[i].ullVal);
                }
            }
            return S_OK;
        });
}

// The integer a variant holds, as decimal text; empty for other kinds.
std::string IntegerText(const VARIANT& v) {
    switch (v.vt) {
    case VT_I1:
        return std::to_string(v.cVal);
    case VT_UI1:
        return std::to_string(v.bVal);
    case VT_I2:
        return std::to_string(v.iVal);
    case VT_UI2:
        return std::to_string(v.uiVal);
    case VT_I4:
        return std::to_string(v.lVal);
    case VT_UI4:
        return std::to_string(v.ulVal);
    case VT_I8:
        return std::to_string(v.llVal);
    case VT_UI8:
        return std::to_string(v.ullVal);
    default:
        return {};
    }
}

TEST_F(XmlSerializeTest, VariantIntegersAreReadAtTheirOwnWidth) {
    struct IntegerCase {
        const char* type;
        const char* text;
        HRESULT hr;
        VARTYPE vt;
    };
    const IntegerCase cases[] = {
        {"byte", "-128", S_OK, VT_I1},                              // the lowest byte
        {"byte", "128", E_FAIL, VT_EMPTY},                          // one past the highest byte
        {"unsignedByte", "255", S_OK, VT_UI1},                      // the highest, which a byte could not hold
        {"unsignedByte", "-1", E_FAIL, VT_EMPTY},                   // no sign for the unsigned kinds
        {"short", "-32768", S_OK, VT_I2},                           // the lowest short
        {"short", "32768", E_FAIL, VT_EMPTY},                       // one past the highest short
        {"unsignedShort", "65535", S_OK, VT_UI2},                   // the highest unsigned short
        {"int", "-2147483648", S_OK, VT_I4},                        // the lowest int
        {"int", "2147483648", E_FAIL, VT_EMPTY},                    // one past the highest int
        {"unsignedInt", "4294967295", S_OK, VT_UI4},                // the highest unsigned int
        {"unsignedInt", "4294967296", E_FAIL, VT_EMPTY},            // one past it
        {"long", "-9223372036854775808", S_OK, VT_I8},              // the lowest long
        {"long", "9223372036854775808", E_FAIL, VT_EMPTY},          // one past the highest long
        {"unsignedLong", "18446744073709551615", S_OK, VT_UI8},     // the highest unsigned long
        {"unsignedLong", "18446744073709551616", E_FAIL, VT_EMPTY}, // one past it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.text);
        std::string xml = "<P xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                          "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:typens=\"urn:x\" "
                          "xsi:type=\"typens:P\"><V xsi:type=\"xs:" +
                          std::string(c.type) + "\">" + c.text + "</V></P>";
        auto probe = MakeObject<XmlProbe>();
        HRESULT hr = S_OK;
        Variant v;
        probe->read = [&](IXMLSerializeData* d) {
            hr = d->GetVariant(Index(d, u"V"), &v);
            return S_OK;
        };
        ASSERT_EQ(TaviXmlDeserialize(FromUtf8(xml).c_str(), static_cast<IXMLSerialize*>(probe.Get())), S_OK);
        EXPECT_EQ(hr, c.hr);
        EXPECT_EQ(v.vt, c.vt);
        if (c.hr == S_OK) {
            EXPECT_EQ(IntegerText(v), c.text);
        }
    }
}

TEST_F(XmlSerializeTest, NestedObjectsAndArraysAreCreatedAgain) {
    auto array = MakeObject<ProbeArray>();
    array->Add(MakeSample(1).Get());
    array->Add(nullptr);
    array->Add(MakeSample(3).Get());
    auto readBack = MakeObject<ProbeArray>();
    ComPtr<IUnknown> object, nothing;
    Variant objectVariant;
    String xml = RoundTrip(
        [&](IXMLSerializeData* d) {
            auto sample = MakeSample(40);
            Variant asVariant;
            asVariant.vt = VT_UNKNOWN;
            asVariant.punkVal = ComPtr<IUnknown>(sample.Get()).Detach();
            EXPECT_EQ(d->AddObject(u"Object", sample.Get()), S_OK);
            EXPECT_EQ(d->AddObject(u"Nothing", nullptr), S_OK);
            EXPECT_EQ(d->AddVariant(u"AsVariant", &asVariant), S_OK);
            return d->AddObjectArray(u"Items", static_cast<IArray*>(array.Get()), u"GPSample", nullptr);
        },
        [&](IXMLSerializeData* d) {
            EXPECT_EQ(d->GetObject(Index(d, u"Object"), nullptr, u"GPSample", object.Out()), S_OK);
            EXPECT_EQ(d->GetObject(Index(d, u"Nothing"), nullptr, nullptr, nothing.Out()), S_FALSE);
            EXPECT_EQ(d->GetVariant(Index(d, u"AsVariant"), &objectVariant), S_OK);
            return d->GetObjectArray(Index(d, u"Items"), nullptr, u"ArrayOfGPSample",
                                     static_cast<IArray*>(readBack.Get()));
        });
    auto number = [](IUnknown* object) {
        int32_t value = -1;
        if (auto sample = QueryAs<IGPSample>(object))
            sample->get_Value(&value);
        return value;
    };
    EXPECT_EQ(number(object.Get()), 40);
    EXPECT_FALSE(nothing);
    ASSERT_EQ(objectVariant.vt, VT_UNKNOWN);
    EXPECT_EQ(number(objectVariant.punkVal), 40);
    ASSERT_EQ(readBack->items.size(), 3u);
    EXPECT_EQ(number(readBack->items[0].Get()), 1);
    EXPECT_FALSE(readBack->items[1]);
    EXPECT_EQ(number(readBack->items[2].Get()), 3);
    EXPECT_NE(xml.find(u"typens:ArrayOfGPSample"), String::npos) << ToUtf8(xml);
}

TEST_F(XmlSerializeTest, ValueDocumentRoundTrip) {
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty);
        auto value = MakeSample(-8);
        if (empty)
            value.As<IGPValue>()->Empty();
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), u"urn:document", xml.Out()), S_OK);
        EXPECT_EQ(xml.view().find(u"<GPSample"), xml.view().find(u'<', 1)) << ToUtf8(xml.view()); // the root
        EXPECT_NE(xml.view().find(String(u"xmlns:typens=\"") + c_xml_ns_tavi + u"\""), std::u16string_view::npos);

        auto back = MakeSample(99);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), back.Get()), S_OK);
        VARIANT_BOOL equal = VARIANT_FALSE;
        back.As<IClone>()->IsEqual(value.As<IClone>().Get(), &equal);
        EXPECT_EQ(equal, VARIANT_TRUE) << ToUtf8(xml.view());
    }
}

TEST_F(XmlSerializeTest, TypeNameAndNamespaceReachTheReader) {
    BStr name, ns;
    RoundTrip(
        [](IXMLSerializeData* d) {
            d->put_TypeName(u"Probe");
            return S_OK; // no namespace of its own: the document's
        },
        [&](IXMLSerializeData* d) {
            d->get_TypeName(name.Out());
            return d->get_TypeNamespaceURI(ns.Out());
        });
    EXPECT_EQ(name.str(), u"Probe");
    EXPECT_EQ(ns.str(), XmlNamespaceUtil::GetDocumentNamespace());
}

TEST_F(XmlSerializeTest, MisuseGivesTheDocumentedCodes) {
    RoundTrip(
        [](IXMLSerializeData* d) {
            EXPECT_EQ(d->AddString(u"1st", u"x"), E_INVALIDARG); // not an element name
            EXPECT_EQ(d->AddString(u"a b", u"x"), E_INVALIDARG);
            EXPECT_EQ(d->AddString(nullptr, u"x"), E_POINTER);
            BStr text;
            EXPECT_EQ(d->GetString(0, text.Out()), E_FAIL); // reading from a writer
            auto notSerializable = MakeObject<ProbeArray>();
            EXPECT_EQ(d->AddObject(u"O", static_cast<IArray*>(notSerializable.Get())), E_INVALIDARG);
            return d->AddString(u"Text", u"twelve");
        },
        [](IXMLSerializeData* d) {
            int32_t number = 5;
            EXPECT_EQ(d->GetInteger(Index(d, u"Text"), &number), E_FAIL); // not of the asked kind
            EXPECT_EQ(number, 0);
            BStr text;
            EXPECT_EQ(d->GetString(7, text.Out()), E_INVALIDARG);
            EXPECT_EQ(Index(d, u"Missing"), -1);
            EXPECT_EQ(d->AddString(u"More", u"x"), E_FAIL); // writing to a reader
            return S_OK;
        });
}

TEST_F(XmlSerializeTest, HostNameAndIdentifierObjectsComeBack) {
    auto name = MakeObject<GPName>();
    name->put_Name(u"GPSample");
    name->put_DisplayName(u"Sample");
    name->SetFactoryClassId(CLSID_GPDataTypeFactory);
    auto uid = MakeObject<UID>();
    uid->SetGUID(CLSID_GPSample, 2);
    ComPtr<IUnknown> nameBack, uidBack;
    RoundTrip(
        [&](IXMLSerializeData* d) {
            EXPECT_EQ(d->AddObject(u"Name", static_cast<IName*>(name.Get())), S_OK);
            return d->AddObject(u"Control", static_cast<IUID*>(uid.Get()));
        },
        [&](IXMLSerializeData* d) {
            EXPECT_EQ(d->GetObject(Index(d, u"Name"), nullptr, u"GPName", nameBack.Out()), S_OK);
            return d->GetObject(Index(d, u"Control"), nullptr, u"UID", uidBack.Out());
        });
    auto gpName = QueryAs<IGPName>(nameBack.Get());
    ASSERT_TRUE(gpName);
    BStr text;
    gpName->get_DisplayName(text.Out());
    EXPECT_EQ(text.str(), u"Sample");
    EXPECT_EQ(static_cast<GPName*>(gpName.Get())->FactoryClassId(), CLSID_GPDataTypeFactory);
    auto id = QueryAs<IUID>(uidBack.Get());
    ASSERT_TRUE(id);
    VARIANT_BOOL same = VARIANT_FALSE;
    EXPECT_EQ(id->Compare(static_cast<IUID*>(uid.Get()), &same), S_OK);
    EXPECT_EQ(same, VARIANT_TRUE);
}

TEST_F(XmlSerializeTest, BadDocumentsAreRefused) {
    const char16_t* documents[] = {
        u"",
        u"no markup at all",
        u"<a>",
        u"<a></b>",
        u"<a b=\"1></a>",
        u"<?xml version=\"1.0\"?>",
        u"<a><b></a></b>",
        u"<a>&undefined;</a>",
    };
    auto probe = MakeObject<XmlProbe>();
    for (const char16_t* text : documents) {
        SCOPED_TRACE(ToUtf8(text));
        EXPECT_EQ(TaviXmlDeserialize(text, static_cast<IXMLSerialize*>(probe.Get())), E_FAIL);
    }
    String deep;
    for (int i = 0; i < 100000; ++i)
        deep += u"<a>";
    EXPECT_EQ(TaviXmlDeserialize(deep.c_str(), static_cast<IXMLSerialize*>(probe.Get())), E_FAIL);
    EXPECT_EQ(TaviXmlDeserialize(nullptr, static_cast<IXMLSerialize*>(probe.Get())), E_POINTER);
}

TEST_F(XmlSerializeTest, UnknownNestedClassIsAFailureNotACrash) {
    const char16_t* xml =
        u"<P xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:typens=\"urn:x\" xsi:type=\"typens:P\">"
        u"<O xsi:type=\"typens:Nowhere\" clsid=\"{00000000-1111-2222-3333-444444444444}\"/>"
        u"<N xsi:type=\"typens:NoSuchClassName\"/></P>";
    auto probe = MakeObject<XmlProbe>();
    HRESULT byClass = S_OK, byName = S_OK;
    probe->read = [&](IXMLSerializeData* d) {
        ComPtr<IUnknown> object;
        byClass = d->GetObject(Index(d, u"O"), nullptr, nullptr, object.Out());
        byName = d->GetObject(Index(d, u"N"), nullptr, nullptr, object.Out());
        return S_OK;
    };
    ASSERT_EQ(TaviXmlDeserialize(xml, static_cast<IXMLSerialize*>(probe.Get())), S_OK);
    EXPECT_EQ(byClass, E_FAIL);
    EXPECT_EQ(byName, E_FAIL);
}

} // namespace
} // namespace tavi::test
