// The map, layout and report values.
#include "values/GPMapValues.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/ModelVariables.h"
#include "host/StreamIO.h"
#include "tavi/GPUtilities.h"

#include <iterator>

namespace tavi {

namespace {

// Save versions for the newer application line (every version writes 1); the older line has none, so its documents
// get nothing.
constexpr int16_t kNewerSaveVersions[1] = {1};

constexpr char16_t kXmlNameString[] = u"Namestring";
constexpr char16_t kXmlMapType[] = u"MapType";
constexpr char16_t kBasemapText[] = u"Basemap";
constexpr char16_t kMapText[] = u"Map";

const char16_t* MapTypeText(int32_t mapType) {
    return mapType == taviMapTypeBasemap ? kBasemapText : kMapText;
}

// The item of the current project (or document file) `text` names, through the utility object's project operations:
// null when it names none, and when the utility object cannot be asked.
template <class Own> ComPtr<Own> FindProjectItem(const OLECHAR* text) {
    ComPtr<IGPProjectUtilities> project;
    if (FAILED(AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPProjectUtilities::iid,
                                project.OutVoid())) ||
        !project)
        return {};
    ComPtr<Own> found;
    HRESULT hr = E_FAIL;
    if constexpr (std::is_same_v<Own, IGPMap>)
        hr = project->FindMap(text, found.Out());
    else if constexpr (std::is_same_v<Own, IGPLayout>)
        hr = project->FindLayout(text, found.Out());
    else
        hr = project->FindReport(text, found.Out());
    if (FAILED(hr))
        return {};
    return found;
}

} // namespace

// ---- IGPValue ----

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (HRESULT hr = this->NewTextMessage(made.Out()); FAILED(hr))
            return hr;
        Empty();
        HRESULT result = S_OK; // the empty text leaves the value empty
        if (text && *text) {
            if (ComPtr<Own> found = FindItem(text)) {
                result = Assign(QueryAs<IClone>(found.Get()).Get());
            } else {
                nameString_ = String(text);
                Touch();
                result = S_FALSE;
            }
        }
        if (FAILED(result))
            return result;
        *message = made.Detach();
        return result;
    });
}

template <class Derived, class Own> ComPtr<Own> DocumentItemValue<Derived, Own>::FindItem(const OLECHAR* text) {
    return FindProjectItem<Own>(text);
}

// ---- IGPDescribe ----

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::Describe(const OLECHAR* name, VARIANT* value) {
    if (!name || !value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::u16string_view asked(name);
        if (EqualsNoCase(asked, u"NameString"))
            return DescribeString(nameString_, value);
        if (EqualsNoCase(asked, u"Path"))
            return DescribeString(path_, value);
        if constexpr (kIsMap)
            if (EqualsNoCase(asked, u"Type"))
                return DescribeString(MapTypeText(mapType_), value);
        return this->CoreDescribe(name, value);
    });
}

// ---- IClone ----

template <class Derived, class Own> HRESULT DocumentItemValue<Derived, Own>::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<Own>(source);
        if (!other)
            return E_INVALIDARG;
        BStr name, path;
        int32_t setting = 0, setting2 = 0, setting3 = 0, mapType = taviMapTypeMap;
        if (FAILED(other->get_NameString(name.Out())) || FAILED(other->get_Path(path.Out())) ||
            FAILED(other->get_Setting(&setting)))
            return E_FAIL;
        if constexpr (kIsMap)
            if (FAILED(other->get_Setting2(&setting2)) || FAILED(other->get_Setting3(&setting3)) ||
                FAILED(other->get_MapType(&mapType)))
                return E_FAIL;
        nameString_ = name.str();
        path_ = path.str();
        setting_ = setting;
        setting2_ = setting2;
        setting3_ = setting3;
        mapType_ = mapType;
        HRESULT hr = this->BaseAssign(source);
        // Emptiness follows the name string, whatever another implementation of the interface says of itself.
        this->SetEmptyFlag(nameString_.empty());
        return hr;
    });
}

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto item = QueryAs<Own>(other);
        if (!item)
            return S_OK;
        BStr name, path;
        int32_t setting = 0;
        if (FAILED(item->get_NameString(name.Out())) || FAILED(item->get_Path(path.Out())) ||
            FAILED(item->get_Setting(&setting)) || name.view() != nameString_ || path.view() != path_ ||
            setting != setting_)
            return S_OK;
        if constexpr (kIsMap) {
            int32_t setting2 = 0, setting3 = 0, mapType = 0;
            if (FAILED(item->get_Setting2(&setting2)) || FAILED(item->get_Setting3(&setting3)) ||
                FAILED(item->get_MapType(&mapType)) || setting2 != setting2_ || setting3 != setting3_ ||
                mapType != mapType_)
                return S_OK;
        }
        return this->BaseIsEqual(other, equal);
    });
}

