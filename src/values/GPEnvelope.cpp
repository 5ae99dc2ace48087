// The envelope and extent values: texts, the extent's sources, stream and XML forms, comparison.
#include "values/GPEnvelope.h"

#include "host/CreateInstance.h"
#include "host/DoubleText.h"
#include "host/Envelope.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "host/TextTokenizer.h"
#include "host/XmlNamespace.h"
#include "tavi/GPSpatialReferenceValues.h"

#include <array>
#include <new>

namespace tavi {

namespace {

constexpr const char16_t* kXmlExtent = u"Extent";
constexpr const char16_t* kXmlExtentType = u"ExtentType";
// The keywords of the extent types 0 to 3, as written; reading compares them without regard to case.
constexpr std::array<const char16_t*, 4> kTypeKeywords = {u"DEFAULT", u"MAXOF", u"MINOF", u"VALUE"};
constexpr int32_t kTypeValue = 3;

using Coordinates = std::array<double, 4>; // XMin, YMin, XMax, YMax

// Four numbers separated by blanks; `rest` (when asked for) gets a copy of the text after them, trimmed. False when
// a number is missing or a token is no number.
bool ReadCoordinates(std::u16string_view text, Coordinates& coordinates, String* rest = nullptr) {
    TextTokenizer tokens(text, u" ");
    for (double& coordinate : coordinates)
        if (FAILED(tokens.NextDouble(coordinate)))
            return false;
    if (rest)
        *rest = Trim(tokens.Rest()); // a copy: the tokenizer's text goes away with it
    return true;
}

// The four coordinates joined by single blanks; empty for an empty envelope.
HRESULT RectangleText(IEnvelope* envelope, String& text) {
    text.clear();
    VARIANT_BOOL empty = VARIANT_TRUE;
    if (FAILED(envelope->get_IsEmpty(&empty)) || empty)
        return S_OK;
    Coordinates c{};
    if (HRESULT hr = envelope->QueryCoords(&c[0], &c[1], &c[2], &c[3]); FAILED(hr))
        return hr;
    // Each number as GPDouble writes it: the locale's own 15-digit text where that reads back exactly, else the
    // shortest text that does, so that a rectangle taken from data survives its text form unchanged.
    doubletext::AppendNumbers(text, {c[0], c[1], c[2], c[3]});
    return S_OK;
}

// An independent copy of `envelope` (through its IClone); null when it cannot be copied.
ComPtr<IEnvelope> CopyEnvelope(IEnvelope* envelope) {
    ComPtr<IClone> copy;
    auto clone = QueryAs<IClone>(envelope);
    if (!clone || FAILED(clone->Clone(copy.Out())))
        return {};
    return QueryAs<IEnvelope>(copy.Get());
}

// Equal when both are missing, or both present and equal by the envelope's own comparison.
bool SameEnvelope(IEnvelope* a, IEnvelope* b) {
    if (!a || !b)
        return !a && !b;
    VARIANT_BOOL equal = VARIANT_FALSE;
    return SUCCEEDED(a->IsEqual(b, &equal)) && equal;
}

// The text of a GPSpatialReference value holding `spatialReference`; empty when the value cannot be made.
String SpatialReferenceText(ISpatialReference* spatialReference) {
    ComPtr<IGPSpatialReference> value;
    if (FAILED(AfCreateInstance(CLSID_GPSpatialReference, nullptr, CLSCTX_INPROC_SERVER, IGPSpatialReference::iid,
                                value.OutVoid())) ||
        !value || FAILED(value->putref_SpatialReference(spatialReference)))
        return {};
    BStr text;
    if (auto gpValue = QueryAs<IGPValue>(value.Get()); !gpValue || FAILED(gpValue->GetAsText(text.Out())))
        return {};
    return text.str();
}

// The object a VARIANT holds; null for any other kind.
IUnknown* ObjectOf(const VARIANT& source) {
    return (source.vt == VT_UNKNOWN || source.vt == VT_DISPATCH) ? source.punkVal : nullptr;
}

std::u16string_view TextOf(const VARIANT& source) {
    return source.vt == VT_BSTR && source.bstrVal ? std::u16string_view(source.bstrVal, SysStringLen(source.bstrVal))
                                                  : std::u16string_view();
}

// The invalid-value message naming the text that could not be read.
HRESULT InvalidTextMessage(std::u16string_view text, IGPMessage** message) {
    return MakeMessage(100, kMessageCodeInvalidValue, VerdictText(kMessageCodeInvalidValue, text), message);
}

} // namespace

// ---- GPEnvelope ----

GPEnvelope::GPEnvelope() : GPValue(kClassId, CLSID_GPEnvelopeType) {
    if (FAILED(CreateEnvelope(envelope_.Out())) || !envelope_)
        throw std::bad_alloc();
}

template <class Set> HRESULT GPEnvelope::Forward(Set set) {
    return guard([&]() -> HRESULT {
        HRESULT hr = set(envelope_.Get());
        if (SUCCEEDED(hr))
            SetModified();
        return hr;
    });
}

HRESULT GPEnvelope::get_XMin(double* value) {
    return envelope_->get_XMin(value);
}
HRESULT GPEnvelope::put_XMin(double value) {
    return Forward([&](IEnvelope* e) { return e->put_XMin(value); });
}
HRESULT GPEnvelope::get_YMin(double* value) {
    return envelope_->get_YMin(value);
}
HRESULT GPEnvelope::put_YMin(double value) {
    return Forward([&](IEnvelope* e) { return e->put_YMin(value); });
}
HRESULT GPEnvelope::get_XMax(double* value) {
    return envelope_->get_XMax(value);
}
HRESULT GPEnvelope::put_XMax(double value) {
    return Forward([&](IEnvelope* e) { return e->put_XMax(value); });
}
HRESULT GPEnvelope::get_YMax(double* value) {
    return envelope_->get_YMax(value);
}
HRESULT GPEnvelope::put_YMax(double value) {
    return Forward([&](IEnvelope* e) { return e->put_YMax(value); });
}
HRESULT GPEnvelope::PutCoords(double xmin, double ymin, double xmax, double ymax) {
    return Forward([&](IEnvelope* e) { return e->PutCoords(xmin, ymin, xmax, ymax); });
}

HRESULT GPEnvelope::get_Envelope(IEnvelope** envelope) {
    if (HRESULT hr = ClearOut(envelope); FAILED(hr))
        return hr;
    return envelope_.CopyTo(envelope);
}

HRESULT GPEnvelope::putref_Envelope(IEnvelope* envelope) {
    return guard([&]() -> HRESULT {
        if (!envelope)
            return Empty();
        envelope_ = ComPtr<IEnvelope>(envelope);
        SetModified();
        return S_OK;
    });
}

HRESULT GPEnvelope::put_Extent(int32_t type, VARIANT source, VARIANT coordinateSystemSource) {
    return guard([&]() -> HRESULT {
        // The extent does its work before this value is emptied, so that a source that is this very value (or its
        // envelope) is read while it still holds the rectangle.
        auto extent = MakeObject<GPExtent>();
        HRESULT hr = extent->put_Extent(type, source, coordinateSystemSource);
        Empty();
        int32_t madeType = 0;
        ComPtr<IEnvelope> made;
        if (SUCCEEDED(extent->get_Extent(&madeType, made.Out())) && made) {
            envelope_ = std::move(made);
            SetModified();
        }
        return hr;
    });
}

HRESULT GPEnvelope::get_Extent(int32_t* type, IEnvelope** envelope) {
    if (!type || !envelope)
        return E_POINTER;
    *type = kTypeValue;
    *envelope = nullptr;
    return envelope_.CopyTo(envelope);
}

HRESULT GPEnvelope::IsEmpty(VARIANT_BOOL* empty) {
    return envelope_->get_IsEmpty(empty);
}

HRESULT GPEnvelope::Empty() {
    return guard([&]() -> HRESULT {
        envelope_->SetEmpty();
        return BaseEmpty();
    });
}

HRESULT GPEnvelope::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String made;
        if (HRESULT hr = RectangleText(envelope_.Get(), made); FAILED(hr))
            return hr;
        *text = MakeBSTR(made);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPEnvelope::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, kBadTextCode, [&](std::u16string_view view) {
        Coordinates c{};
        // PutCoords refuses a minimum above its maximum, which leaves the rectangle as it was.
        if (ReadCoordinates(view, c))
            return SUCCEEDED(PutCoords(c[0], c[1], c[2], c[3]));
        return TakeExtentOfData(view);
    });
}

