// Workspaces: see Workspace.h.
#include "host/Workspace.h"

#include "host/Table.h"
#include "platform/Utf.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>

namespace tavi {

namespace {

template <class T> HRESULT HandOutValue(T value, T* out) {
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

String JoinPath(const String& folder, std::u16string_view name) {
    if (folder.empty())
        return String(name);
    return folder.back() == u'/' ? folder + String(name) : folder + u'/' + String(name);
}

// The side files a shapefile keeps beside its .shp.
bool IsShapefileSideFile(const std::filesystem::path& file) {
    static const char* const kSideExtensions[] = {".dbf", ".shx", ".prj", ".cpg", ".sbn", ".sbx", ".qix", ".shp.xml"};
    std::string name = file.filename().string();
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* extension : kSideExtensions) {
        std::string_view ext(extension);
        if (lower.size() > ext.size() && lower.ends_with(ext)) {
            std::string stem = name.substr(0, name.size() - ext.size());
            std::error_code ignored;
            if (std::filesystem::exists(file.parent_path() / (stem + ".shp"), ignored) ||
                std::filesystem::exists(file.parent_path() / (stem + ".SHP"), ignored))
                return true;
        }
    }
    return false;
}

} // namespace

FolderWorkspace::FolderWorkspace(String catalogPath, String name)
    : DataElementObject(u"DEFolder", std::move(catalogPath), std::move(name)) {}

HRESULT FolderWorkspace::get_WorkspaceType(int32_t* type) {
    return HandOutValue<int32_t>(taviWorkspaceFileSystem, type);
}

HRESULT FolderWorkspace::OpenWorkspace(IWorkspace** workspace) {
    if (HRESULT hr = ClearOut(workspace); FAILED(hr))
        return hr;
    *workspace = this;
    AddRef();
    return S_OK;
}

HRESULT FolderWorkspace::get_PathName(BSTR* path) {
    return HandOut(CatalogPath(), path);
}

HRESULT FolderWorkspace::get_Type(int32_t* type) {
    return get_WorkspaceType(type);
}

HRESULT FolderWorkspace::OpenDataElement(const OLECHAR* name, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    if (!*name)
        return E_INVALIDARG;
    return guard([&] { return tavi::OpenDataElement(JoinPath(CatalogPath(), name), element); });
}

HRESULT FolderWorkspace::ListChildren(std::vector<ComPtr<IDataElement>>& children) {
    std::error_code error;
    std::filesystem::directory_iterator entries(std::filesystem::path(gdal::ToGdalPath(CatalogPath())), error);
    if (error)
        return TAVI_E_DATA_UNREADABLE;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : entries) {
        std::string file = entry.path().filename().string();
        if (!file.empty() && file[0] != '.' && !IsShapefileSideFile(entry.path()))
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        ComPtr<IDataElement> child;
        // A child that cannot be read is left out of the listing, not a failure of the folder.
        if (SUCCEEDED(tavi::OpenDataElement(JoinPath(CatalogPath(), FromUtf8(path.filename().string())), child.Out())))
            children.push_back(std::move(child));
    }
    return S_OK;
}

DatabaseWorkspace::DatabaseWorkspace(gdal::DatasetPtr dataset, String catalogPath, String name)
    : DataElementObject(u"DEWorkspace", std::move(catalogPath), std::move(name)), dataset_(std::move(dataset)) {}

HRESULT DatabaseWorkspace::get_WorkspaceType(int32_t* type) {
    return HandOutValue<int32_t>(taviWorkspaceLocalDatabase, type);
}

HRESULT DatabaseWorkspace::OpenWorkspace(IWorkspace** workspace) {
    if (HRESULT hr = ClearOut(workspace); FAILED(hr))
        return hr;
    *workspace = this;
    AddRef();
    return S_OK;
}

HRESULT DatabaseWorkspace::get_PathName(BSTR* path) {
    return HandOut(CatalogPath(), path);
}

HRESULT DatabaseWorkspace::get_Type(int32_t* type) {
    return get_WorkspaceType(type);
}

HRESULT DatabaseWorkspace::OpenDataElement(const OLECHAR* name, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    if (!*name)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        for (int i = 0; i < dataset_->GetLayerCount(); ++i) {
            OGRLayer* layer = dataset_->GetLayer(i);
            String layerName = FromUtf8(layer->GetName());
            if (EqualsNoCase(layerName, name)) {
                *element = MakeTableElement(dataset_, layer, JoinPath(CatalogPath(), layerName)).Detach();
                return S_OK;
            }
        }
        return TAVI_E_DATA_NOT_FOUND;
    });
}

HRESULT DatabaseWorkspace::ListChildren(std::vector<ComPtr<IDataElement>>& children) {
    for (int i = 0; i < dataset_->GetLayerCount(); ++i) {
        OGRLayer* layer = dataset_->GetLayer(i);
        children.push_back(MakeTableElement(dataset_, layer, JoinPath(CatalogPath(), FromUtf8(layer->GetName()))));
    }
    return S_OK;
}

bool IsMemoryWorkspacePath(std::u16string_view catalogPath) {
    std::u16string_view first = catalogPath.substr(0, catalogPath.find_first_of(u"/\\"));
    return EqualsNoCase(first, u"in_memory") || EqualsNoCase(first, u"memory");
}

HRESULT OpenMemoryWorkspace(std::u16string_view workspaceName, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        gdal::EnsureInitialized();
        // Never destroyed: the memory workspaces hold their data until the process ends.
        static auto* workspaces = new std::map<String, gdal::DatasetPtr>();
        static std::mutex lock;
        String key = ToLowerAscii(workspaceName);
        gdal::DatasetPtr dataset;
        {
            std::lock_guard<std::mutex> held(lock);
            auto& slot = (*workspaces)[key];
            if (!slot) {
                GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Memory");
                if (!driver)
                    return E_FAIL;
                gdal::ErrorScope errors;
                slot = gdal::Share(driver->Create(ToUtf8(key).c_str(), 0, 0, 0, GDT_Unknown, nullptr));
                if (!slot)
                    return E_FAIL;
            }
            dataset = slot;
        }
        *element = MakeObject<DatabaseWorkspace>(std::move(dataset), key, key).Detach();
        return S_OK;
    });
}

} // namespace tavi
