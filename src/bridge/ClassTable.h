// The library's class table as the command line sees it, read once through the exported listing functions.
#pragma once

#include "tavi/Entry.h"

#include "platform/ComPtr.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavigp {

// The prefix of every programmatic identifier the library registers: "taviGeoprocessing.<class name>".
inline constexpr std::string_view kProgIdPrefix = "taviGeoprocessing";

struct ClassRow {
    std::string name;
    CLSID classId;
    int32_t factoryKind;
    std::vector<CATID> categories;
    int32_t threadingModel;
    bool provided;

    std::string ProgId() const { return std::string(kProgIdPrefix) + "." + name; }
};

// The rows in table order; read from the library on first use.
const std::vector<ClassRow>& ClassRows();

// The row of a class identifier, or null.
const ClassRow* FindClass(const CLSID& classId);
// The row of the class `object` reports through IClassID or else IPersist, or null.
const ClassRow* ClassOf(IUnknown* object);

// Resolves a class given by name ("GPString"), programmatic identifier ("taviGeoprocessing.GPString", also with the
// version suffix ".1") or class identifier ("{…}"). Names the table does not know are asked of the registry
// (CLSIDFromProgID). Nothing when the text names no class.
std::optional<CLSID> ResolveClass(std::string_view text);

// Creates a class asking for IUnknown: one of the host's own classes (UID, Array, GPMessage, …, by name or identifier)
// through TaviCreateHostInstance, as the library's own object creation looks there first; else a class of the table
// (resolved as above) through DllGetClassObject and its factory's CreateInstance. The result code of whichever step
// failed; nothing when the text names no class.
std::optional<HRESULT> CreateObject(std::string_view which, tavi::ComPtr<IUnknown>* object);

} // namespace tavigp