// A path to data is read as the rectangle of that data's extent, in its coordinate system: users hand a dataset
// where a rectangle is asked for as often as they type numbers. The work is done on a separate extent so that a
// text naming nothing leaves this value as it was.
bool GPEnvelope::TakeExtentOfData(std::u16string_view text) {
    auto extent = MakeObject<GPExtent>();
    int32_t type = 0;
    ComPtr<IEnvelope> made;
    if (extent->put_Extent(kTypeValue, Variant::Text(Trim(text)), Variant()) != S_OK ||
        FAILED(extent->get_Extent(&type, made.Out())) || !made)
        return false;
    envelope_ = std::move(made);
    SetModified();
    return true;
}

HRESULT GPEnvelope::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPEnvelope>(source);
        if (!other)
            return E_INVALIDARG;
        ComPtr<IEnvelope> theirs;
        other->get_Envelope(theirs.Out());
        ComPtr<IEnvelope> copy = theirs ? CopyEnvelope(theirs.Get()) : ComPtr<IEnvelope>();
        if (!copy)
            return E_FAIL;
        envelope_ = std::move(copy);
        return BaseAssign(source);
    });
}

HRESULT GPEnvelope::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto theirValue = QueryAs<IGPEnvelope>(other);
        if (!theirValue)
            return S_OK;
        ComPtr<IEnvelope> theirs;
        theirValue->get_Envelope(theirs.Out());
        if (!SameEnvelope(envelope_.Get(), theirs.Get()))
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

