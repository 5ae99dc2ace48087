// The spatial reference and coordinate system values: resolving texts, the eight-field text form, the shared
// holding, stream and XML forms.
#include "values/GPSpatialReference.h"

#include "host/CreateInstance.h"
#include "host/DoubleText.h"
#include "host/MessageMaker.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "tavi/GPUtilities.h"

#include <array>
#include <cmath>
#include <vector>

namespace tavi {

namespace {

constexpr int32_t kBadTextCode = kMessageCodeInvalidValue;
constexpr std::u16string_view kMissingField = u"#";
constexpr std::u16string_view kHighPrecision = u"IsHighPrecision";
constexpr std::u16string_view kLowPrecision = u"IsLowPrecision";
constexpr size_t kFieldCount = 8;

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// The spatial reference of the dataset `path` names, through the thread's utility object (values sit below it).
HRESULT SpatialReferenceOfDataset(const String& path, ISpatialReference** spatialReference) {
    ComPtr<IGPUtilities> utilities;
    if (HRESULT hr =
            AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities.OutVoid());
        FAILED(hr) || !utilities)
        return E_INVALIDARG;
    ComPtr<IDataElement> element;
    if (FAILED(utilities->OpenDataElementFromText(path.c_str(), element.Out())) || !element)
        return E_INVALIDARG;
    ComPtr<ISpatialReference> found;
    if (utilities->GetSpatialReference(element.Get(), found.Out()) != S_OK || !found)
        return E_INVALIDARG;
    *spatialReference = found.Detach();
    return S_OK;
}

// The fields of a spatial reference text: split at ";", the extra leading ones of a text with more than eight
// joined back into the first.
std::vector<std::u16string_view> SplitFields(std::u16string_view text) {
    std::vector<std::u16string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(u';', start);
        fields.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
        if (end == std::u16string_view::npos)
            break;
        start = end + 1;
    }
    if (fields.size() > kFieldCount) {
        size_t extra = fields.size() - kFieldCount;
        const char16_t* first = fields[0].data();
        const char16_t* last = fields[extra].data() + fields[extra].size();
        fields.erase(fields.begin(), fields.begin() + static_cast<ptrdiff_t>(extra));
        fields[0] = std::u16string_view(first, static_cast<size_t>(last - first));
    }
    return fields;
}

// Exactly `count` blank-separated numbers, or false.
bool ReadNumbers(std::u16string_view field, double* numbers, size_t count) {
    String trimmed = Trim(field);
    std::u16string_view rest = trimmed;
    for (size_t i = 0; i < count; ++i) {
        size_t begin = rest.find_first_not_of(u' ');
        if (begin == std::u16string_view::npos)
            return false;
        rest.remove_prefix(begin);
        size_t end = rest.find(u' ');
        if (!doubletext::Read(rest.substr(0, end), numbers[i]))
            return false;
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end);
    }
    return rest.find_first_not_of(u' ') == std::u16string_view::npos;
}

bool IsPrecisionKeyword(std::u16string_view field) {
    String keyword = Trim(field);
    return EqualsNoCase(keyword, kHighPrecision) || EqualsNoCase(keyword, kLowPrecision);
}

// Applies field `index` (1-based, 2..8) to `sr`; false when it does not read or the reference refuses it.
bool ApplyField(ISpatialReference* sr, size_t index, std::u16string_view field) {
    double n[3] = {};
    switch (index) {
    case 2:
        return ReadNumbers(field, n, 3) && SUCCEEDED(sr->SetFalseOriginAndUnits(n[0], n[1], n[2]));
    case 3:
        return ReadNumbers(field, n, 2) && SUCCEEDED(sr->SetZFalseOriginAndUnits(n[0], n[1]));
    case 4:
        return ReadNumbers(field, n, 2) && SUCCEEDED(sr->SetMFalseOriginAndUnits(n[0], n[1]));
    case 5:
        return ReadNumbers(field, n, 1) && SUCCEEDED(sr->put_XYTolerance(n[0]));
    case 6:
        return ReadNumbers(field, n, 1) && SUCCEEDED(sr->put_ZTolerance(n[0]));
    case 7:
        return ReadNumbers(field, n, 1) && SUCCEEDED(sr->put_MTolerance(n[0]));
    case 8: {
        if (!IsPrecisionKeyword(field))
            return false;
        bool high = EqualsNoCase(Trim(field), kHighPrecision);
        return SUCCEEDED(sr->put_IsHighPrecision(high ? VARIANT_TRUE : VARIANT_FALSE));
    }
    default:
        return false;
    }
}

