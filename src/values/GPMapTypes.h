// The data types of the map, layout and report values: GPMapType, GPLayoutType and GPReportType.
//
// ValidateValue (after unpacking variables and parameters) accepts a value of the type's own kind, and a data element
// whose catalog path ends in one of the kind's file extensions, in any letter case (the file's own extension: a path
// that only contains one, such as "a.mapx.bak" or "roads.rptxfile", names another kind of file). Anything else is
// handed to the layer data type (GPLayerType), whose message is returned when it finds no error; when that type
// cannot be made, or refuses, the base's value error message is returned. A given domain decides an accepted value.
// ValidateDataType accepts a type of the same kind.
//
// IGxFilterInfo gives the browse filter of the kind's files: a layout "tavi_browseDialogFilters_composite_maps_import",
// a report "tavi_browseDialogFilters_local_reports_rptx"; a map has none of its own (no array, S_OK).
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPMap.h"

#include <span>
#include <string_view>

namespace tavi {

// What the three data types share.
class DocumentItemTypeCore {
public:
    // The control that edits values of the three types.
    static constexpr CLSID kControlClassId{
        0x330553E6, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};

    // True when `path` ends in one of `extensions` (each with its point), in any letter case.
    static bool EndsWithExtension(std::u16string_view path, std::span<const std::u16string_view> extensions);

protected:
    static HRESULT CheckValue(GPDataTypeCore& type, std::span<const std::u16string_view> extensions, IGPValue* value,
                              IGPDomain* domain, IGPMessage** message);
    // The browse filter `filter` in a new array of one string value; none (S_OK) for an empty filter.
    static HRESULT HandOutFilter(std::u16string_view filter, IArray** filters);
};

template <class Derived, class Marker, class Value>
class DocumentItemType : public GPDataType<Derived, Marker, IGPDataType, IClone, IGxFilterInfo>,
                         protected DocumentItemTypeCore {
public:
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override {
        return CheckValue(*this, Derived::kExtensions, value, domain, message);
    }
    // IGxFilterInfo
    HRESULT get_OpenGxObjectFilters(IArray** filters) override {
        return HandOutFilter(Derived::kBrowseFilter, filters);
    }

protected:
    DocumentItemType()
        : GPDataType<Derived, Marker, IGPDataType, IClone, IGxFilterInfo>({Derived::kName, Derived::kDisplayNameId,
                                                                           Derived::kClassId, Derived::kValueClassId,
                                                                           kControlClassId, Marker::iid, Value::iid}) {}
};

class GPMapType final : public DocumentItemType<GPMapType, IGPMapType, IGPMap> {
public:
    static constexpr CLSID kClassId = CLSID_GPMapType;
    static constexpr CLSID kValueClassId = CLSID_GPMap;
    static constexpr const char16_t* kClassName = u"GPMapType";
    static constexpr const char16_t* kName = u"GPMap";
    static constexpr int32_t kDisplayNameId = 4661;
    static constexpr std::u16string_view kBrowseFilter = u"";
    static constexpr std::u16string_view kExtensions[] = {u".msd", u".wobx", u".mapx"};
};

class GPLayoutType final : public DocumentItemType<GPLayoutType, IGPLayoutType, IGPLayout> {
public:
    static constexpr CLSID kClassId = CLSID_GPLayoutType;
    static constexpr CLSID kValueClassId = CLSID_GPLayout;
    static constexpr const char16_t* kClassName = u"GPLayoutType";
    static constexpr const char16_t* kName = u"GPLayout";
    static constexpr int32_t kDisplayNameId = 4674;
    static constexpr std::u16string_view kBrowseFilter = u"tavi_browseDialogFilters_composite_maps_import";
    static constexpr std::u16string_view kExtensions[] = {u".pagx", u".wobx"};
};

class GPReportType final : public DocumentItemType<GPReportType, IGPReportType, IGPReport> {
public:
    static constexpr CLSID kClassId = CLSID_GPReportType;
    static constexpr CLSID kValueClassId = CLSID_GPReport;
    static constexpr const char16_t* kClassName = u"GPReportType";
    static constexpr const char16_t* kName = u"GPReport";
    static constexpr int32_t kDisplayNameId = 4837;
    static constexpr std::u16string_view kBrowseFilter = u"tavi_browseDialogFilters_local_reports_rptx";
    static constexpr std::u16string_view kExtensions[] = {u".rptx"};
};

} // namespace tavi