HRESULT GPEnvelope::SaveContent(IStream* stream, uint16_t) {
    return SaveObject(envelope_.Get(), stream, false);
}

HRESULT GPEnvelope::LoadContent(IStream* stream, uint16_t) {
    ComPtr<IEnvelope> loaded;
    if (FAILED(LoadObject(stream, IEnvelope::iid, loaded.OutVoid())) || !loaded)
        return E_FAIL;
    envelope_ = std::move(loaded);
    return S_OK;
}

HRESULT GPEnvelope::SerializeContent(IXMLSerializeData* data) {
    return data->AddObject(kXmlExtent, envelope_.Get());
}

HRESULT GPEnvelope::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    data->Find(kXmlExtent, &index);
    if (index < 0)
        return Empty();
    ComPtr<IUnknown> object;
    if (FAILED(data->GetObject(index, c_xml_ns_tavi, kXmlExtent, object.Out())))
        return E_FAIL;
    if (!object)
        return Empty();
    auto envelope = QueryAs<IEnvelope>(object.Get());
    return envelope ? putref_Envelope(envelope.Get()) : E_FAIL;
}

String GPEnvelope::XmlTypeNamespace() const {
    return c_xml_ns_tavi;
}

// ---- GPExtent ----

IGPUtilities* GPExtent::Utilities() {
    if (!utilities_)
        AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities_.OutVoid());
    return utilities_.Get();
}

IGPValueResolver* GPExtent::Resolver() {
    if (!resolver_)
        AfCreateInstance(CLSID_GPValueResolver, nullptr, CLSCTX_INPROC_SERVER, IGPValueResolver::iid,
                         resolver_.OutVoid());
    return resolver_.Get();
}

HRESULT GPExtent::put_Extent(int32_t type, VARIANT source, VARIANT coordinateSystemSource) {
    return guard([&]() -> HRESULT {
        Empty();
        if (type < 0 || type > kTypeValue)
            return E_INVALIDARG;
        type_ = type;
        if (type != kTypeValue) {
            if (type != 0)
                SetModified();
            return S_OK;
        }
        ComPtr<IEnvelope> envelope;
        HRESULT hr = EnvelopeOfSource(source, envelope);
        if (FAILED(hr) || !envelope) {
            Empty();
            return FAILED(hr) ? hr : S_FALSE;
        }
        if (auto target = CoordinateSystemOf(coordinateSystemSource)) {
            ComPtr<IEnvelope> projected;
            if (FAILED(ProjectEnvelope(envelope.Get(), target.Get(), projected.Out()))) {
                Empty();
                return E_FAIL;
            }
            envelope = std::move(projected);
        }
        envelope_ = std::move(envelope);
        SetModified();
        return S_OK;
    });
}