bool Has(HRESULT (ISpatialReference::*query)(VARIANT_BOOL*), ISpatialReference* sr) {
    VARIANT_BOOL has = VARIANT_FALSE;
    return SUCCEEDED((sr->*query)(&has)) && has != VARIANT_FALSE;
}

// The eight-field text of `sr`.
HRESULT SpatialReferenceText(ISpatialReference* sr, String& text) {
    BStr wkt;
    if (HRESULT hr = sr->ExportToWKT(wkt.Out()); FAILED(hr))
        return hr;
    text = wkt.str();
    bool hasXY = Has(&ISpatialReference::HasXYPrecision, sr);
    bool hasZ = Has(&ISpatialReference::HasZPrecision, sr);
    bool hasM = Has(&ISpatialReference::HasMPrecision, sr);
    double a = 0, b = 0, c = 0;
    std::array<String, kFieldCount - 1> fields; // fields 2..8, "#" unless set
    fields.fill(String(kMissingField));
    if (hasXY && SUCCEEDED(sr->GetFalseOriginAndUnits(&a, &b, &c)))
        fields[0].clear(), doubletext::AppendNumbers(fields[0], {a, b, c});
    if (hasZ && SUCCEEDED(sr->GetZFalseOriginAndUnits(&a, &b)))
        fields[1].clear(), doubletext::AppendNumbers(fields[1], {a, b});
    if (hasM && SUCCEEDED(sr->GetMFalseOriginAndUnits(&a, &b)))
        fields[2].clear(), doubletext::AppendNumbers(fields[2], {a, b});
    if (hasXY && SUCCEEDED(sr->get_XYTolerance(&a)))
        fields[3].clear(), doubletext::AppendNumbers(fields[3], {a});
    if (hasZ && SUCCEEDED(sr->get_ZTolerance(&a)))
        fields[4].clear(), doubletext::AppendNumbers(fields[4], {a});
    if (hasM && SUCCEEDED(sr->get_MTolerance(&a)))
        fields[5].clear(), doubletext::AppendNumbers(fields[5], {a});
    VARIANT_BOOL high = VARIANT_FALSE;
    bool precisionKnown = SUCCEEDED(sr->get_IsHighPrecision(&high));
    if (precisionKnown)
        fields[6] = String(high != VARIANT_FALSE ? kHighPrecision : kLowPrecision);
    // Without any precision only the well-known text (and the precision keyword) is written.
    for (size_t i = 0; (hasXY || hasZ || hasM) && i + 1 < fields.size(); ++i)
        text.append(u";").append(fields[i]);
    if (precisionKnown)
        text.append(u";").append(fields[6]);
    return S_OK;
}

} // namespace

HRESULT ResolveSpatialReferenceText(std::u16string_view text, ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String trimmed = Trim(text);
        if (trimmed.empty())
            return E_INVALIDARG;
        if (EndsWithNoCase(trimmed, u".prj"))
            return CreateSpatialReferenceFromPrjFile(trimmed, spatialReference);
        if (SUCCEEDED(CreateSpatialReferenceFromText(trimmed, spatialReference)))
            return S_OK;
        return SpatialReferenceOfDataset(trimmed, spatialReference);
    });
}

bool SameSpatialReference(ISpatialReference* a, ISpatialReference* b, bool withDomains) {
    if (!a || !b)
        return a == b;
    VARIANT_BOOL same = VARIANT_FALSE;
    if (FAILED(a->IsSameCoordinateSystem(b, &same)) || !same)
        return false;
    if (!withDomains)
        return true;
    using Query = HRESULT (ISpatialReference::*)(VARIANT_BOOL*);
    for (Query query : {&ISpatialReference::HasXYPrecision, &ISpatialReference::HasZPrecision,
                        &ISpatialReference::HasMPrecision, &ISpatialReference::get_IsHighPrecision})
        if (Has(query, a) != Has(query, b))
            return false;
    // Each group: origins, units and tolerance, read only where the group is defined (zeros otherwise).
    auto xy = [](ISpatialReference* sr) {
        std::array<double, 4> v{};
        sr->GetFalseOriginAndUnits(&v[0], &v[1], &v[2]);
        sr->get_XYTolerance(&v[3]);
        return v;
    };
    auto z = [](ISpatialReference* sr) {
        std::array<double, 3> v{};
        if (Has(&ISpatialReference::HasZPrecision, sr))
            sr->GetZFalseOriginAndUnits(&v[0], &v[1]), sr->get_ZTolerance(&v[2]);
        return v;
    };
    auto m = [](ISpatialReference* sr) {
        std::array<double, 3> v{};
        if (Has(&ISpatialReference::HasMPrecision, sr))
            sr->GetMFalseOriginAndUnits(&v[0], &v[1]), sr->get_MTolerance(&v[2]);
        return v;
    };
    return xy(a) == xy(b) && z(a) == z(b) && m(a) == m(b);
}

