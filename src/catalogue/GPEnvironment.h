// GPEnvironment: one environment setting (name, display name, category, value, domain, data type, display order,
// control class, the parameters it depends on, a metadata file and an altered flag), which may stand in for another
// setting, its source.
//
// Standing in. While a source is set every getter answers from the source. Every setter except put_DisplayOrder
// and put_Altered first detaches: the setting copies the source's fields (clones of its stored value and domain,
// its data type reference) and lets the source go; from then on it is independent. A display order or an altered
// flag put on a stand-in belongs to the stand-in: the getter answers it from then on, and detaching keeps it instead
// of taking the source's. A source whose chain of sources leads back to this setting is refused (E_INVALIDARG), as
// the getters would follow such a loop forever.
//
// Equality (IClone::IsEqual) compares what the getters answer on both sides: name, display name, category and
// metadata file without regard to case; display order; value, domain and data type (both absent, the same object,
// or equal by their IClone::IsEqual); control class; altered flag; and the dependency names, in order and without
// regard to case, since two settings that depend on different parameters do not behave alike.
//
// Stream form: 16-bit version (7, or 8 for documents from the fifth position of a line on), then the name, display
// name, value (nested object of what get_Value gives), domain (nested object), category, the explicit data type as
// its full name (a nested name object; no object when there is none), display order (32-bit), control class (GUID),
// dependency count (32-bit) and names, metadata file, and in version 8 the altered flag (16-bit). A stand-in writes
// what its getters answer. Versions 0 to 8 are read:
//   0..2   one more string after the domain, read and dropped;    2+  category (else empty);
//   4+     the data type name (a null object reads as no data type); 5+  display order (else -1);
//   6+     control class, dependency count and names (else none);  7+  metadata file (else empty);
//   8      altered (else true).
// Reading makes the setting independent and leaves it clean. A failed read leaves it exactly as it was.
//
// XML form: type name "GPEnvironment" in the current namespace; strings "Namespace", "Name", "DisplayName",
// "Category"; objects "Value", "Domain" and "DataTypeName" (the full name), each only when set; number
// "DisplayOrder"; object "ControlCLSID" (an identifier object, nil for none); object "ParamDependencyArray" (a
// string array of the names); string "MetadataFile"; boolean "Altered". Reading replaces the whole setting and makes
// it independent: a missing element reads as a new setting's default (empty text, no object, display order -1, no
// control class, no dependencies, not altered); a present element that cannot be read is E_FAIL.
#pragma once

#include "host/PersistFrame.h"
#include "host/String.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/GPEnvironment.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <vector>