// The rectangle `source` gives: a copy of an envelope or an envelope value's envelope, or the extent of the data it
// names (null when the data has none). E_FAIL for a source that is no object and no text.
HRESULT GPExtent::EnvelopeOfSource(const VARIANT& source, ComPtr<IEnvelope>& envelope) {
    ComPtr<IUnknown> object(ObjectOf(source));
    if (!object && !TextOf(source).empty()) {
        ComPtr<IDataElement> element;
        if (!Utilities() || FAILED(Utilities()->OpenDataElementFromText(BStr(TextOf(source)).c_str(), element.Out())))
            return E_FAIL;
        object = QueryAs<IUnknown>(element.Get());
    }
    if (!object)
        return E_FAIL;
    ComPtr<IEnvelope> given = QueryAs<IEnvelope>(object.Get());
    if (auto value = QueryAs<IGPEnvelope>(object.Get()))
        value->get_Envelope(given.Out());
    if (given) {
        VARIANT_BOOL empty = VARIANT_TRUE;
        if (SUCCEEDED(given->get_IsEmpty(&empty)) && !empty)
            envelope = CopyEnvelope(given.Get());
        return S_OK;
    }
    if (auto value = QueryAs<IGPValue>(object.Get()); value && Resolver()) {
        ComPtr<IGPValue> actual;
        if (FAILED(Resolver()->ResolveValue(value.Get(), nullptr, actual.Out())) || !actual)
            return E_FAIL;
        object = QueryAs<IUnknown>(actual.Get());
    }
    if (!Utilities() || FAILED(Utilities()->GetExtent(object.Get(), envelope.Out())))
        return E_FAIL;
    return S_OK;
}

// The coordinate system a source names: a spatial reference, a spatial reference value, data that has one, or a
// text naming one. Null for an empty source and for one that names no coordinate system.
ComPtr<ISpatialReference> GPExtent::CoordinateSystemOf(const VARIANT& source) {
    if (!TextOf(source).empty())
        return CoordinateSystemFromText(TextOf(source));
    IUnknown* object = ObjectOf(source);
    if (!object)
        return {};
    if (auto spatialReference = QueryAs<ISpatialReference>(object))
        return spatialReference;
    ComPtr<ISpatialReference> found;
    if (auto value = QueryAs<IGPSpatialReference>(object)) {
        value->get_SpatialReference(found.Out());
        return found;
    }
    if (!Utilities() || Utilities()->GetSpatialReference(object, found.Out()) != S_OK)
        return {};
    return found;
}

// A text naming a coordinate system: what a spatial reference value reads, data that has one, or a definition the
// host reads ("EPSG:3857", well-known text).
ComPtr<ISpatialReference> GPExtent::CoordinateSystemFromText(std::u16string_view text) {
    ComPtr<ISpatialReference> found;
    BStr bstr(text);
    ComPtr<IGPValue> value;
    ComPtr<IGPMessage> message;
    int32_t messageType = 100;
    if (SUCCEEDED(AfCreateInstance(CLSID_GPSpatialReference, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid,
                                   value.OutVoid())) &&
        value && SUCCEEDED(value->SetAsText(bstr.c_str(), message.Out())) && message &&
        SUCCEEDED(message->get_Type(&messageType)) && messageType != 100) {
        if (auto held = QueryAs<IGPSpatialReference>(value.Get()); held)
            held->get_SpatialReference(found.Out());
        if (found)
            return found;
    }
    ComPtr<IDataElement> element;
    if (Utilities() && SUCCEEDED(Utilities()->OpenDataElementFromText(bstr.c_str(), element.Out())) &&
        Utilities()->GetSpatialReference(element.Get(), found.Out()) == S_OK)
        return found;
    found = nullptr;
    if (FAILED(CreateSpatialReferenceFromText(text, found.Out())))
        return {};
    return found;
}

