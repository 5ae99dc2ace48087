// What the reader and the writers of the JSON form share: the type names and the padded text (see RecordSetJson.h).
// The reader is in RecordSetJsonReader.cpp, the writers in RecordSetJsonWriter.cpp.
#include "data/RecordSetJson.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include <sys/stat.h>

namespace tavi {

namespace {

// Indexed by the type codes; null where a code names no type.
constexpr const char* kFieldTypeNames[] = {
    "taviFieldTypeSmallInteger",
    "taviFieldTypeInteger",
    "taviFieldTypeSingle",
    "taviFieldTypeDouble",
    "taviFieldTypeString",
    "taviFieldTypeDate",
    "taviFieldTypeOID",
    "taviFieldTypeGeometry",
    "taviFieldTypeBlob",
    "taviFieldTypeRaster",
    "taviFieldTypeGUID",
    "taviFieldTypeGlobalID",
    "taviFieldTypeXML",
    "taviFieldTypeBigInteger",
    "taviFieldTypeDateOnly",
    "taviFieldTypeTimeOnly",
    "taviFieldTypeTimestampOffset",
};
constexpr const char* kGeometryTypeNames[] = {
    "taviGeometryNull",
    "taviGeometryPoint",
    "taviGeometryMultipoint",
    "taviGeometryPolyline",
    "taviGeometryPolygon",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    "taviGeometryMultiPatch",
};

template <size_t N> int32_t CodeOf(const char* const (&names)[N], std::string_view name) {
    for (size_t code = 0; code < N; ++code)
        if (names[code] && name == names[code])
            return static_cast<int32_t>(code);
    return -1;
}

} // namespace

const char* FieldTypeJsonName(int32_t fieldType) {
    return fieldType >= 0 && static_cast<size_t>(fieldType) < std::size(kFieldTypeNames) ? kFieldTypeNames[fieldType]
                                                                                         : nullptr;
}

const char* GeometryTypeJsonName(int32_t shapeType) {
    return shapeType >= 0 && static_cast<size_t>(shapeType) < std::size(kGeometryTypeNames)
               ? kGeometryTypeNames[shapeType]
               : nullptr;
}

int32_t FieldTypeFromJsonName(std::string_view name) {
    return CodeOf(kFieldTypeNames, name);
}

int32_t GeometryTypeFromJsonName(std::string_view name) {
    return CodeOf(kGeometryTypeNames, name);
}

PaddedJson PaddedJson::Copy(std::string_view text) {
    PaddedJson json;
    json.owned_ = std::make_unique_for_overwrite<char[]>(text.size() + kJsonPadding);
    if (!text.empty())
        std::memcpy(json.owned_.get(), text.data(), text.size());
    std::memset(json.owned_.get() + text.size(), 0, kJsonPadding);
    json.data_ = json.owned_.get();
    json.size_ = text.size();
    return json;
}

PaddedJson PaddedJson::Borrow(std::string& text) {
    if (text.capacity() < text.size() + kJsonPadding)
        text.reserve(text.size() + kJsonPadding);
    PaddedJson json;
    json.data_ = text.data();
    json.size_ = text.size();
    return json;
}

HRESULT PaddedJson::ReadFile(const std::string& path, PaddedJson& json) try {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    struct stat status {};
    if (!file || fstat(fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode))
        return STG_E_FILENOTFOUND;
    if (status.st_size < 0 || static_cast<uint64_t>(status.st_size) > kLargestRecordSetJson)
        return E_INVALIDARG;
    const size_t size = static_cast<size_t>(status.st_size);
    PaddedJson read;
    read.owned_ = std::make_unique_for_overwrite<char[]>(size + kJsonPadding);
    if (std::fread(read.owned_.get(), 1, size, file.get()) != size)
        return STG_E_READFAULT;
    std::memset(read.owned_.get() + size, 0, kJsonPadding);
    read.data_ = read.owned_.get();
    read.size_ = size;
    json = std::move(read);
    return S_OK;
} catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
}

} // namespace tavi
