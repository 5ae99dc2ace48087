// The host's type converter: the texts of field, geometry, feature, dataset and workspace type codes (TypeTexts.h)
// handed to objects that reach the host only through interfaces, such as the data domains writing their type lists.
#pragma once

#include "platform/Object.h"
#include "tavi/TypeConverter.h"

namespace tavi {

// Every *FromText reads a null text as the empty one, which names no code (E_INVALIDARG, 0); every *ToText gives
// E_INVALIDARG and a null text for a code without a text. Null out pointers give E_POINTER.
class GPTypeConverter final : public Object<GPTypeConverter, IGPTypeConverter> {
public:
    static constexpr CLSID kClassId = CLSID_GPTypeConverter;
    static constexpr const char16_t* kClassName = u"GPTypeConverter";

    HRESULT DatasetTypeFromText(const OLECHAR* text, int32_t* type) override;
    HRESULT DatasetTypeToText(int32_t type, BSTR* text) override;
    HRESULT FieldTypeFromText(const OLECHAR* text, int32_t* type) override;
    HRESULT FieldTypeToText(int32_t type, BSTR* text) override;
    HRESULT GeometryTypeFromText(const OLECHAR* text, int32_t* type) override;
    HRESULT GeometryTypeToText(int32_t type, BSTR* text) override;
    HRESULT FeatureTypeFromText(const OLECHAR* text, int32_t* type) override;
    HRESULT FeatureTypeToText(int32_t type, BSTR* text) override;
    HRESULT DatasetTypeFromElementType(const OLECHAR* elementType, int32_t* type) override;
    HRESULT DatasetTypeToElementType(int32_t type, BSTR* elementType) override;
    HRESULT WorkspaceTypeFromText(const OLECHAR* text, int32_t* type) override;
    HRESULT WorkspaceTypeToText(int32_t type, BSTR* text) override;
};

} // namespace tavi
