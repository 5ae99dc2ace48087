// Data elements: what a catalog path names. The shared base of every kind (DataElementObject), the plain file
// element, and OpenDataElement, which turns a catalog path into the right kind:
//   a folder                      -> "DEFolder" (a file system workspace)
//   a .gdb folder, a .gpkg file,
//   "in_memory" or "memory"       -> "DEWorkspace" (a database workspace)
//   roads.shp, a .dbf, a .csv     -> "DEFeatureClass" or "DETable"
//   city.gpkg/roads, data.gdb/fc  -> the dataset of that name inside the container
//   dem.tif and other rasters     -> "DERasterDataset"
//   any other file                -> "DEFile"
//
// Every data element is also a value (IGPValue, IGPDescribe; see DataElementValue.h), so that data types and domains
// take it where they take values. Its text form is its catalog path, which it keeps for life: SetAsText and
// DeserializeJSONObject ({"catalogPath": "..."}) only confirm the same path, and Empty is E_NOTIMPL for opened data
// (a table description, which names data without opening it, may clear itself).
#pragma once

#include "data/DataElementValue.h"
#include "host/GPCatalogPath.h"
#include "host/ObjectArray.h"
#include "host/String.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/HandOut.h"
#include "platform/Object.h"
#include "tavi/DataAccess.h"

#include <string_view>
#include <vector>

namespace tavi {

// The IDataElement and value parts of every kind. Derived classes with children override IsContainer and
// ListChildren; the value interfaces come last in the lookup.
template <class Derived, class... R>
class DataElementObject : public Object<Derived, IDataElement, R..., IGPValue, IGPDescribe> {
public:
    HRESULT get_Type(BSTR* typeName) override { return HandOut(typeName_, typeName); }
    HRESULT get_Name(BSTR* name) override { return HandOut(name_, name); }
    HRESULT get_CatalogPath(BSTR* path) override { return HandOut(catalogPath_, path); }
    HRESULT get_BaseName(BSTR* baseName) override {
        return guard([&] { return HandOut(GPCatalogPath(name_).GetBaseName(), baseName); });
    }
    HRESULT get_Extension(BSTR* extension) override {
        return guard([&] { return HandOut(GPCatalogPath(name_).GetExtension(), extension); });
    }
    HRESULT get_ChildrenExpanded(VARIANT_BOOL* expanded) override {
        if (!expanded)
            return E_POINTER;
        *expanded = expanded_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT get_Children(IArray** children) override {
        if (HRESULT hr = ClearOut(children); FAILED(hr))
            return hr;
        if (!IsContainer())
            return S_OK;
        return guard([&]() -> HRESULT {
            std::vector<ComPtr<IDataElement>> found;
            if (HRESULT hr = ListChildren(found); FAILED(hr))
                return hr;
            ComPtr<IArray> array;
            if (HRESULT hr = CreateObjectArray(IArray::iid, array.OutVoid()); FAILED(hr))
                return hr;
            for (const auto& child : found)
                array->Add(child.Get());
            expanded_ = true;
            *children = array.Detach();
            return S_OK;
        });
    }

    // IGPValue. The data type follows the kind (DataElementDataType); an element is empty only when it names nothing
    // (a cleared table description). Empty: E_NOTIMPL, as opened data names its data for life.
    HRESULT get_DataType(IGPDataType** dataType) override { return DataElementDataType(this, dataType); }
    HRESULT IsEmpty(VARIANT_BOOL* empty) override {
        return HandOutValue(catalogPath_.empty() ? VARIANT_TRUE : VARIANT_FALSE, empty);
    }
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT GetAsText(BSTR* text) override { return HandOut(catalogPath_, text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override {
        return KeepNameText(catalogPath_, text, false, message);
    }
    HRESULT SerializeJSONObject(BSTR* json) override { return NameJson("catalogPath", catalogPath_, json); }
    HRESULT DeserializeJSONObject(const OLECHAR* json) override {
        return KeepNameJson("catalogPath", catalogPath_, json, false);
    }

    // IGPDescribe
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override { return DescribeDataElement(this, name, value); }

    const String& CatalogPath() const { return catalogPath_; }
    const String& Name() const { return name_; }

protected:
    DataElementObject(String typeName, String catalogPath, String name)
        : typeName_(std::move(typeName)), catalogPath_(std::move(catalogPath)), name_(std::move(name)) {}

    // A description read from a stream names the data anew.
    void SetIdentity(String typeName, String catalogPath, String name) {
        typeName_ = std::move(typeName);
        catalogPath_ = std::move(catalogPath);
        name_ = std::move(name);
    }
    const String& TypeName() const { return typeName_; }
    virtual bool IsContainer() const { return false; }
    virtual HRESULT ListChildren(std::vector<ComPtr<IDataElement>>& children) { return S_OK; }

private:
    String typeName_;
    String catalogPath_;
    String name_;
    bool expanded_ = false;
};

// A file that is no data GDAL reads (a .prj, a .txt, a document).
class FileElement final : public DataElementObject<FileElement> {
public:
    static constexpr const char16_t* kClassName = u"DEFile";
    FileElement(String catalogPath, String name)
        : DataElementObject(u"DEFile", std::move(catalogPath), std::move(name)) {}
};

// The data element a catalog path names. E_POINTER for a null out pointer; E_INVALIDARG for an empty or blank
// path and for what is no local path (a URL, a GDAL virtual file system); TAVI_E_DATA_NOT_FOUND when nothing is at the
// path or the container holds no dataset of that name; TAVI_E_DATA_UNREADABLE for a file of a data format that cannot
// be read; TAVI_E_DATA_ACCESS_DENIED when the path may not be read.
HRESULT OpenDataElement(std::u16string_view catalogPath, IDataElement** element);

// The same, queried for the interface of the kind the caller needs (ITable, IFeatureClass, IRasterDataset,
// IWorkspace through IDEWorkspace). E_NOINTERFACE when the data is of another kind.
HRESULT OpenTable(std::u16string_view catalogPath, ITable** table);
HRESULT OpenFeatureClass(std::u16string_view catalogPath, IFeatureClass** featureClass);
HRESULT OpenRasterDataset(std::u16string_view catalogPath, IRasterDataset** raster);
HRESULT OpenWorkspace(std::u16string_view catalogPath, IWorkspace** workspace);

} // namespace tavi