// ---- the shared holding ----

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::get_CoordinateSystem(ISpatialReference** coordinateSystem) {
    if (HRESULT hr = ClearOut(coordinateSystem); FAILED(hr))
        return hr;
    *coordinateSystem = ComPtr<ISpatialReference>(spatialReference_).Detach();
    return S_OK;
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::putref_CoordinateSystem(ISpatialReference* coordinateSystem) {
    return guard([&] { return Hold(coordinateSystem); });
}

template <class Derived, class... R> HRESULT SpatialReferenceValue<Derived, R...>::Hold(ISpatialReference* held) {
    if (!held)
        return Empty();
    spatialReference_ = ComPtr<ISpatialReference>(held);
    this->SetModified();
    return S_OK;
}

template <class Derived, class... R> HRESULT SpatialReferenceValue<Derived, R...>::get_ToolTip(BSTR* toolTip) {
    if (HRESULT hr = ClearOut(toolTip); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        BStr name;
        if (spatialReference_ && FAILED(spatialReference_->get_Name(name.Out())))
            name = BStr();
        *toolTip = MakeBSTR(name.view());
        return *toolTip ? S_OK : E_OUTOFMEMORY;
    });
}

template <class Derived, class... R> HRESULT SpatialReferenceValue<Derived, R...>::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = spatialReference_ ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

template <class Derived, class... R> HRESULT SpatialReferenceValue<Derived, R...>::Empty() {
    spatialReference_.Reset();
    return this->BaseEmpty();
}

