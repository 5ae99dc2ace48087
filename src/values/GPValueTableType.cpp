// The value table data type, its name and the name's column property.
#include "values/GPValueTableType.h"

#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "host/XmlNamespace.h"

namespace tavi {

GPValueTableType::GPValueTableType()
    : GPValueTableTypeBase({u"GPValueTable", kDisplayNameId, kClassId, CLSID_GPValueTable, kControlClassId,
                            IGPValueTableType::iid, IGPValueTable::iid}) {}

// --- the name ---

GPValueTableTypeName::Column GPValueTableTypeName::MakeColumn(IUnknown* name, const OLECHAR* displayName, int32_t width,
                                                              IUnknown* control) {
    return {ComPtr<IUnknown>(name), displayName ? String(displayName) : String(), width == 0 ? kDefaultWidth : width,
            false, QueryAs<IUID>(control)};
}

HRESULT GPValueTableTypeName::Open(IUnknown** type) {
    if (HRESULT hr = ClearOut(type); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<GPValueTableType>();
        int32_t added = 0;
        for (const Column& column : columns_) {
            auto name = QueryAs<IName>(column.name.Get());
            ComPtr<IUnknown> opened;
            if (!name || FAILED(name->Open(opened.Out())))
                continue;
            auto dataType = QueryAs<IGPDataType>(opened.Get());
            if (!dataType || FAILED(made->AddDataType(dataType.Get(), column.displayName.c_str(), column.width,
                                                      column.control.Get())))
                continue;
            made->put_ReadOnly(added++, column.readOnly ? VARIANT_TRUE : VARIANT_FALSE);
        }
        *type = static_cast<IGPDataType*>(made.Detach());
        return S_OK;
    });
}

HRESULT GPValueTableTypeName::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(columns_.size());
    return S_OK;
}

HRESULT GPValueTableTypeName::get_DataTypeName(int32_t index, IGPDataTypeName** name) {
    if (HRESULT hr = ClearOut(name); FAILED(hr))
        return hr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    IUnknown* stored = columns_[static_cast<size_t>(index)].name.Get();
    return stored ? stored->QueryInterface(IGPDataTypeName::iid, reinterpret_cast<void**>(name)) : S_OK;
}

HRESULT GPValueTableTypeName::put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) {
    if (!IsColumn(index))
        return E_INVALIDARG;
    columns_[static_cast<size_t>(index)].readOnly = readOnly != VARIANT_FALSE;
    dirty_ = true;
    return S_OK;
}

HRESULT GPValueTableTypeName::get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) {
    if (!readOnly)
        return E_POINTER;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *readOnly = columns_[static_cast<size_t>(index)].readOnly ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPValueTableTypeName::get_Width(int32_t index, int32_t* width) {
    if (!width)
        return E_POINTER;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *width = columns_[static_cast<size_t>(index)].width;
    return S_OK;
}

HRESULT GPValueTableTypeName::get_DisplayName(int32_t index, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    return HandOutText(columns_[static_cast<size_t>(index)].displayName, name);
}

HRESULT GPValueTableTypeName::AddDataType(IUnknown* name, const OLECHAR* displayName, int32_t width,
                                          IUnknown* control) {
    if (!name)
        return E_POINTER;
    return guard([&] {
        columns_.push_back(MakeColumn(name, displayName, width, control));
        dirty_ = true;
        return S_OK;
    });
}

HRESULT GPValueTableTypeName::RemoveDataType(int32_t index) {
    if (index < 0)
        index = static_cast<int32_t>(columns_.size()) - 1;
    if (!IsColumn(index))
        return E_FAIL;
    columns_.erase(columns_.begin() + index);
    dirty_ = true;
    return S_OK;
}

HRESULT GPValueTableTypeName::get_ControlCLSID(int32_t index, IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *control = ComPtr<IUID>(columns_[static_cast<size_t>(index)].control).Detach();
    return S_OK;
}

HRESULT GPValueTableTypeName::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kStreamVersion)) ||
            FAILED(AfStreamWrite(stream, static_cast<int32_t>(columns_.size()))))
            return E_FAIL;
        for (const Column& column : columns_)
            if (FAILED(SaveObject(column.name.Get(), stream, clearDirty)) ||
                FAILED(WriteString(stream, column.displayName)) || FAILED(AfStreamWrite(stream, column.width)) ||
                FAILED(SaveObject(column.control.Get(), stream, clearDirty)))
                return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT GPValueTableTypeName::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0;
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &version)) || version > kStreamVersion ||
            FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        std::vector<Column> columns;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> name;
            ComPtr<IUnknown> dropped;
            ComPtr<IUnknown> control;
            String displayName;
            int32_t width = 0;
            if (FAILED(LoadObject(stream, IUnknown::iid, name.OutVoid())) ||
                (version < 2 && FAILED(LoadObject(stream, IUnknown::iid, dropped.OutVoid()))) ||
                FAILED(ReadString(stream, &displayName)) || FAILED(AfStreamRead(stream, &width)) ||
                (version > 2 && FAILED(LoadObject(stream, IUnknown::iid, control.OutVoid()))))
                return E_FAIL;
            if (!name)
                return E_FAIL; // every column has a data type name
            columns.push_back(MakeColumn(name.Get(), displayName.c_str(), width, control.Get()));
        }
        columns_ = std::move(columns); // a read that fails changes nothing
        dirty_ = false;
        return S_OK;
    });
}

