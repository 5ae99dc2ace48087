// The environment setting.
#include "catalogue/GPEnvironment.h"

#include "domains/DataDomainSupport.h"
#include "frame/EnumBSTR.h"
#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/GPVariableBase.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "host/XmlNamespace.h"
#include "platform/HandOut.h"

#include <iterator>

namespace tavi {

namespace {

// Save versions by document version, oldest first (the last entry holds for every later version).
constexpr int16_t kSaveVersions[] = {7, 7, 7, 7, 8};

// Longer chains of stand-ins than this are taken for loops.
constexpr int kMaxSourceChain = 4096;

String TextOf(const OLECHAR* text) {
    return text ? String(text) : String();
}

// A copy of `object` for a setting of its own: a model variable stays itself (it stands for a value elsewhere), an
// object without IClone is shared, anything else is cloned.
template <class I> HRESULT CopyOf(I* object, ComPtr<I>* copy) {
    if (QueryAs<IGPVariable>(object)) {
        *copy = ComPtr<I>(object);
        return S_OK;
    }
    return CloneOrShare(object, *copy);
}

HRESULT ReadText(IGPEnvironment* setting, HRESULT (IGPEnvironment::*get)(BSTR*), String* text) {
    BStr read;
    if (HRESULT hr = (setting->*get)(read.Out()); FAILED(hr))
        return hr;
    *text = read.str();
    return S_OK;
}

HRESULT ReadNames(IEnumBSTR* names, std::vector<String>* read) {
    read->clear();
    if (!names)
        return S_OK;
    for (;;) {
        BStr name;
        HRESULT hr = names->Next(name.Out());
        if (FAILED(hr))
            return hr;
        if (hr != S_OK)
            return S_OK;
        read->push_back(name.str());
    }
}

// What a setting that is not of this class answers through its getters.
HRESULT ReadThroughGetters(IGPEnvironment* setting, EnvironmentFields* fields) {
    EnvironmentFields read;
    HRESULT hr = S_OK;
    if (FAILED(hr = ReadText(setting, &IGPEnvironment::get_Name, &read.name)) ||
        FAILED(hr = ReadText(setting, &IGPEnvironment::get_DisplayName, &read.displayName)) ||
        FAILED(hr = ReadText(setting, &IGPEnvironment::get_Category, &read.category)) ||
        FAILED(hr = ReadText(setting, &IGPEnvironment::get_MetadataFile, &read.metadataFile)) ||
        FAILED(hr = setting->get_DisplayOrder(&read.displayOrder)))
        return hr;
    if (auto impl = QueryAs<IGPEnvironmentImpl>(setting))
        hr = impl->get_StoredValue(read.value.Out());
    else
        hr = setting->get_Value(read.value.Out());
    if (FAILED(hr) || FAILED(hr = setting->get_Domain(read.domain.Out())) ||
        FAILED(hr = setting->get_DataType(read.dataType.Out())))
        return hr;
    ComPtr<IUID> control;
    if (FAILED(hr = setting->get_ControlCLSID(control.Out())))
        return hr;
    read.controlClassId = GuidOf(control.Get());
    ComPtr<IEnumBSTR> names;
    if (FAILED(hr = setting->get_ParameterDependencies(names.Out())) ||
        FAILED(hr = ReadNames(names.Get(), &read.dependencies)))
        return hr;
    if (auto impl2 = QueryAs<IGPEnvironmentImpl2>(setting); impl2 && FAILED(hr = impl2->get_Altered(&read.altered)))
        return hr;
    *fields = std::move(read);
    return S_OK;
}

// The data type a setting's getter answers for these fields: the explicit one, else the value's.
ComPtr<IGPDataType> EffectiveDataType(const EnvironmentFields& fields) {
    if (fields.dataType || !fields.value)
        return fields.dataType;
    ComPtr<IGPDataType> type;
    fields.value->get_DataType(type.Out());
    return type;
}

// Both absent, the same object, or equal by IClone::IsEqual.
bool EqualObjects(IUnknown* a, IUnknown* b) {
    if (!a || !b)
        return !a && !b;
    if (SameObject(a, b))
        return true;
    auto clone = QueryAs<IClone>(a);
    auto other = QueryAs<IClone>(b);
    VARIANT_BOOL equal = VARIANT_FALSE;
    return clone && other && SUCCEEDED(clone->IsEqual(other.Get(), &equal)) && equal != VARIANT_FALSE;
}

bool EqualNames(const std::vector<String>& a, const std::vector<String>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!EqualsNoCase(a[i], b[i]))
            return false;
    return true;
}

// True when the chain of sources starting at `source` reaches `self` (or is too long to follow).
bool SourceChainReaches(IGPEnvironment* source, IUnknown* self) {
    ComPtr<IGPEnvironment> current(source);
    for (int step = 0; current; ++step) {
        if (step == kMaxSourceChain || SameObject(current.Get(), self))
            return true;
        auto impl = current.As<IGPEnvironmentImpl>();
        if (!impl)
            return false;
        ComPtr<IGPEnvironment> next;
        impl->get_Source(next.Out());
        current = std::move(next);
    }
    return false;
}

HRESULT ReadStringElement(IXMLSerializeData* data, const OLECHAR* element, String* text) {
    int32_t index = -1;
    text->clear();
    if (FAILED(data->Find(element, &index)) || index < 0)
        return S_OK;
    BStr read;
    if (FAILED(data->GetString(index, read.Out())))
        return E_FAIL;
    *text = read.str();
    return S_OK;
}

// The object of an element as I: none when the element is missing or nil; E_FAIL for an object of another kind.
template <class I> HRESULT ReadObjectElement(IXMLSerializeData* data, const OLECHAR* element, ComPtr<I>* object) {
    object->Reset();
    int32_t index = -1;
    if (FAILED(data->Find(element, &index)) || index < 0)
        return S_OK;
    ComPtr<IUnknown> read;
    if (FAILED(data->GetObject(index, nullptr, nullptr, read.Out())))
        return E_FAIL;
    if (!read)
        return S_OK;
    *object = read.As<I>();
    return *object ? S_OK : E_FAIL;
}

} // namespace