HRESULT GPExtent::get_Extent(int32_t* type, IEnvelope** envelope) {
    if (!type || !envelope)
        return E_POINTER;
    *type = type_;
    *envelope = nullptr;
    return type_ == kTypeValue ? envelope_.CopyTo(envelope) : S_OK;
}

HRESULT GPExtent::Empty() {
    type_ = 0;
    envelope_ = nullptr;
    return BaseEmpty();
}

HRESULT GPExtent::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String made;
        if (type_ >= 0 && type_ < kTypeValue) {
            made = kTypeKeywords[static_cast<size_t>(type_)];
        } else if (type_ == kTypeValue) {
            if (!envelope_)
                return E_FAIL;
            if (HRESULT hr = RectangleText(envelope_.Get(), made); FAILED(hr))
                return hr;
            ComPtr<ISpatialReference> spatialReference;
            envelope_->get_SpatialReference(spatialReference.Out());
            if (String system = spatialReference ? SpatialReferenceText(spatialReference.Get()) : String();
                !made.empty() && !system.empty())
                made.append(u" ").append(system);
        }
        *text = MakeBSTR(made);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPExtent::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        Empty();
        if (!Resolver() || !Utilities())
            return E_FAIL;
        return ReadText(text ? std::u16string_view(text) : std::u16string_view(), message);
    });
}

HRESULT GPExtent::ReadText(std::u16string_view text, IGPMessage** message) {
    String trimmed = Trim(text);
    if (trimmed.empty())
        return MakeEmptyMessage(message);
    // The whole text may name data, blanks and all.
    ComPtr<IDataElement> element;
    if (SUCCEEDED(Utilities()->OpenDataElementFromText(trimmed.c_str(), element.Out())) && element) {
        Variant source;
        source.vt = VT_UNKNOWN;
        source.punkVal = QueryAs<IUnknown>(element.Get()).Detach();
        if (FAILED(put_Extent(kTypeValue, source, Variant()))) {
            Empty();
            return InvalidTextMessage(trimmed, message);
        }
        return MakeEmptyMessage(message);
    }
    TextTokenizer tokens(trimmed, u" ");
    if (ReadKeyword(tokens.NextToken()) || ReadRectangleOrData(trimmed))
        return MakeEmptyMessage(message);
    Empty();
    return InvalidTextMessage(trimmed, message);
}

bool GPExtent::ReadKeyword(std::u16string_view token) {
    for (int32_t type = 0; type < kTypeValue; ++type)
        if (EqualsNoCase(token, kTypeKeywords[static_cast<size_t>(type)])) {
            type_ = type;
            if (type != 0)
                SetModified();
            return true;
        }
    if (!EqualsNoCase(token, u"DISPLAY"))
        return false;
    ComPtr<IEnvelope> display;
    if (Utilities()->get_DisplayExtent(display.Out()) == S_OK && display) {
        type_ = kTypeValue;
        envelope_ = std::move(display);
        SetModified();
    }
    return true;
}

// A rectangle of four numbers (with an optional coordinate system text after them), or data with an optional
// second token naming the data whose coordinate system applies. False when the text is neither.
bool GPExtent::ReadRectangleOrData(std::u16string_view text) {
    TextTokenizer tokens(text, u" ");
    std::u16string_view body = text;
    if (EqualsNoCase(tokens.NextToken(), kTypeKeywords[kTypeValue]))
        body = tokens.Rest();
    ComPtr<ISpatialReference> output;
    Utilities()->get_OutputCoordinateSystem(output.Out());

    Coordinates c{};
    String rest;
    if (ReadCoordinates(body, c, &rest)) {
        ComPtr<ISpatialReference> system = output;
        if (!rest.empty() && !(system = CoordinateSystemFromText(rest)))
            return false; // a fifth token that names no coordinate system
        ComPtr<IEnvelope> envelope;
        if (FAILED(CreateEnvelope(c[0], c[1], c[2], c[3], system.Get(), envelope.Out())))
            return false;
        type_ = kTypeValue;
        envelope_ = std::move(envelope);
        SetModified();
        return true;
    }
    TextTokenizer dataTokens(body, u" ");
    String data(dataTokens.NextToken());
    String systemData(dataTokens.NextToken());
    if (data.empty())
        return false;
    Variant systemSource;
    if (!systemData.empty())
        systemSource = Variant::Text(systemData);
    else if (output) {
        systemSource.vt = VT_UNKNOWN;
        systemSource.punkVal = QueryAs<IUnknown>(output.Get()).Detach();
    }
    return put_Extent(kTypeValue, Variant::Text(data), systemSource) == S_OK;
}

