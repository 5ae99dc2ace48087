// The values that name an item of a project document: GPMap (a map or basemap), GPLayout (a page layout) and
// GPReport (a report). Each keeps the item as the user typed it (the name string: a name, or a path with the item
// name), the document file's path and a setting; a map also keeps its map type and two further settings.
//
// The text form is the name string, and the value is empty exactly when the name string is. SetAsText empties the
// value and asks the utility object (IGPProjectUtilities) for the item the text names; when it finds one this value
// takes that item's content (Assign, whose result is returned), otherwise only the name string is kept and the call
// answers S_FALSE with an empty message, so that a tool can still report the name it could not find.
//
// Stream form: version 1, written for documents of the newer application line only (older documents do not know
// these values: nothing is written and Save succeeds); the base part; the name string and the path as foundation
// strings; the setting (32-bit); a map then writes its first further setting and its map type (32-bit each). The
// second further setting of a map is not stored. Load refuses versions above 1.
// XML form: the class name as type name; when not empty, the string "Namestring", and for a map "MapType", "Basemap"
// or "Map" (read without regard to case: any other text is a map). The path and the settings are not in the XML form.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPMap.h"

#include <type_traits>

namespace tavi {

// What the three values share: the fields, the text form, the stream and XML forms, Assign and IsEqual through the
// value's own interface `Own`, the model variables of the name string, and the document versions that know them.
// The map's extra fields live here too (used only when `Own` is IGPMap), so that every form is written once.
template <class Derived, class Own>
class DocumentItemValue
    : public GPValue<Derived, ValueInterfacesDescribed, Own, IGPValueExpression, IDocumentVersionSupport> {
    using Base = GPValue<Derived, ValueInterfacesDescribed, Own, IGPValueExpression, IDocumentVersionSupport>;

public:
    static constexpr bool kIsMap = std::is_same_v<Own, IGPMap>;
    static constexpr uint16_t kStreamVersion = 1;

    // The own interface's shared part.
    HRESULT get_Path(BSTR* path) override { return HandOutText(path_, path); }
    HRESULT put_Path(const OLECHAR* path) override {
        return guard([&] {
            path_ = path ? String(path) : String();
            Touch();
        });
    }
    HRESULT get_NameString(BSTR* text) override { return HandOutText(nameString_, text); }
    HRESULT put_NameString(const OLECHAR* text) override {
        return guard([&] {
            nameString_ = text ? String(text) : String();
            Touch();
        });
    }
    HRESULT get_Setting(int32_t* setting) override { return HandOutNumber(setting_, setting); }
    HRESULT put_Setting(int32_t setting) override {
        setting_ = setting;
        Touch();
        return S_OK;
    }

    // IGPValue
    HRESULT IsEmpty(VARIANT_BOOL* empty) override {
        if (!empty)
            return E_POINTER;
        *empty = nameString_.empty() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    // Clears every field (the map type back to a map) and sets the empty flag.
    HRESULT Empty() override {
        nameString_.clear();
        path_.clear();
        setting_ = setting2_ = setting3_ = 0;
        mapType_ = taviMapTypeMap;
        return this->BaseEmpty();
    }
    HRESULT GetAsText(BSTR* text) override { return HandOutText(nameString_, text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IGPDescribe: "NameString", "Path" and for a map "Type" ("Basemap" or "Map"), compared without regard to case;
    // then the base's names.
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override;

    // IClone: every field, the second further setting of a map included, read through the own interface.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPValueExpression: the name string may name model variables ("%name%"). Resolving with a variable manager
    // makes a new value of this class from the name string with the variables replaced (SetAsText, so the item is
    // looked up again); without variables, or without a manager, a clone. The resolved flag is not stored.
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override {
        if (!resolved)
            return E_POINTER;
        *resolved = resolved_;
        return S_OK;
    }
    HRESULT put_Resolved(VARIANT_BOOL resolved) override {
        resolved_ = resolved ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT ResolveValue(IGPVariableManager* manager, IGPValue** resolved) override;
    HRESULT GetVariableNames(IUnknown** names) override;
    HRESULT get_Variables(IArray** variables) override { return ClearOut(variables); }
    // Keeps no reference; the value counts as resolved.
    HRESULT putref_Variables(IArray*) override {
        resolved_ = VARIANT_TRUE;
        return S_OK;
    }
    // With a manager, the name string with its variables replaced; without one, the name string.
    HRESULT GetAsText(IGPVariableManager* manager, BSTR* text) override;

    // IDocumentVersionSupport: documents of the newer application line know these values; older ones get a plain
    // string holding the name string.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

protected:
    DocumentItemValue() : Base(Derived::kClassId, Derived::kTypeClassId) {}

    // Marks a change: dirty, and empty exactly when the name string is, so that the base part of the stored forms
    // agrees with IsEmpty.
    void Touch() {
        this->SetModified();
        this->SetEmptyFlag(nameString_.empty());
    }
    static HRESULT HandOutText(const String& field, BSTR* out) {
        if (!out)
            return E_POINTER;
        *out = MakeBSTR(field);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT HandOutNumber(int32_t field, int32_t* out) {
        if (!out)
            return E_POINTER;
        *out = field;
        return S_OK;
    }

    String nameString_;
    String path_;
    int32_t setting_ = 0;
    // The map's extras.
    int32_t setting2_ = 0;
    int32_t setting3_ = 0;
    int32_t mapType_ = taviMapTypeMap;

private:
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // Asks the utility object for the item `text` names; null when it finds none or cannot be asked.
    ComPtr<Own> FindItem(const OLECHAR* text);

    VARIANT_BOOL resolved_ = VARIANT_FALSE;
};

class GPMap final : public DocumentItemValue<GPMap, IGPMap> {
public:
    static constexpr CLSID kClassId = CLSID_GPMap;
    static constexpr CLSID kTypeClassId = CLSID_GPMapType;
    static constexpr const char16_t* kClassName = u"GPMap";

    // IGPMap's extras. Any map type number is kept; only taviMapTypeBasemap means a basemap.
    HRESULT get_MapType(int32_t* mapType) override { return HandOutNumber(mapType_, mapType); }
    HRESULT put_MapType(int32_t mapType) override {
        mapType_ = mapType;
        Touch();
        return S_OK;
    }
    HRESULT get_Setting2(int32_t* setting) override { return HandOutNumber(setting2_, setting); }
    HRESULT put_Setting2(int32_t setting) override {
        setting2_ = setting;
        Touch();
        return S_OK;
    }
    HRESULT get_Setting3(int32_t* setting) override { return HandOutNumber(setting3_, setting); }
    HRESULT put_Setting3(int32_t setting) override {
        setting3_ = setting;
        Touch();
        return S_OK;
    }
};

class GPLayout final : public DocumentItemValue<GPLayout, IGPLayout> {
public:
    static constexpr CLSID kClassId = CLSID_GPLayout;
    static constexpr CLSID kTypeClassId = CLSID_GPLayoutType;
    static constexpr const char16_t* kClassName = u"GPLayout";
};

class GPReport final : public DocumentItemValue<GPReport, IGPReport> {
public:
    static constexpr CLSID kClassId = CLSID_GPReport;
    static constexpr CLSID kTypeClassId = CLSID_GPReportType;
    static constexpr const char16_t* kClassName = u"GPReport";
};

extern template class DocumentItemValue<GPMap, IGPMap>;
extern template class DocumentItemValue<GPLayout, IGPLayout>;
extern template class DocumentItemValue<GPReport, IGPReport>;

} // namespace tavi