// ---- the state ----

HRESULT GPEnvironment::FieldsOf(IGPEnvironment* setting, EnvironmentFields* fields) {
    if (auto* ours = dynamic_cast<GPEnvironment*>(setting))
        return ours->Current(fields);
    return ReadThroughGetters(setting, fields);
}

HRESULT GPEnvironment::Current(EnvironmentFields* fields) {
    if (!source_) {
        *fields = fields_;
        return S_OK;
    }
    EnvironmentFields read;
    if (HRESULT hr = FieldsOf(source_.Get(), &read); FAILED(hr))
        return hr;
    read.nameSpace = fields_.nameSpace;
    if (ownDisplayOrder_)
        read.displayOrder = fields_.displayOrder;
    if (ownAltered_)
        read.altered = fields_.altered;
    *fields = std::move(read);
    return S_OK;
}

void GPEnvironment::Take(EnvironmentFields fields) {
    fields_ = std::move(fields);
    source_.Reset();
    ownDisplayOrder_ = false;
    ownAltered_ = false;
}

HRESULT GPEnvironment::Detach() {
    if (!source_)
        return S_OK;
    EnvironmentFields copy;
    HRESULT hr = Current(&copy);
    if (FAILED(hr) || FAILED(hr = CopyOf(copy.value.Get(), &copy.value)) ||
        FAILED(hr = CopyOf(copy.domain.Get(), &copy.domain)))
        return hr;
    Take(std::move(copy));
    return S_OK;
}

template <class F> HRESULT GPEnvironment::Update(F&& change) {
    return guard([&]() -> HRESULT {
        if (HRESULT hr = Detach(); FAILED(hr))
            return hr;
        change();
        SetDirty();
        return S_OK;
    });
}

// ---- IGPEnvironment ----

HRESULT GPEnvironment::get_Name(BSTR* name) {
    if (!name)
        return E_POINTER;
    return source_ ? source_->get_Name(name) : HandOut(fields_.name, name);
}

HRESULT GPEnvironment::put_Name(const OLECHAR* name) {
    return Update([&] { fields_.name = TextOf(name); });
}