HRESULT GPValueTableTypeName::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto properties = MakeObject<ObjectArray>();
        for (const Column& column : columns_) {
            auto property = MakeObject<GPValueTableTypeNameProperty>();
            property->put_Width(column.width);
            property->putref_DataTypeName(column.name.Get());
            property->put_DisplayName(column.displayName.c_str());
            property->putref_ControlCLSID(column.control.Get());
            properties->Add(static_cast<IGPValueTableTypeNameProperty*>(property.Get()));
        }
        HRESULT hr = data->put_TypeName(u"GPValueTableTypeName");
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (SUCCEEDED(hr))
            hr = data->AddObjectArray(u"GPValueTableTypeNamePropertiesArray", static_cast<IArray*>(properties.Get()),
                                      u"GPValueTableTypeNameProperty", c_xml_ns_tavi);
        return hr;
    });
}

HRESULT GPValueTableTypeName::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::vector<ComPtr<IUnknown>> elements;
        if (HRESULT hr = ReadXmlObjectArray(data, u"GPValueTableTypeNamePropertiesArray",
                                            u"ArrayOfGPValueTableTypeNameProperty", elements);
            FAILED(hr))
            return hr;
        std::vector<Column> columns;
        for (const auto& element : elements) {
            auto property = QueryAs<IGPValueTableTypeNameProperty>(element.Get());
            int32_t width = 0;
            ComPtr<IGPDataTypeName> name;
            BStr displayName;
            ComPtr<IUID> control;
            if (!property || FAILED(property->get_Width(&width)) || FAILED(property->get_DataTypeName(name.Out())) ||
                !name || FAILED(property->get_DisplayName(displayName.Out())) ||
                FAILED(property->get_ControlCLSID(control.Out())))
                return E_FAIL;
            columns.push_back(MakeColumn(name.Get(), displayName.c_str(), width, control.Get()));
        }
        columns_ = std::move(columns);
        dirty_ = true;
        return S_OK;
    });
}

// --- the column property ---

HRESULT GPValueTableTypeNameProperty::get_Width(int32_t* width) {
    if (!width)
        return E_POINTER;
    *width = width_;
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::put_Width(int32_t width) {
    width_ = width;
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::get_Flag(VARIANT_BOOL* flag) {
    if (!flag)
        return E_POINTER;
    *flag = flag_;
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::put_Flag(VARIANT_BOOL flag) {
    flag_ = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::get_DataTypeName(IGPDataTypeName** name) {
    if (HRESULT hr = ClearOut(name); FAILED(hr))
        return hr;
    return name_ ? name_->QueryInterface(IGPDataTypeName::iid, reinterpret_cast<void**>(name)) : S_OK;
}

HRESULT GPValueTableTypeNameProperty::putref_DataTypeName(IUnknown* name) {
    name_ = ComPtr<IUnknown>(name);
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::put_DisplayName(const OLECHAR* name) {
    return guard([&] {
        displayName_ = name ? String(name) : String();
        return S_OK;
    });
}

HRESULT GPValueTableTypeNameProperty::get_DisplayName(BSTR* name) {
    if (!name)
        return E_POINTER;
    return guard([&] {
        *name = BStr(displayName_).Detach();
        return S_OK;
    });
}

HRESULT GPValueTableTypeNameProperty::putref_ControlCLSID(IUID* control) {
    control_ = ComPtr<IUID>(control);
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::get_ControlCLSID(IUID** control) {
    if (!control)
        return E_POINTER;
    *control = ComPtr<IUID>(control_).Detach();
    return S_OK;
}

HRESULT GPValueTableTypeNameProperty::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        HRESULT hr = data->put_TypeName(u"GPValueTableTypeNameProperty");
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (SUCCEEDED(hr))
            hr = data->AddInteger(u"Width", width_);
        if (SUCCEEDED(hr))
            hr = data->AddObject(u"DataTypeName", name_.Get());
        if (SUCCEEDED(hr))
            hr = data->AddString(u"DisplayName", displayName_.c_str());
        if (SUCCEEDED(hr))
            hr = data->AddObject(u"ControlCLSID", control_.Get());
        return hr;
    });
}

HRESULT GPValueTableTypeNameProperty::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        // Read every element present first, then take them all, so that a damaged element changes nothing.
        int32_t width = width_;
        ComPtr<IUnknown> name = name_;
        String displayName = displayName_;
        ComPtr<IUID> control = control_;
        int32_t index = -1;
        if (FAILED(data->Find(u"Width", &index)) || (index >= 0 && FAILED(data->GetInteger(index, &width))))
            return E_FAIL;
        if (FAILED(data->Find(u"DataTypeName", &index)) ||
            (index >= 0 && FAILED(data->GetObject(index, c_xml_ns_tavi, u"GPDataTypeName", name.Out()))))
            return E_FAIL;
        BStr text;
        if (FAILED(data->Find(u"DisplayName", &index)) || (index >= 0 && FAILED(data->GetString(index, text.Out()))))
            return E_FAIL;
        if (index >= 0)
            displayName = text.str();
        ComPtr<IUnknown> uid;
        if (FAILED(data->Find(u"ControlCLSID", &index)) ||
            (index >= 0 && FAILED(data->GetObject(index, c_xml_ns_tavi, u"UID", uid.Out()))))
            return E_FAIL;
        if (index >= 0)
            control = QueryAs<IUID>(uid.Get());
        width_ = width;
        name_ = name;
        displayName_ = std::move(displayName);
        control_ = control;
        return S_OK;
    });
}

} // namespace tavi