HRESULT GPExtent::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPExtent>(source);
        if (!other)
            return E_INVALIDARG;
        int32_t type = 0;
        ComPtr<IEnvelope> theirs;
        if (HRESULT hr = other->get_Extent(&type, theirs.Out()); FAILED(hr))
            return hr;
        ComPtr<IEnvelope> copy;
        if (theirs && !(copy = CopyEnvelope(theirs.Get())))
            return E_FAIL;
        type_ = type;
        envelope_ = std::move(copy);
        return BaseAssign(source);
    });
}

HRESULT GPExtent::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto theirValue = QueryAs<IGPExtent>(other);
        if (!theirValue)
            return S_OK;
        int32_t type = 0;
        ComPtr<IEnvelope> theirs;
        if (FAILED(theirValue->get_Extent(&type, theirs.Out())) || type != type_ ||
            !SameEnvelope(envelope_.Get(), theirs.Get()))
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

HRESULT GPExtent::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(AfStreamWrite(stream, type_)) || FAILED(SaveObject(envelope_.Get(), stream, false)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPExtent::LoadContent(IStream* stream, uint16_t) {
    int32_t type = 0;
    ComPtr<IEnvelope> envelope;
    if (FAILED(AfStreamRead(stream, &type)) || type < 0 || type > kTypeValue ||
        FAILED(LoadObject(stream, IEnvelope::iid, envelope.OutVoid())) || (type == kTypeValue && !envelope))
        return E_FAIL;
    type_ = type;
    envelope_ = type == kTypeValue ? std::move(envelope) : ComPtr<IEnvelope>();
    if (type != 0)
        SetEmptyFlag(false);
    return S_OK;
}

HRESULT GPExtent::SerializeContent(IXMLSerializeData* data) {
    if (type_ < 0 || type_ > kTypeValue || (type_ == kTypeValue && !envelope_))
        return E_FAIL;
    if (HRESULT hr = data->AddString(kXmlExtentType, kTypeKeywords[static_cast<size_t>(type_)]); FAILED(hr))
        return hr;
    return type_ == kTypeValue ? data->AddObject(kXmlExtent, envelope_.Get()) : S_OK;
}

HRESULT GPExtent::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    data->Find(kXmlExtentType, &index);
    BStr keyword;
    if (index >= 0 && FAILED(data->GetString(index, keyword.Out())))
        return E_FAIL;
    for (int32_t type = 0; type < kTypeValue; ++type)
        if (EqualsNoCase(keyword.view(), kTypeKeywords[static_cast<size_t>(type)])) {
            type_ = type;
            envelope_ = nullptr;
        }
    if (EqualsNoCase(keyword.view(), kTypeKeywords[kTypeValue])) {
        int32_t extentIndex = -1;
        data->Find(kXmlExtent, &extentIndex);
        ComPtr<IUnknown> object;
        if (extentIndex < 0 || FAILED(data->GetObject(extentIndex, c_xml_ns_tavi, u"Envelope", object.Out())))
            return E_FAIL;
        auto envelope = QueryAs<IEnvelope>(object.Get());
        if (!envelope)
            return E_FAIL;
        type_ = kTypeValue;
        envelope_ = std::move(envelope);
    }
    SetEmptyFlag(false);
    return S_OK;
}

String GPExtent::XmlTypeNamespace() const {
    return c_xml_ns_tavi;
}

} // namespace tavi
