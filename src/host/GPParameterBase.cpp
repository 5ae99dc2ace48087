// The parameter base.
#include "host/GPParameterBase.h"

#include "host/DocumentVersion.h"
#include "host/GPValue.h"
#include "host/GPVariableBase.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "host/XmlNamespace.h"
#include "platform/Guid.h"

namespace tavi {

namespace {

constexpr const OLECHAR* kDependencyElement = u"Dependency";

bool IsDirection(int32_t direction) {
    return direction == taviGPParameterDirectionInput || direction == taviGPParameterDirectionOutput;
}

bool IsParameterType(int32_t type) {
    return type == taviGPParameterTypeRequired || type == taviGPParameterTypeOptional ||
           type == taviGPParameterTypeDerived;
}

VARIANT_BOOL Flag(bool flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

// The elements of `array` (none for null).
HRESULT ArrayElements(IArray* array, std::vector<ComPtr<IUnknown>>& elements) {
    elements.clear();
    if (!array)
        return S_OK;
    int32_t count = 0;
    if (FAILED(array->get_Count(&count)) || count < 0)
        return E_FAIL;
    elements.reserve(count);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        if (FAILED(array->get_Element(i, element.Out())))
            return E_FAIL;
        elements.push_back(std::move(element));
    }
    return S_OK;
}

// A new platform object array holding `elements`, or none when there are none.
HRESULT ArrayOf(const std::vector<ComPtr<IUnknown>>& elements, ComPtr<IArray>& array) {
    array.Reset();
    if (elements.empty())
        return S_OK;
    auto made = MakeObject<ObjectArray>();
    for (const auto& element : elements)
        if (HRESULT hr = made->Add(element.Get()); FAILED(hr))
            return hr;
    array = ComPtr<IArray>(static_cast<IArray*>(made.Get()));
    return S_OK;
}

// The bytes SaveObject writes for `object`; false when it cannot be saved.
bool SavedBytes(IUnknown* object, std::vector<uint8_t>& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out())) ||
        FAILED(SaveObject(object, stream.Get(), false)))
        return false;
    uint64_t size = 0;
    if (FAILED(stream->Seek(0, STREAM_SEEK_CUR, &size)) || FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr)))
        return false;
    bytes.resize(size);
    ULONG read = 0;
    return size == 0 || (SUCCEEDED(stream->Read(bytes.data(), static_cast<ULONG>(size), &read)) && read == size);
}

// Two object properties are equal when both are unset, they are the same object, IClone finds them equal, or
// neither answers IClone and both persist to the same bytes (a model variable, say).
bool EqualObjects(IUnknown* a, IUnknown* b) {
    if (!a || !b)
        return !a && !b;
    if (SameObject(a, b))
        return true;
    auto cloneA = QueryAs<IClone>(a);
    auto cloneB = QueryAs<IClone>(b);
    if (cloneA || cloneB)
        return EqualByClone(a, b);
    std::vector<uint8_t> bytesA;
    std::vector<uint8_t> bytesB;
    return SavedBytes(a, bytesA) && SavedBytes(b, bytesB) && bytesA == bytesB;
}

bool EqualDependencies(IArray* a, IArray* b) {
    std::vector<ComPtr<IUnknown>> elementsA;
    std::vector<ComPtr<IUnknown>> elementsB;
    if (FAILED(ArrayElements(a, elementsA)) || FAILED(ArrayElements(b, elementsB)) ||
        elementsA.size() != elementsB.size())
        return false;
    for (size_t i = 0; i < elementsA.size(); ++i)
        if (!EqualObjects(elementsA[i].Get(), elementsB[i].Get()))
            return false;
    return true;
}

HRESULT ReadText(IGPParameter* parameter, HRESULT (IGPParameter::*get)(BSTR*), String& text) {
    BStr read;
    if (FAILED((parameter->*get)(read.Out())))
        return E_FAIL;
    text = read.str();
    return S_OK;
}