template <class Derived, class... R> HRESULT SpatialReferenceValue<Derived, R...>::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IPersistStream>(source);
        CLSID clsid{};
        if (!other || FAILED(other->GetClassID(&clsid)) || clsid != Derived::kClassId)
            return E_INVALIDARG;
        ComPtr<ISpatialReference> held, copy;
        if (auto system = QueryAs<IGPCoordinateSystem>(source))
            system->get_CoordinateSystem(held.Out());
        if (held)
            if (HRESULT hr = held->Clone(copy.Out()); FAILED(hr))
                return hr;
        spatialReference_ = std::move(copy);
        return this->BaseAssign(source);
    });
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto persist = QueryAs<IPersistStream>(other);
        auto system = QueryAs<IGPCoordinateSystem>(other);
        CLSID clsid{};
        if (!persist || !system || FAILED(persist->GetClassID(&clsid)) || clsid != Derived::kClassId)
            return S_OK;
        ComPtr<ISpatialReference> theirs;
        system->get_CoordinateSystem(theirs.Out());
        if (!SameSpatialReference(spatialReference_.Get(), theirs.Get(), Derived::kCompareDomains))
            return S_OK;
        return this->BaseIsEqual(other, equal);
    });
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::ReportBadText(IGPMessage* message, std::u16string_view field) {
    Empty();
    auto error = QueryAs<IGPErrorMessage>(message);
    String text = VerdictText(kBadTextCode, field);
    if (!error || FAILED(error->MakeErrorWithText(taviGPMessageTypeError, kBadTextCode, text.c_str())))
        return E_FAIL;
    return S_OK;
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::SaveContent(IStream* stream, uint16_t) {
    return SaveObject(spatialReference_.Get(), stream, false);
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::LoadContent(IStream* stream, uint16_t version) {
    ComPtr<ISpatialReference> loaded;
    if (FAILED(LoadObject(stream, ISpatialReference::iid, loaded.OutVoid())))
        return E_FAIL;
    int16_t unused = 0; // version 2 wrote one more 16-bit value that nothing reads
    if (version == 2 && FAILED(AfStreamRead(stream, &unused)))
        return E_FAIL;
    spatialReference_ = std::move(loaded);
    this->SetEmptyFlag(!spatialReference_);
    return S_OK;
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::SerializeContent(IXMLSerializeData* data) {
    if (!spatialReference_)
        return S_OK;
    return data->AddObject(u"SpatialReference", spatialReference_.Get());
}

template <class Derived, class... R>
HRESULT SpatialReferenceValue<Derived, R...>::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    data->Find(u"SpatialReference", &index);
    ComPtr<IUnknown> object;
    if (index >= 0 && FAILED(data->GetObject(index, nullptr, u"SpatialReference", object.Out())))
        return E_FAIL;
    auto read = QueryAs<ISpatialReference>(object.Get());
    if (object && !read)
        return E_FAIL;
    spatialReference_ = std::move(read);
    this->SetEmptyFlag(!spatialReference_);
    return S_OK;
}

// ---- GPSpatialReference ----

HRESULT GPSpatialReference::get_SpatialReference(ISpatialReference** spatialReference) {
    return get_CoordinateSystem(spatialReference);
}

HRESULT GPSpatialReference::putref_SpatialReference(ISpatialReference* spatialReference) {
    return putref_CoordinateSystem(spatialReference);
}

HRESULT GPSpatialReference::QueryXYDomain(double* xmin, double* ymin, double* xmax, double* ymax) {
    if (!xmin || !ymin || !xmax || !ymax)
        return E_POINTER;
    *xmin = *ymin = *xmax = *ymax = 0;
    if (!Held())
        return S_FALSE;
    return Held()->GetDomain(xmin, xmax, ymin, ymax);
}

HRESULT GPSpatialReference::PutXYDomain(double xmin, double ymin, double xmax, double ymax) {
    if (!Held())
        return E_FAIL;
    HRESULT hr = Held()->SetDomain(xmin, xmax, ymin, ymax);
    if (SUCCEEDED(hr))
        SetModified();
    return hr;
}

HRESULT GPSpatialReference::QueryZDomain(double* zmin, double* zmax) {
    if (!zmin || !zmax)
        return E_POINTER;
    *zmin = *zmax = 0;
    if (!Held() || !Has(&ISpatialReference::HasZPrecision, Held()))
        return S_FALSE;
    return Held()->GetZDomain(zmin, zmax);
}

HRESULT GPSpatialReference::PutZDomain(double zmin, double zmax) {
    if (!Held())
        return E_FAIL;
    HRESULT hr = Held()->SetZDomain(zmin, zmax);
    if (SUCCEEDED(hr))
        SetModified();
    return hr;
}

HRESULT GPSpatialReference::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String written;
        if (Held())
            if (HRESULT hr = SpatialReferenceText(Held(), written); FAILED(hr))
                return hr;
        *text = MakeBSTR(written);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPSpatialReference::ReadText(std::u16string_view text, ISpatialReference** read,
                                     std::u16string_view& badField) {
    std::vector<std::u16string_view> fields = SplitFields(text);
    ComPtr<ISpatialReference> sr;
    badField = fields[0];
    if (FAILED(ResolveSpatialReferenceText(fields[0], sr.Out())))
        return E_INVALIDARG;
    for (size_t i = 1; i < fields.size(); ++i) {
        if (Trim(fields[i]) == kMissingField)
            continue;
        // The precision keyword is field 8 wherever it stands: a reference without any precision writes it second.
        size_t index = IsPrecisionKeyword(fields[i]) ? kFieldCount : i + 1;
        badField = fields[i];
        if (!ApplyField(sr.Get(), index, fields[i]))
            return E_INVALIDARG;
    }
    *read = sr.Detach();
    return S_OK;
}

HRESULT GPSpatialReference::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        Empty();
        if (text && *text) {
            ComPtr<ISpatialReference> read;
            std::u16string_view badField;
            if (SUCCEEDED(ReadText(text, read.Out(), badField)))
                Hold(read.Get());
            else if (FAILED(ReportBadText(made.Get(), badField)))
                return E_FAIL;
        }
        *message = made.Detach();
        return S_OK;
    });
}

// ---- GPCoordinateSystem ----

HRESULT GPCoordinateSystem::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    if (!Held())
        return guard([&]() -> HRESULT {
            *text = MakeBSTR(u"");
            return *text ? S_OK : E_OUTOFMEMORY;
        });
    return Held()->ExportToWKT(text);
}

HRESULT GPCoordinateSystem::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        Empty();
        if (text && *text) {
            std::u16string_view whole(text);
            ComPtr<ISpatialReference> read;
            HRESULT hr = ResolveSpatialReferenceText(whole, read.Out());
            if (FAILED(hr) && whole.find(u';') != std::u16string_view::npos)
                hr = ResolveSpatialReferenceText(SplitFields(whole)[0], read.Out());
            if (SUCCEEDED(hr))
                Hold(read.Get());
            else if (FAILED(ReportBadText(made.Get(), whole)))
                return E_FAIL;
        }
        *message = made.Detach();
        return S_OK;
    });
}

template class SpatialReferenceValue<GPSpatialReference, IGPSpatialReference, IGPCoordinateSystem, IGPXYDomain,
                                     IGPZDomain, IGPToolTip, ValueInterfaces>;
template class SpatialReferenceValue<GPCoordinateSystem, IGPCoordinateSystem, IGPToolTip, ValueInterfaces>;

} // namespace tavi