HRESULT GPEnvironment::get_DisplayName(BSTR* displayName) {
    if (!displayName)
        return E_POINTER;
    return source_ ? source_->get_DisplayName(displayName) : HandOut(fields_.displayName, displayName);
}

HRESULT GPEnvironment::put_DisplayName(const OLECHAR* displayName) {
    return Update([&] { fields_.displayName = TextOf(displayName); });
}

HRESULT GPEnvironment::get_Category(BSTR* category) {
    if (!category)
        return E_POINTER;
    return source_ ? source_->get_Category(category) : HandOut(fields_.category, category);
}

HRESULT GPEnvironment::put_Category(const OLECHAR* category) {
    return Update([&] { fields_.category = TextOf(category); });
}

HRESULT GPEnvironment::get_Value(IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (source_)
        return source_->get_Value(value);
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> copy;
        if (HRESULT hr = CopyOf(fields_.value.Get(), &copy); FAILED(hr))
            return E_FAIL;
        *value = copy.Detach();
        return S_OK;
    });
}

HRESULT GPEnvironment::putref_Value(IGPValue* value) {
    return Update([&] { fields_.value = ComPtr<IGPValue>(value); });
}

HRESULT GPEnvironment::get_Domain(IGPDomain** domain) {
    if (HRESULT hr = ClearOut(domain); FAILED(hr))
        return hr;
    if (source_)
        return source_->get_Domain(domain);
    return fields_.domain.CopyTo(domain);
}

HRESULT GPEnvironment::putref_Domain(IGPDomain* domain) {
    return Update([&] { fields_.domain = ComPtr<IGPDomain>(domain); });
}

HRESULT GPEnvironment::get_DataType(IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (source_)
        return source_->get_DataType(dataType);
    return guard([&] { *dataType = EffectiveDataType(fields_).Detach(); });
}

HRESULT GPEnvironment::putref_DataType(IGPDataType* dataType) {
    return Update([&] { fields_.dataType = ComPtr<IGPDataType>(dataType); });
}

HRESULT GPEnvironment::get_DisplayOrder(int32_t* order) {
    if (!order)
        return E_POINTER;
    if (source_ && !ownDisplayOrder_)
        return source_->get_DisplayOrder(order);
    *order = fields_.displayOrder;
    return S_OK;
}

HRESULT GPEnvironment::put_DisplayOrder(int32_t order) {
    fields_.displayOrder = order;
    if (source_)
        ownDisplayOrder_ = true;
    SetDirty();
    return S_OK;
}

HRESULT GPEnvironment::get_ControlCLSID(IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (source_)
        return source_->get_ControlCLSID(control);
    if (fields_.controlClassId == GUID_NULL)
        return S_FALSE;
    return SUCCEEDED(MakeUID(fields_.controlClassId, control)) ? S_OK : E_FAIL;
}

HRESULT GPEnvironment::put_ControlCLSID(IUID* control) {
    return Update([&] { fields_.controlClassId = GuidOf(control); });
}

HRESULT GPEnvironment::get_ParameterDependencies(IEnumBSTR** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    if (source_)
        return source_->get_ParameterDependencies(names);
    return guard([&] {
        std::vector<std::u16string> copies(fields_.dependencies.begin(), fields_.dependencies.end());
        *names = MakeObject<EnumBSTR>(std::move(copies)).Detach();
    });
}

HRESULT GPEnvironment::put_ParameterDependencies(IEnumBSTR* names) {
    return guard([&]() -> HRESULT {
        std::vector<String> read;
        if (HRESULT hr = ReadNames(names, &read); FAILED(hr))
            return hr;
        return Update([&] { fields_.dependencies = std::move(read); });
    });
}

HRESULT GPEnvironment::AddDependency(const OLECHAR* name) {
    if (!name || !*name)
        return S_OK; // an empty name changes nothing, not even a stand-in
    return Update([&] { fields_.dependencies.emplace_back(name); });
}

HRESULT GPEnvironment::get_MetadataFile(BSTR* file) {
    if (!file)
        return E_POINTER;
    return source_ ? source_->get_MetadataFile(file) : HandOut(fields_.metadataFile, file);
}

HRESULT GPEnvironment::put_MetadataFile(const OLECHAR* file) {
    return Update([&] { fields_.metadataFile = TextOf(file); });
}