HRESULT ReadFlag(IGPParameter* parameter, HRESULT (IGPParameter::*get)(VARIANT_BOOL*), bool& flag) {
    VARIANT_BOOL read = VARIANT_FALSE;
    if (FAILED((parameter->*get)(&read)))
        return E_FAIL;
    flag = read != VARIANT_FALSE;
    return S_OK;
}

template <class I> HRESULT ReadObject(IGPParameter* parameter, HRESULT (IGPParameter::*get)(I**), ComPtr<I>& object) {
    object.Reset();
    return FAILED((parameter->*get)(object.Out())) ? E_FAIL : S_OK;
}

// ---- stream form ----

HRESULT WriteFlag(IStream* stream, bool flag) {
    return AfStreamWrite(stream, static_cast<int16_t>(Flag(flag)));
}

HRESULT ReadFlag(IStream* stream, bool& flag) {
    int16_t read = 0;
    if (FAILED(AfStreamRead(stream, &read)))
        return E_FAIL;
    flag = read != 0;
    return S_OK;
}

template <class I> HRESULT ReadObject(IStream* stream, ComPtr<I>& object) {
    return LoadObject(stream, I::iid, object.OutVoid());
}

// ---- XML form ----

// Index of the element `name`, or -1 when the document has none.
int32_t Element(IXMLSerializeData* data, const OLECHAR* name) {
    int32_t index = -1;
    return SUCCEEDED(data->Find(name, &index)) ? index : -1;
}

HRESULT ReadXmlText(IXMLSerializeData* data, const OLECHAR* name, String& text) {
    int32_t index = Element(data, name);
    if (index < 0)
        return S_OK;
    BStr read;
    if (FAILED(data->GetString(index, read.Out())))
        return E_FAIL;
    text = read.str();
    return S_OK;
}

HRESULT ReadXmlNumber(IXMLSerializeData* data, const OLECHAR* name, int32_t& number) {
    int32_t index = Element(data, name);
    return index < 0 || SUCCEEDED(data->GetInteger(index, &number)) ? S_OK : E_FAIL;
}

HRESULT ReadXmlFlag(IXMLSerializeData* data, const OLECHAR* name, bool& flag) {
    int32_t index = Element(data, name);
    if (index < 0)
        return S_OK;
    VARIANT_BOOL read = VARIANT_FALSE;
    if (FAILED(data->GetBoolean(index, &read)))
        return E_FAIL;
    flag = read != VARIANT_FALSE;
    return S_OK;
}

// An object element asked for I: E_FAIL when it holds an object of another kind.
template <class I> HRESULT ReadXmlObject(IXMLSerializeData* data, const OLECHAR* name, ComPtr<I>& object) {
    int32_t index = Element(data, name);
    if (index < 0)
        return S_OK;
    ComPtr<IUnknown> read;
    if (FAILED(data->GetObject(index, nullptr, nullptr, read.Out())))
        return E_FAIL;
    object = QueryAs<I>(read.Get());
    return read && !object ? E_FAIL : S_OK;
}

HRESULT AddXmlObject(IXMLSerializeData* data, const OLECHAR* name, IUnknown* object) {
    return object ? data->AddObject(name, object) : S_OK;
}

} // namespace

