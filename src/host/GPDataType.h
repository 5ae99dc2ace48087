// The data type base: the identities of a data type (handed over by the derived constructor), its names, value
// creation, and validation by interface identity with the message builders that overriding classes reuse.
//
// A data type class lists its rows (IGPDataType and IClone among them) in lookup order:
//
//   class GPStringType final : public GPDataType<GPStringType, IGPStringType, IGPDataType, IGPVariantType, IClone> {
//   public:
//       GPStringType() : GPDataType({u"GPString", 4690, kClassId, GPString::kClassId, kControlClassId,
//                                    IGPStringType::iid, IGPString::iid}) {}
//   };
//
// What the base does:
//   get_ControlCLSID   an identifier object of the control class; S_FALSE and null when there is none;
//   get_FullName       a GPName holding the name, display name (also as description), category "Data Type" and
//                      the factory class identifier; opening it asks that factory for the type again;
//   get_HelpContext    0;  get_MetadataFile: empty;
//   CreateValue        a new value of the value class; a non-null text goes through SetAsText. S_FALSE (with the
//                      value) when the value could not read the text; the creation's or SetAsText's failure code;
//   ValidateDataType   accepted when the other answers the type interface;
//   ValidateValue      the value is unpacked (variables and parameters give their value), accepted when it answers
//                      the value interface; a given domain then decides (IGPDomain::MemberOf);
//   Clone              a new object of the data type class, then Assign;
//   Assign / IsEqual   data types hold only identities: the same class is assignable and equal, another is not
//                      (Assign: E_INVALIDARG; IsEqual: false).
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"

#include <initializer_list>

namespace tavi {

namespace DEConstants {
// The help reference every data type of the library reports.
inline constexpr const char16_t* c_taviDataTypeHelpfile = u"taviGeoprocessing_datatypes.html";
} // namespace DEConstants

// The string table number of the category text "Data Type".
constexpr int32_t kDataTypeCategoryStringId = 4667;

struct DataTypeIdentity {
    const char16_t* name;  // the data type name, e.g. "GPString"
    int32_t displayNameId; // string table number of the display name
    CLSID dataTypeClassId; // the data type's own class
    CLSID valueClassId;    // the class of the values it creates
    CLSID controlClassId;  // the editing control's class (reported only); GUID_NULL for none
    IID typeInterfaceId;   // the type's own marker interface
    IID valueInterfaceId;  // the value's own interface
    CLSID factoryClassId = CLSID_GPDataTypeFactory;
    const char16_t* helpFile = DEConstants::c_taviDataTypeHelpfile;
};

class GPDataTypeCore {
public:
    const String& Name() const { return name_; }
    const String& DisplayName() const { return displayName_; }
    const CLSID& DataTypeClassId() const { return dataTypeClassId_; }
    const CLSID& ValueClassId() const { return valueClassId_; }
    const IID& TypeInterfaceId() const { return typeInterfaceId_; }
    const IID& ValueInterfaceId() const { return valueInterfaceId_; }

    // The message of a data type check: an empty message when `valid` is true, else an error naming both types.
    HRESULT MakeDataTypeErrorMessage(VARIANT_BOOL valid, IGPDataType* other, IGPMessage** message);
    // The message of a value check: an empty message when `valid` is true, else an error naming the value.
    HRESULT MakeValueErrorMessage(VARIANT_BOOL valid, IGPValue* value, IGPMessage** message);
    // The value `value` stands for (see ResolveValue).
    static HRESULT UnpackValue(IGPValue* value, IGPValue** actual);

protected:
    explicit GPDataTypeCore(const DataTypeIdentity& identity);
    virtual ~GPDataTypeCore() = default;

    // The validation patterns, for classes that accept further interfaces:
    // E_POINTER for null arguments; the verdict goes through the message builders; with a domain the domain's
    // MemberOf decides an accepted value.
    HRESULT ValidateDataTypeAgainst(IGPDataType* other, std::initializer_list<IID> accepted, IGPMessage** message);
    HRESULT ValidateValueAgainst(IGPValue* value, IGPDomain* domain, std::initializer_list<IID> accepted,
                                 IGPMessage** message);

    HRESULT CoreControlCLSID(IUID** control);
    HRESULT CoreFullName(IName** fullName);
    HRESULT CoreCreateValue(const OLECHAR* text, IGPValue** value);
    HRESULT CoreClone(IClone** clone);
    HRESULT CoreAssign(IClone* source);
    HRESULT CoreIsEqual(IClone* other, VARIANT_BOOL* equal);
    HRESULT CoreIsIdentical(IClone* other, VARIANT_BOOL* identical);
    static HRESULT GetText(const String& field, BSTR* out);

    virtual IClone* SelfClone() = 0;

    String name_;
    String displayName_;
    String helpFile_;
    String metadataFile_;
    int32_t helpContext_ = 0;
    CLSID dataTypeClassId_;
    CLSID factoryClassId_;
    CLSID valueClassId_;
    CLSID controlClassId_;
    IID typeInterfaceId_;
    IID valueInterfaceId_;
};

template <class Derived, class... R> class GPDataType : public Object<Derived, R...>, public GPDataTypeCore {
public:
    // IGPDataType
    HRESULT get_Name(BSTR* name) override { return GetText(name_, name); }
    HRESULT get_DisplayName(BSTR* name) override { return GetText(displayName_, name); }
    HRESULT get_ControlCLSID(IUID** control) override { return CoreControlCLSID(control); }
    HRESULT get_FullName(IName** fullName) override { return CoreFullName(fullName); }
    HRESULT get_HelpFile(BSTR* helpFile) override { return GetText(helpFile_, helpFile); }
    HRESULT get_HelpContext(int32_t* helpContext) override {
        if (!helpContext)
            return E_POINTER;
        *helpContext = helpContext_;
        return S_OK;
    }
    HRESULT get_MetadataFile(BSTR* metadataFile) override { return GetText(metadataFile_, metadataFile); }
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override { return CoreCreateValue(text, value); }
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override {
        return ValidateDataTypeAgainst(other, {typeInterfaceId_}, message);
    }
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override {
        return ValidateValueAgainst(value, domain, {valueInterfaceId_}, message);
    }

    // IClone
    HRESULT Clone(IClone** clone) override { return CoreClone(clone); }
    HRESULT Assign(IClone* source) override { return CoreAssign(source); }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override { return CoreIsEqual(other, equal); }
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override { return CoreIsIdentical(other, identical); }

    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = dataTypeClassId_;
        return S_OK;
    }

protected:
    explicit GPDataType(const DataTypeIdentity& identity) : GPDataTypeCore(identity) {}

private:
    IClone* SelfClone() override { return static_cast<IClone*>(static_cast<Derived*>(this)); }
};

} // namespace tavi