// ---- IGPEnvironmentImpl ----

HRESULT GPEnvironment::get_Source(IGPEnvironment** source) {
    if (HRESULT hr = ClearOut(source); FAILED(hr))
        return hr;
    return source_.CopyTo(source);
}

HRESULT GPEnvironment::putref_Source(IGPEnvironment* source) {
    return guard([&]() -> HRESULT {
        if (!source) {
            if (HRESULT hr = Detach(); FAILED(hr))
                return hr;
            SetDirty();
            return S_OK;
        }
        if (SourceChainReaches(source, static_cast<IGPEnvironment*>(this)))
            return E_INVALIDARG;
        source_ = ComPtr<IGPEnvironment>(source);
        ownDisplayOrder_ = false;
        ownAltered_ = false;
        SetDirty();
        return S_OK;
    });
}

HRESULT GPEnvironment::get_StoredValue(IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (source_) {
        auto impl = source_.As<IGPEnvironmentImpl>();
        return impl ? impl->get_StoredValue(value) : E_FAIL;
    }
    return fields_.value.CopyTo(value);
}

// ---- IGPEnvironmentImpl2 ----

HRESULT GPEnvironment::get_Altered(VARIANT_BOOL* altered) {
    if (!altered)
        return E_POINTER;
    if (source_ && !ownAltered_)
        if (auto impl2 = source_.As<IGPEnvironmentImpl2>())
            return impl2->get_Altered(altered);
    *altered = fields_.altered;
    return S_OK;
}

HRESULT GPEnvironment::put_Altered(VARIANT_BOOL altered) {
    fields_.altered = altered;
    if (source_)
        ownAltered_ = true;
    return S_OK;
}

// ---- IClone ----

HRESULT GPEnvironment::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IClone> made;
        if (FAILED(AfCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER, IClone::iid, made.OutVoid())) || !made)
            return E_FAIL;
        if (HRESULT hr = made->Assign(static_cast<IClone*>(this)); FAILED(hr))
            return hr;
        *clone = made.Detach();
        return S_OK;
    });
}

HRESULT GPEnvironment::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto setting = QueryAs<IGPEnvironment>(source);
        if (!setting)
            return E_INVALIDARG;
        if (SameObject(source, static_cast<IClone*>(this)))
            return S_OK;
        auto* ours = dynamic_cast<GPEnvironment*>(setting.Get());

        // A stand-in: this setting stands in for the same source.
        ComPtr<IGPEnvironment> sourceOfSource;
        if (auto impl = setting.As<IGPEnvironmentImpl>(); impl && FAILED(impl->get_Source(sourceOfSource.Out())))
            sourceOfSource.Reset();
        if (sourceOfSource) {
            if (SourceChainReaches(sourceOfSource.Get(), static_cast<IGPEnvironment*>(this)))
                return E_INVALIDARG;
            if (ours)
                fields_ = ours->fields_; // what it holds of its own (a display order, an altered flag, a namespace)
            source_ = std::move(sourceOfSource);
            ownDisplayOrder_ = ours && ours->ownDisplayOrder_;
            ownAltered_ = ours && ours->ownAltered_;
            SetDirty();
            return S_OK;
        }

        // An independent setting: what its getters give, the value and domain as copies of their own.
        EnvironmentFields copy;
        HRESULT hr = FieldsOf(setting.Get(), &copy);
        if (FAILED(hr) || FAILED(hr = CopyOf(copy.value.Get(), &copy.value)) ||
            FAILED(hr = CopyOf(copy.domain.Get(), &copy.domain)))
            return hr;
        if (!ours)
            copy.nameSpace = fields_.nameSpace;
        Take(std::move(copy));
        SetDirty();
        return S_OK;
    });
}