HRESULT ReadParameterFields(IGPParameter* parameter, ParameterFields* fields) {
    if (!parameter || !fields)
        return E_POINTER;
    ParameterFields read;
    ComPtr<IUID> control;
    if (FAILED(ReadText(parameter, &IGPParameter::get_Name, read.name)) ||
        FAILED(ReadText(parameter, &IGPParameter::get_DisplayName, read.displayName)) ||
        FAILED(parameter->get_Direction(&read.direction)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_DataType, read.dataType)) ||
        FAILED(parameter->get_ParameterType(&read.parameterType)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_ParameterDependencies, read.dependencies)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_Domain, read.domain)) ||
        FAILED(ReadFlag(parameter, &IGPParameter::get_Enabled, read.enabled)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_Value, read.value)) ||
        FAILED(parameter->get_ControlCLSID(control.Out())) ||
        FAILED(ReadText(parameter, &IGPParameter::get_DefaultEnvironmentName, read.defaultEnvironmentName)) ||
        FAILED(parameter->get_DisplayOrder(&read.displayOrder)) ||
        FAILED(ReadFlag(parameter, &IGPParameter::get_Altered, read.altered)) ||
        FAILED(ReadFlag(parameter, &IGPParameter::get_HasBeenValidated, read.hasBeenValidated)) ||
        FAILED(ReadText(parameter, &IGPParameter::get_Category, read.category)) ||
        FAILED(ReadText(parameter, &IGPParameter::get_ChoiceListName, read.choiceListName)) ||
        FAILED(ReadFlag(parameter, &IGPParameter::get_Managed, read.managed)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_Schema, read.schema)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_SymbologyLayer, read.symbologyLayer)) ||
        FAILED(ReadObject(parameter, &IGPParameter::get_ChartDefinitions, read.chartDefinitions)) ||
        FAILED(ReadFlag(parameter, &IGPParameter::get_AddToMap, read.addToMap)))
        return E_FAIL;
    read.control = GuidOf(control.Get());
    *fields = std::move(read);
    return S_OK;
}

bool EqualParameterFields(const ParameterFields& a, const ParameterFields& b) {
    return a.name == b.name && a.displayName == b.displayName && a.direction == b.direction &&
           a.parameterType == b.parameterType && a.enabled == b.enabled && SameGuid(a.control, b.control) &&
           a.defaultEnvironmentName == b.defaultEnvironmentName && a.displayOrder == b.displayOrder &&
           a.altered == b.altered && a.hasBeenValidated == b.hasBeenValidated && a.category == b.category &&
           a.choiceListName == b.choiceListName && a.managed == b.managed && a.addToMap == b.addToMap &&
           EqualObjects(a.dataType.Get(), b.dataType.Get()) &&
           EqualDependencies(a.dependencies.Get(), b.dependencies.Get()) &&
           EqualObjects(a.domain.Get(), b.domain.Get()) && EqualObjects(a.value.Get(), b.value.Get()) &&
           EqualObjects(a.schema.Get(), b.schema.Get()) &&
           EqualObjects(a.symbologyLayer.Get(), b.symbologyLayer.Get()) &&
           EqualObjects(a.chartDefinitions.Get(), b.chartDefinitions.Get());
}

HRESULT ParameterSupportedAtVersion(VARIANT_BOOL* supported) {
    return SupportedAtEveryVersion(supported);
}

HRESULT ParameterAsSupportedObject(IUnknown* self, IUnknown** replacement) {
    return SelfAsSupportedObject(self, replacement);
}

// ---- IGPParameter ----

