// The host's type converter: see TypeConverter.h.
#include "host/TypeConverter.h"

#include "host/TypeTexts.h"

namespace tavi {

namespace {

using FromText = std::optional<int32_t> (*)(std::u16string_view text);
using ToText = std::u16string_view (*)(int32_t code);

HRESULT CodeFromText(FromText lookup, const OLECHAR* text, int32_t* code) {
    if (!code)
        return E_POINTER;
    *code = 0;
    std::optional<int32_t> found = lookup(text ? std::u16string_view(text) : std::u16string_view());
    if (!found)
        return E_INVALIDARG;
    *code = *found;
    return S_OK;
}

HRESULT TextOfCode(ToText lookup, int32_t code, BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    std::u16string_view found = lookup(code);
    if (found.empty())
        return E_INVALIDARG;
    return guard([&] { *text = BStr(found).Detach(); });
}

} // namespace

HRESULT GPTypeConverter::DatasetTypeFromText(const OLECHAR* text, int32_t* type) {
    return CodeFromText(&tavi::DatasetTypeFromText, text, type);
}
HRESULT GPTypeConverter::DatasetTypeToText(int32_t type, BSTR* text) {
    return TextOfCode(&tavi::DatasetTypeText, type, text);
}
HRESULT GPTypeConverter::FieldTypeFromText(const OLECHAR* text, int32_t* type) {
    return CodeFromText(&tavi::FieldTypeFromText, text, type);
}
HRESULT GPTypeConverter::FieldTypeToText(int32_t type, BSTR* text) {
    return TextOfCode(&tavi::GetFieldType, type, text);
}
HRESULT GPTypeConverter::GeometryTypeFromText(const OLECHAR* text, int32_t* type) {
    return CodeFromText(&tavi::GeometryTypeFromText, text, type);
}
HRESULT GPTypeConverter::GeometryTypeToText(int32_t type, BSTR* text) {
    return TextOfCode(&tavi::GeometryTypeText, type, text);
}
HRESULT GPTypeConverter::FeatureTypeFromText(const OLECHAR* text, int32_t* type) {
    return CodeFromText(&tavi::FeatureTypeFromText, text, type);
}
HRESULT GPTypeConverter::FeatureTypeToText(int32_t type, BSTR* text) {
    return TextOfCode(&tavi::FeatureTypeText, type, text);
}
HRESULT GPTypeConverter::DatasetTypeFromElementType(const OLECHAR* elementType, int32_t* type) {
    return CodeFromText(&tavi::DatasetTypeFromElementType, elementType, type);
}
HRESULT GPTypeConverter::DatasetTypeToElementType(int32_t type, BSTR* elementType) {
    return TextOfCode(&tavi::DatasetTypeElementType, type, elementType);
}
HRESULT GPTypeConverter::WorkspaceTypeFromText(const OLECHAR* text, int32_t* type) {
    return CodeFromText(&tavi::WorkspaceTypeFromText, text, type);
}
HRESULT GPTypeConverter::WorkspaceTypeToText(int32_t type, BSTR* text) {
    return TextOfCode(&tavi::WorkspaceTypeText, type, text);
}

} // namespace tavi
