// Reads the class table through TaviGetClassCount/TaviGetClassInfo and resolves class names for the commands.
#include "bridge/ClassTable.h"

#include "bridge/Text.h"

#include "tavi/Registry.h"
#include "tavi/Stream.h"

#include <array>
#include <cstring>
#include <map>

namespace tavigp {

namespace {

// The class identifier an object reports, through IClassID or else IPersist.
std::optional<CLSID> ReportedClassId(IUnknown* object) {
    CLSID classId{};
    if (auto classIdTearOff = tavi::QueryAs<IClassID>(object))
        if (SUCCEEDED(classIdTearOff->get_ClassID(&classId)))
            return classId;
    if (auto persist = tavi::QueryAs<IPersist>(object))
        if (SUCCEEDED(persist->GetClassID(&classId)))
            return classId;
    return std::nullopt;
}

std::vector<ClassRow> ReadRows() {
    std::vector<ClassRow> rows;
    int32_t count = TaviGetClassCount();
    for (int32_t i = 0; i < count; ++i) {
        TaviClassInfo info{};
        if (FAILED(TaviGetClassInfo(i, &info)))
            continue;
        ClassRow row{info.name ? Narrow(info.name) : std::string(),
                     info.classId,
                     info.factoryKind,
                     {},
                     info.threadingModel,
                     info.provided != 0};
        for (int32_t c = 0; c < info.categoryCount && c < kTaviMaxCategories; ++c)
            row.categories.push_back(info.categories[c]);
        rows.push_back(std::move(row));
    }
    return rows;
}

const ClassRow* FindByName(std::string_view name) {
    for (const ClassRow& row : ClassRows())
        if (row.name == name)
            return &row;
    return nullptr;
}

} // namespace

const std::vector<ClassRow>& ClassRows() {
    static const std::vector<ClassRow> rows = ReadRows();
    return rows;
}

const ClassRow* FindClass(const CLSID& classId) {
    // Every object a call hands out is looked up here: by identifier in a map made once, not along the table.
    using Key = std::array<uint64_t, 2>; // the identifier's 16 bytes
    auto keyOf = [](const CLSID& id) {
        Key key;
        static_assert(sizeof key == sizeof id);
        std::memcpy(&key, &id, sizeof id);
        return key;
    };
    static const auto byIdentifier = [&] {
        std::map<Key, const ClassRow*> made;
        for (const ClassRow& row : ClassRows())
            made.emplace(keyOf(row.classId), &row);
        return made;
    }();
    auto found = byIdentifier.find(keyOf(classId));
    return found == byIdentifier.end() ? nullptr : found->second;
}

const ClassRow* ClassOf(IUnknown* object) {
    std::optional<CLSID> classId = ReportedClassId(object);
    return classId ? FindClass(*classId) : nullptr;
}

std::optional<CLSID> ResolveClass(std::string_view text) {
    if (auto guid = GuidFromText(text))
        return guid;
    if (const ClassRow* row = FindByName(text))
        return row->classId;
    std::string prefix = std::string(kProgIdPrefix) + ".";
    if (text.starts_with(prefix)) {
        std::string_view rest = text.substr(prefix.size());
        if (rest.ends_with(".1"))
            rest.remove_suffix(2);
        if (const ClassRow* row = FindByName(rest))
            return row->classId;
    }
    CLSID registered{};
    if (!text.empty() && SUCCEEDED(CLSIDFromProgID(Widen(text).c_str(), &registered)))
        return registered;
    return std::nullopt;
}

std::optional<HRESULT> CreateObject(std::string_view which, tavi::ComPtr<IUnknown>* object) {
    HRESULT hr = TaviCreateHostInstance(Widen(which).c_str(), IUnknown::iid, object->OutVoid());
    if (hr != REGDB_E_CLASSNOTREG)
        return SUCCEEDED(hr) && !*object ? E_POINTER : hr;
    auto classId = ResolveClass(which);
    if (!classId)
        return std::nullopt;
    tavi::ComPtr<IClassFactory> factory;
    hr = DllGetClassObject(*classId, IClassFactory::iid, factory.OutVoid());
    if (SUCCEEDED(hr) && !factory)
        return E_POINTER; // a factory reported success without handing one out
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(nullptr, IUnknown::iid, object->OutVoid());
    if (SUCCEEDED(hr) && !*object)
        return E_POINTER;
    return hr;
}

} // namespace tavigp