HRESULT GPParameterCore::CoreGetText(const String& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = MakeBSTR(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPParameterCore::CoreGetFlag(bool flag, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = Flag(flag);
    return S_OK;
}

HRESULT GPParameterCore::CoreGetNumber(int32_t number, int32_t* out) {
    if (!out)
        return E_POINTER;
    *out = number;
    return S_OK;
}

HRESULT GPParameterCore::CoreGetControl(IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (SameGuid(fields_.control, GUID_NULL))
        return S_FALSE;
    return MakeUID(fields_.control, control);
}

// ---- IGPParameterEdit3 ----

HRESULT GPParameterCore::CorePutText(String& field, const OLECHAR* text) {
    return guard([&] {
        field = text ? text : u"";
        SetDirty();
    });
}

HRESULT GPParameterCore::CorePutFlag(bool& field, VARIANT_BOOL flag) {
    field = flag != VARIANT_FALSE;
    SetDirty();
    return S_OK;
}

HRESULT GPParameterCore::CorePutDirection(int32_t direction) {
    if (!IsDirection(direction))
        return E_INVALIDARG;
    fields_.direction = direction;
    SetDirty();
    return S_OK;
}

HRESULT GPParameterCore::CorePutParameterType(int32_t parameterType) {
    if (!IsParameterType(parameterType))
        return E_INVALIDARG;
    fields_.parameterType = parameterType;
    SetDirty();
    return S_OK;
}

HRESULT GPParameterCore::CorePutControl(IUID* control) {
    fields_.control = GuidOf(control);
    SetDirty();
    return S_OK;
}

HRESULT GPParameterCore::CorePutDisplayOrder(int32_t order) {
    fields_.displayOrder = order;
    SetDirty();
    return S_OK;
}

// ---- IClone ----

HRESULT GPParameterCore::CoreAssign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto parameter = QueryAs<IGPParameter>(source);
        if (!parameter)
            return E_NOINTERFACE;
        ParameterFields read;
        if (HRESULT hr = ReadParameterFields(parameter.Get(), &read); FAILED(hr))
            return hr;
        // Copies of the objects that copy themselves; the fields change only when every copy was made.
        std::vector<ComPtr<IUnknown>> dependencies;
        if (FAILED(ArrayElements(read.dependencies.Get(), dependencies)))
            return E_FAIL;
        for (auto& element : dependencies)
            if (HRESULT hr = CloneOrShare(element.Get(), element); FAILED(hr))
                return hr;
        ComPtr<IArray> dependencyArray;
        HRESULT hr = S_OK;
        if (read.dependencies && FAILED(hr = ArrayOf(dependencies, dependencyArray)))
            return hr;
        if (read.dependencies && !dependencyArray) // an empty array stays an array
            dependencyArray = QueryAs<IArray>(MakeObject<ObjectArray>().Get());
        read.dependencies = std::move(dependencyArray);
        if (FAILED(hr = CloneOrShare(read.domain.Get(), read.domain)) ||
            FAILED(hr = CloneOrShare(read.value.Get(), read.value)) ||
            FAILED(hr = CloneOrShare(read.schema.Get(), read.schema)) ||
            FAILED(hr = CloneOrShare(read.symbologyLayer.Get(), read.symbologyLayer)) ||
            FAILED(hr = CloneOrShare(read.chartDefinitions.Get(), read.chartDefinitions)))
            return hr;
        fields_ = std::move(read);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPParameterCore::CoreIsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        if (SameObject(SelfPersist(), other)) {
            *equal = VARIANT_TRUE;
            return S_OK;
        }
        Entered entered(busy_.comparing);
        if (!entered.First())
            return S_OK;
        auto parameter = QueryAs<IGPParameter>(other);
        ParameterFields theirs;
        if (parameter && SUCCEEDED(ReadParameterFields(parameter.Get(), &theirs)))
            *equal = Flag(EqualParameterFields(fields_, theirs));
        return S_OK;
    });
}

HRESULT GPParameterCore::CoreIsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = Flag(SameObject(SelfPersist(), other));
    return S_OK;
}

HRESULT GPParameterCore::CoreGetSizeMax(uint64_t* size) {
    return SaveFormSize(SelfPersist(), size);
}

// ---- stream form ----