namespace tavi {

// What a setting holds apart from its source and dirty flag.
struct EnvironmentFields {
    String nameSpace; // the XML form's "Namespace"
    String name;
    String displayName;
    String category;
    ComPtr<IGPValue> value;
    ComPtr<IGPDomain> domain;
    ComPtr<IGPDataType> dataType; // the data type put, not the value's
    VARIANT_BOOL altered = VARIANT_FALSE;
    int32_t displayOrder = -1;
    GUID controlClassId = GUID_NULL;
    std::vector<String> dependencies;
    String metadataFile;
};

class GPEnvironment final
    : public Object<GPEnvironment, IGPEnvironment, IGPEnvironmentImpl, IGPEnvironmentImpl2, IClone, IXMLSerialize,
                    IPersistStream, Alias<IPersist, IPersistStream>, IDocumentVersionSupport>,
      public PersistFrame {
public:
    static constexpr CLSID kClassId = CLSID_GPEnvironment;
    static constexpr const char16_t* kClassName = u"GPEnvironment";
    static constexpr uint16_t kStreamVersion = 8;

    // IGPEnvironment. Getters give E_POINTER for a null out pointer and, on a stand-in, what the source's getter
    // gives. get_Value hands out a clone of the stored value (a model variable as itself; E_FAIL for a value that
    // cannot be cloned); get_ControlCLSID gives S_FALSE and null for no control class. Null texts are stored as
    // empty ones.
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(const OLECHAR* name) override;
    HRESULT get_DisplayName(BSTR* displayName) override;
    HRESULT put_DisplayName(const OLECHAR* displayName) override;
    HRESULT get_Category(BSTR* category) override;
    HRESULT put_Category(const OLECHAR* category) override;
    HRESULT get_Value(IGPValue** value) override;
    HRESULT putref_Value(IGPValue* value) override;
    HRESULT get_Domain(IGPDomain** domain) override;
    HRESULT putref_Domain(IGPDomain* domain) override;
    HRESULT get_DataType(IGPDataType** dataType) override;
    HRESULT putref_DataType(IGPDataType* dataType) override;
    HRESULT get_DisplayOrder(int32_t* order) override;
    HRESULT put_DisplayOrder(int32_t order) override;
    HRESULT get_ControlCLSID(IUID** control) override;
    HRESULT put_ControlCLSID(IUID* control) override;
    HRESULT get_ParameterDependencies(IEnumBSTR** names) override;
    HRESULT put_ParameterDependencies(IEnumBSTR* names) override;
    HRESULT AddDependency(const OLECHAR* name) override;
    HRESULT get_MetadataFile(BSTR* file) override;
    HRESULT put_MetadataFile(const OLECHAR* file) override;

    // IGPEnvironmentImpl. get_StoredValue gives E_FAIL on a stand-in whose source lacks IGPEnvironmentImpl.
    HRESULT get_Source(IGPEnvironment** source) override;
    HRESULT putref_Source(IGPEnvironment* source) override;
    HRESULT get_StoredValue(IGPValue** value) override;

    // IGPEnvironmentImpl2. Neither operation detaches a stand-in; put_Altered does not mark the setting changed.
    HRESULT get_Altered(VARIANT_BOOL* altered) override;
    HRESULT put_Altered(VARIANT_BOOL altered) override;

    // IClone. Assign of a stand-in takes the same source (and a display order or altered flag the stand-in holds
    // of its own); of an independent setting, what its getters give, so the value is a copy. A getter's failure
    // ends Assign with its code and nothing changed. E_INVALIDARG for an object that is no setting.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // IPersistStream
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override { return FrameLoad(stream); }
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return FrameSave(stream, clearDirty); }
    HRESULT GetSizeMax(uint64_t* size) override { return E_NOTIMPL; }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return FrameSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return FrameDeserialize(data); }

    // IDocumentVersionSupport: every document version (0 and above) knows the setting.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override { return E_NOTIMPL; }

private:
    // The frame's hooks.
    uint16_t NewestStreamVersion() const override { return kStreamVersion; }
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    const OLECHAR* XmlTypeName() const override { return kClassName; }
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    // Reads run in place (they commit only at their end); a failed read also keeps the dirty flag as it was.
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override;

    // Runs a setter: detaches from the source first, then `change`, then marks the setting changed.
    template <class F> HRESULT Update(F&& change);
    // What `setting`'s getters answer, as fields (through Current when it is of this class, so that its explicit data
    // type is seen rather than its value's).
    static HRESULT FieldsOf(IGPEnvironment* setting, EnvironmentFields* fields);
    // Copies the source's fields and lets it go (nothing when there is no source). A failure changes nothing.
    HRESULT Detach();
    // What the getters answer, as fields: the own fields, or on a stand-in the source's (the value and domain as
    // the references the source keeps, not copies).
    HRESULT Current(EnvironmentFields* fields);
    // Takes `fields` as the setting's own and stops standing in.
    void Take(EnvironmentFields fields);

    EnvironmentFields fields_;
    ComPtr<IGPEnvironment> source_;
    // A display order or altered flag put while standing in: it belongs to this setting, not to the source.
    bool ownDisplayOrder_ = false;
    bool ownAltered_ = false;
};

} // namespace tavi