HRESULT GPEnvironment::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto setting = QueryAs<IGPEnvironment>(other);
        if (!setting)
            return S_OK;
        EnvironmentFields mine;
        EnvironmentFields theirs;
        HRESULT hr = Current(&mine);
        if (FAILED(hr) || FAILED(hr = FieldsOf(setting.Get(), &theirs)))
            return hr;
        const bool same =
            EqualsNoCase(mine.name, theirs.name) && EqualsNoCase(mine.displayName, theirs.displayName) &&
            EqualsNoCase(mine.category, theirs.category) && EqualsNoCase(mine.metadataFile, theirs.metadataFile) &&
            mine.displayOrder == theirs.displayOrder && EqualObjects(mine.value.Get(), theirs.value.Get()) &&
            EqualObjects(mine.domain.Get(), theirs.domain.Get()) &&
            EqualObjects(EffectiveDataType(mine).Get(), EffectiveDataType(theirs).Get()) &&
            mine.controlClassId == theirs.controlClassId && (mine.altered != 0) == (theirs.altered != 0) &&
            EqualNames(mine.dependencies, theirs.dependencies);
        *equal = same ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT GPEnvironment::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(other, static_cast<IClone*>(this)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// ---- IDocumentVersionSupport ----

HRESULT GPEnvironment::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return HandOutValue(docVersion >= 0 ? VARIANT_TRUE : VARIANT_FALSE, supported);
}

// ---- the stream form ----

int32_t GPEnvironment::SaveVersionFor(IStream* stream) {
    return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), static_cast<int32_t>(std::size(kSaveVersions)),
                                  kSaveVersions);
}

HRESULT GPEnvironment::SaveContent(IStream* stream, uint16_t version) {
    EnvironmentFields f;
    if (FAILED(Current(&f)))
        return E_FAIL;
    // The data type goes as its full name, which reading opens again.
    ComPtr<IName> typeName;
    if (f.dataType && (FAILED(f.dataType->get_FullName(typeName.Out())) || !typeName))
        return E_FAIL;
    const bool clearDirty = SaveClearsDirty();
    if (FAILED(WriteString(stream, f.name)) || FAILED(WriteString(stream, f.displayName)) ||
        FAILED(SaveObject(f.value.Get(), stream, clearDirty)) ||
        FAILED(SaveObject(f.domain.Get(), stream, clearDirty)) || FAILED(WriteString(stream, f.category)) ||
        FAILED(SaveObject(typeName.Get(), stream, clearDirty)) || FAILED(AfStreamWrite(stream, f.displayOrder)) ||
        FAILED(AfStreamWrite(stream, f.controlClassId)) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(f.dependencies.size()))))
        return E_FAIL;
    for (const String& name : f.dependencies)
        if (FAILED(WriteString(stream, name)))
            return E_FAIL;
    if (FAILED(WriteString(stream, f.metadataFile)))
        return E_FAIL;
    if (version >= 8 && FAILED(AfStreamWrite(stream, static_cast<int16_t>(f.altered ? VARIANT_TRUE : VARIANT_FALSE))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPEnvironment::LoadContent(IStream* stream, uint16_t version) {
    EnvironmentFields f;
    if (FAILED(ReadString(stream, &f.name)) || FAILED(ReadString(stream, &f.displayName)) ||
        FAILED(LoadObject(stream, IGPValue::iid, f.value.OutVoid())) ||
        FAILED(LoadObject(stream, IGPDomain::iid, f.domain.OutVoid())))
        return E_FAIL;
    if (version <= 2) {
        String dropped; // a field older documents kept, no longer used
        if (FAILED(ReadString(stream, &dropped)))
            return E_FAIL;
    }
    if (version >= 2 && FAILED(ReadString(stream, &f.category)))
        return E_FAIL;
    // No object stands for no data type (what a setting without one writes).
    if (version >= 4 && FAILED(LoadDataType(stream, f.dataType.Out())))
        return E_FAIL;
    if (version >= 5 && FAILED(AfStreamRead(stream, &f.displayOrder)))
        return E_FAIL;
    if (version >= 6) {
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &f.controlClassId)) || FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        for (int32_t i = 0; i < count; ++i) {
            String name; // a damaged count ends at the first string the stream does not hold
            if (FAILED(ReadString(stream, &name)))
                return E_FAIL;
            f.dependencies.push_back(std::move(name));
        }
    }
    if (version >= 7 && FAILED(ReadString(stream, &f.metadataFile)))
        return E_FAIL;
    f.altered = VARIANT_TRUE; // documents before version 8 count every setting they hold as changed
    if (version >= 8) {
        int16_t altered = 0;
        if (FAILED(AfStreamRead(stream, &altered)))
            return E_FAIL;
        f.altered = altered ? VARIANT_TRUE : VARIANT_FALSE;
    }
    f.nameSpace = fields_.nameSpace;
    Take(std::move(f));
    return S_OK;
}