HRESULT GPParameterCore::SaveContent(IStream* stream, uint16_t) {
    Entered entered(busy_.saving);
    if (!entered.First())
        return E_FAIL;
    const ParameterFields& f = fields_;
    const bool clear = SaveClearsDirty();
    std::vector<ComPtr<IUnknown>> dependencies;
    if (FAILED(ArrayElements(f.dependencies.Get(), dependencies)))
        return E_FAIL;
    if (FAILED(WriteString(stream, f.name)) || FAILED(WriteString(stream, f.displayName)) ||
        FAILED(AfStreamWrite(stream, f.direction)) || FAILED(SaveDataType(stream, f.dataType.Get())) ||
        FAILED(AfStreamWrite(stream, f.parameterType)) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(dependencies.size()))))
        return E_FAIL;
    for (const auto& element : dependencies)
        if (FAILED(SaveObject(element.Get(), stream, clear)))
            return E_FAIL;
    if (FAILED(SaveObject(f.domain.Get(), stream, clear)) || FAILED(WriteFlag(stream, f.enabled)) ||
        FAILED(SaveObject(f.value.Get(), stream, clear)) || FAILED(AfStreamWrite(stream, f.control)) ||
        FAILED(WriteString(stream, f.defaultEnvironmentName)) || FAILED(AfStreamWrite(stream, f.displayOrder)) ||
        FAILED(WriteFlag(stream, f.altered)) || FAILED(WriteFlag(stream, f.hasBeenValidated)) ||
        FAILED(WriteString(stream, f.category)) || FAILED(WriteString(stream, f.choiceListName)) ||
        FAILED(WriteFlag(stream, f.managed)) || FAILED(SaveObject(f.schema.Get(), stream, clear)) ||
        FAILED(SaveObject(f.symbologyLayer.Get(), stream, clear)) ||
        FAILED(SaveObject(f.chartDefinitions.Get(), stream, clear)) || FAILED(WriteFlag(stream, f.addToMap)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPParameterCore::LoadContent(IStream* stream, uint16_t) {
    ParameterFields f;
    int32_t count = 0;
    if (FAILED(ReadString(stream, &f.name)) || FAILED(ReadString(stream, &f.displayName)) ||
        FAILED(AfStreamRead(stream, &f.direction)) || !IsDirection(f.direction) ||
        FAILED(LoadDataType(stream, f.dataType.Out())) || FAILED(AfStreamRead(stream, &f.parameterType)) ||
        !IsParameterType(f.parameterType) || FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    // Elements are read one by one: a damaged count runs into the end of the stream, not into a huge allocation.
    std::vector<ComPtr<IUnknown>> dependencies;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        if (FAILED(LoadObject(stream, IUnknown::iid, element.OutVoid())))
            return E_FAIL;
        dependencies.push_back(std::move(element));
    }
    if (FAILED(ArrayOf(dependencies, f.dependencies)))
        return E_FAIL;
    if (FAILED(ReadObject(stream, f.domain)) || FAILED(ReadFlag(stream, f.enabled)) ||
        FAILED(ReadObject(stream, f.value)) || FAILED(AfStreamRead(stream, &f.control)) ||
        FAILED(ReadString(stream, &f.defaultEnvironmentName)) || FAILED(AfStreamRead(stream, &f.displayOrder)) ||
        FAILED(ReadFlag(stream, f.altered)) || FAILED(ReadFlag(stream, f.hasBeenValidated)) ||
        FAILED(ReadString(stream, &f.category)) || FAILED(ReadString(stream, &f.choiceListName)) ||
        FAILED(ReadFlag(stream, f.managed)) || FAILED(ReadObject(stream, f.schema)) ||
        FAILED(ReadObject(stream, f.symbologyLayer)) || FAILED(ReadObject(stream, f.chartDefinitions)) ||
        FAILED(ReadFlag(stream, f.addToMap)))
        return E_FAIL;
    fields_ = std::move(f);
    return S_OK;
}

// ---- XML form ----

HRESULT GPParameterCore::SerializeContent(IXMLSerializeData* data) {
    Entered entered(busy_.saving);
    if (!entered.First())
        return E_FAIL;
    const ParameterFields& f = fields_;
    HRESULT hr = S_OK;
    auto step = [&](HRESULT result) {
        if (SUCCEEDED(hr))
            hr = result;
        return SUCCEEDED(hr);
    };
    step(data->AddString(u"Name", f.name.c_str())) && step(data->AddString(u"DisplayName", f.displayName.c_str())) &&
        step(data->AddInteger(u"Direction", f.direction)) &&
        step(f.dataType ? AddDataTypeElement(data, u"DataType", f.dataType.Get()) : S_OK) &&
        step(data->AddInteger(u"ParameterType", f.parameterType));
    if (FAILED(hr))
        return hr;
    std::vector<ComPtr<IUnknown>> dependencies;
    if (FAILED(ArrayElements(f.dependencies.Get(), dependencies)))
        return E_FAIL;
    if (!dependencies.empty()) {
        ComPtr<IArray> array;
        if (FAILED(hr = ArrayOf(dependencies, array)) ||
            FAILED(hr = data->AddObjectArray(u"ParameterDependencies", array.Get(), kDependencyElement, c_xml_ns_tavi)))
            return hr;
    }
    step(AddXmlObject(data, u"Domain", f.domain.Get())) && step(data->AddBoolean(u"Enabled", Flag(f.enabled))) &&
        step(AddXmlObject(data, u"Value", f.value.Get())) &&
        step(SameGuid(f.control, GUID_NULL) ? S_OK : data->AddString(u"ControlCLSID", GuidText(f.control).c_str())) &&
        step(data->AddString(u"DefaultEnvironmentName", f.defaultEnvironmentName.c_str())) &&
        step(data->AddInteger(u"DisplayOrder", f.displayOrder)) &&
        step(data->AddBoolean(u"Altered", Flag(f.altered))) &&
        step(data->AddBoolean(u"HasBeenValidated", Flag(f.hasBeenValidated))) &&
        step(data->AddString(u"Category", f.category.c_str())) &&
        step(data->AddString(u"ChoiceListName", f.choiceListName.c_str())) &&
        step(data->AddBoolean(u"Managed", Flag(f.managed))) && step(AddXmlObject(data, u"Schema", f.schema.Get())) &&
        step(AddXmlObject(data, u"SymbologyLayer", f.symbologyLayer.Get())) &&
        step(AddXmlObject(data, u"ChartDefinitions", f.chartDefinitions.Get())) &&
        step(data->AddBoolean(u"AddToMap", Flag(f.addToMap)));
    return hr;
}

HRESULT GPParameterCore::DeserializeContent(IXMLSerializeData* data) {
    ParameterFields f;
    String control;
    if (FAILED(ReadXmlText(data, u"Name", f.name)) || FAILED(ReadXmlText(data, u"DisplayName", f.displayName)) ||
        FAILED(ReadXmlNumber(data, u"Direction", f.direction)) || !IsDirection(f.direction) ||
        FAILED(ReadXmlNumber(data, u"ParameterType", f.parameterType)) || !IsParameterType(f.parameterType) ||
        FAILED(ReadXmlObject(data, u"Domain", f.domain)) || FAILED(ReadXmlFlag(data, u"Enabled", f.enabled)) ||
        FAILED(ReadXmlObject(data, u"Value", f.value)) || FAILED(ReadXmlText(data, u"ControlCLSID", control)) ||
        FAILED(ReadXmlText(data, u"DefaultEnvironmentName", f.defaultEnvironmentName)) ||
        FAILED(ReadXmlNumber(data, u"DisplayOrder", f.displayOrder)) ||
        FAILED(ReadXmlFlag(data, u"Altered", f.altered)) ||
        FAILED(ReadXmlFlag(data, u"HasBeenValidated", f.hasBeenValidated)) ||
        FAILED(ReadXmlText(data, u"Category", f.category)) ||
        FAILED(ReadXmlText(data, u"ChoiceListName", f.choiceListName)) ||
        FAILED(ReadXmlFlag(data, u"Managed", f.managed)) || FAILED(ReadXmlObject(data, u"Schema", f.schema)) ||
        FAILED(ReadXmlObject(data, u"SymbologyLayer", f.symbologyLayer)) ||
        FAILED(ReadXmlObject(data, u"ChartDefinitions", f.chartDefinitions)) ||
        FAILED(ReadXmlFlag(data, u"AddToMap", f.addToMap)))
        return E_FAIL;
    if (int32_t index = Element(data, u"DataType");
        index >= 0 && FAILED(GetDataTypeElement(data, index, f.dataType.Out())))
        return E_FAIL;
    if (!control.empty() && FAILED(IIDFromString(control.c_str(), &f.control)))
        return E_FAIL;
    std::vector<ComPtr<IUnknown>> dependencies;
    if (FAILED(ReadXmlObjectArray(data, u"ParameterDependencies", u"ArrayOfDependency", dependencies)) ||
        FAILED(ArrayOf(dependencies, f.dependencies)))
        return E_FAIL;
    fields_ = std::move(f);
    return S_OK;
}

} // namespace tavi