// ---- IGPValueExpression ----

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::ResolveValue(IGPVariableManager* manager, IGPValue** resolved) {
    if (HRESULT hr = ClearOut(resolved); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!manager || modelvariables::NamesIn(nameString_).empty())
            return ResolveAsClone(static_cast<IClone*>(static_cast<Derived*>(this)), resolved);
        String text = modelvariables::Substitute(nameString_, manager);
        auto made = MakeObject<Derived>();
        ComPtr<IGPMessage> message;
        if (HRESULT hr = made->SetAsText(text.c_str(), message.Out()); FAILED(hr))
            return hr;
        static_cast<DocumentItemValue&>(*made).resolved_ = VARIANT_TRUE;
        *resolved = static_cast<IGPValue*>(made.Detach());
        return S_OK;
    });
}

template <class Derived, class Own> HRESULT DocumentItemValue<Derived, Own>::GetVariableNames(IUnknown** names) {
    return guard([&] { return modelvariables::HandOutNamesIn(nameString_, names); });
}

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::GetAsText(IGPVariableManager* manager, BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return guard([&] {
        *text = BStr(manager ? modelvariables::Substitute(nameString_, manager) : nameString_).Detach();
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

// ---- IDocumentVersionSupport ----

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(docversion::kNewerFirst, docVersion, supported);
}

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return PlainStringReplacement(nameString_, replacement);
}

// ---- stream and XML forms ----

template <class Derived, class Own> int32_t DocumentItemValue<Derived, Own>::SaveVersionFor(IStream* stream) {
    return AfStreamGetOrinSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kNewerSaveVersions),
                                      kNewerSaveVersions, 0, nullptr);
}

template <class Derived, class Own> HRESULT DocumentItemValue<Derived, Own>::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(WriteString(stream, nameString_)) || FAILED(WriteString(stream, path_)) ||
        FAILED(AfStreamWrite(stream, setting_)))
        return E_FAIL;
    if constexpr (kIsMap)
        if (FAILED(AfStreamWrite(stream, setting2_)) || FAILED(AfStreamWrite(stream, mapType_)))
            return E_FAIL;
    return S_OK;
}

template <class Derived, class Own> HRESULT DocumentItemValue<Derived, Own>::LoadContent(IStream* stream, uint16_t) {
    if (FAILED(ReadString(stream, &nameString_)) || FAILED(ReadString(stream, &path_)) ||
        FAILED(AfStreamRead(stream, &setting_)))
        return E_FAIL;
    if constexpr (kIsMap)
        if (FAILED(AfStreamRead(stream, &setting2_)) || FAILED(AfStreamRead(stream, &mapType_)))
            return E_FAIL;
    return S_OK;
}

template <class Derived, class Own> HRESULT DocumentItemValue<Derived, Own>::SerializeContent(IXMLSerializeData* data) {
    if (!nameString_.empty())
        if (HRESULT hr = data->AddString(kXmlNameString, nameString_.c_str()); FAILED(hr))
            return hr;
    if constexpr (kIsMap)
        return data->AddString(kXmlMapType, MapTypeText(mapType_));
    return S_OK;
}

template <class Derived, class Own>
HRESULT DocumentItemValue<Derived, Own>::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    if (HRESULT hr = data->Find(kXmlNameString, &index); FAILED(hr))
        return hr;
    if (index >= 0) {
        BStr text;
        if (HRESULT hr = data->GetString(index, text.Out()); FAILED(hr))
            return hr;
        nameString_ = text.str();
    }
    if constexpr (kIsMap) {
        // A basemap exactly when the document says "Basemap" in any letter case; anything else, or nothing, is a map.
        index = -1;
        if (HRESULT hr = data->Find(kXmlMapType, &index); FAILED(hr))
            return hr;
        BStr text;
        if (index >= 0)
            if (HRESULT hr = data->GetString(index, text.Out()); FAILED(hr))
                return hr;
        mapType_ = EqualsNoCase(text.view(), kBasemapText) ? taviMapTypeBasemap : taviMapTypeMap;
    }
    return S_OK;
}

template class DocumentItemValue<GPMap, IGPMap>;
template class DocumentItemValue<GPLayout, IGPLayout>;
template class DocumentItemValue<GPReport, IGPReport>;

} // namespace tavi