HRESULT GPEnvironment::RunStaged(bool, const StagedRead& read) {
    const bool wasDirty = IsDirtyFlag();
    HRESULT hr = read(*this);
    if (FAILED(hr)) {
        if (wasDirty)
            SetDirty();
        else
            ClearDirty();
    }
    return hr;
}

// ---- the XML form ----

HRESULT GPEnvironment::SerializeContent(IXMLSerializeData* data) {
    EnvironmentFields f;
    if (HRESULT hr = Current(&f); FAILED(hr))
        return hr;
    ComPtr<IName> typeName;
    if (f.dataType && (FAILED(f.dataType->get_FullName(typeName.Out())) || !typeName))
        return E_FAIL;
    ComPtr<IUID> control;
    if (f.controlClassId != GUID_NULL && FAILED(MakeUID(f.controlClassId, control.Out())))
        return E_FAIL;
    HRESULT hr = S_OK;
    if (FAILED(hr = data->AddString(u"Namespace", f.nameSpace.c_str())) ||
        FAILED(hr = data->AddString(u"Name", f.name.c_str())) ||
        FAILED(hr = data->AddString(u"DisplayName", f.displayName.c_str())) ||
        FAILED(hr = data->AddString(u"Category", f.category.c_str())) ||
        (f.value && FAILED(hr = data->AddObject(u"Value", f.value.Get()))) ||
        (f.domain && FAILED(hr = data->AddObject(u"Domain", f.domain.Get()))) ||
        (typeName && FAILED(hr = data->AddObject(u"DataTypeName", typeName.Get()))) ||
        FAILED(hr = data->AddInteger(u"DisplayOrder", f.displayOrder)) ||
        FAILED(hr = data->AddObject(u"ControlCLSID", control.Get())) ||
        FAILED(hr = AddStringArray(data, u"ParamDependencyArray", f.dependencies)) ||
        FAILED(hr = data->AddString(u"MetadataFile", f.metadataFile.c_str())) ||
        FAILED(hr = data->AddBoolean(u"Altered", f.altered ? VARIANT_TRUE : VARIANT_FALSE)))
        return hr;
    return S_OK;
}

HRESULT GPEnvironment::DeserializeContent(IXMLSerializeData* data) {
    EnvironmentFields f;
    ComPtr<IUID> control;
    int32_t index = -1;
    if (FAILED(ReadStringElement(data, u"Namespace", &f.nameSpace)) ||
        FAILED(ReadStringElement(data, u"Name", &f.name)) ||
        FAILED(ReadStringElement(data, u"DisplayName", &f.displayName)) ||
        FAILED(ReadStringElement(data, u"Category", &f.category)) ||
        FAILED(ReadStringElement(data, u"MetadataFile", &f.metadataFile)) ||
        FAILED(ReadObjectElement(data, u"Value", &f.value)) || FAILED(ReadObjectElement(data, u"Domain", &f.domain)) ||
        FAILED(ReadObjectElement(data, u"ControlCLSID", &control)) ||
        FAILED(ReadStringArray(data, u"ParamDependencyArray", &f.dependencies)))
        return E_FAIL;
    f.controlClassId = GuidOf(control.Get());
    if (SUCCEEDED(data->Find(u"DataTypeName", &index)) && index >= 0 &&
        FAILED(GetDataTypeElement(data, index, f.dataType.Out())))
        return E_FAIL;
    if (SUCCEEDED(data->Find(u"DisplayOrder", &index)) && index >= 0 &&
        FAILED(data->GetInteger(index, &f.displayOrder)))
        return E_FAIL;
    if (SUCCEEDED(data->Find(u"Altered", &index)) && index >= 0 && FAILED(data->GetBoolean(index, &f.altered)))
        return E_FAIL;
    Take(std::move(f));
    return S_OK;
}

} // namespace tavi
