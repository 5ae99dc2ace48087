// The host's property set: named values in the order their names were first set. A service input layer answers
// what the service told of itself in one; the record set values keep that set and copy it.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/RecordSet.h"

#include <vector>

namespace tavi {

// Names compare without regard to case (full case folding); setting a name again replaces its value where it stands
// and keeps the first spelling of the name. Values are copies of what was given (objects are shared, not copied).
// Out variants are taken as uninitialised memory. A null name gives E_POINTER; RemoveProperty of a name that is
// not set gives S_FALSE and changes nothing.
class PropertySet final : public Object<PropertySet, IPropertySet, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_PropertySet;
    static constexpr const char16_t* kClassName = u"PropertySet";

    // IPropertySet
    HRESULT get_Count(int32_t* count) override;
    HRESULT GetProperty(const OLECHAR* name, VARIANT* value) override;
    HRESULT SetProperty(const OLECHAR* name, VARIANT value) override;
    HRESULT RemoveProperty(const OLECHAR* name) override;
    HRESULT GetAllProperties(VARIANT* names, VARIANT* values) override;
    // IClone: any object answering IPropertySet can be assigned (E_INVALIDARG otherwise). Two sets are equal when
    // they hold the same names (in any order, without regard to case) with equal values: objects equal by IClone
    // (or the same object), other values equal in their stored form (so NaN equals NaN, and 1 as VT_I4 differs
    // from 1 as VT_R8).
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // Sets a property from inside the library; throws std::bad_alloc.
    void Set(std::u16string_view name, const VARIANT& value);

private:
    struct Property {
        String name;
        Variant value;
    };
    Property* Find(std::u16string_view name);

    std::vector<Property> properties_;
};

// The names and values of any IPropertySet, in its order. The set's own failure is returned.
HRESULT ReadPropertySet(IPropertySet* set, std::vector<std::pair<String, Variant>>& properties);

} // namespace tavi
