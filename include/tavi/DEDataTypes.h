// The data element data types: DEType (any data element: a folder, a file, a workspace, a dataset), DEDatasetType (a
// dataset: a table, a feature class, a raster) and DEGeoDatasetType (a dataset with a location: a feature class or a
// raster). Their values are the data elements themselves, opened from a catalog path.
//
// Each type answers its own marker below. A type is acceptable where a wider one is asked: DEType takes any of the
// three markers, DEDatasetType its own and DEGeoDatasetType's, DEGeoDatasetType only its own (which other types that
// stand for geographic data, such as layer types, may answer too).
//
// The markers' identifiers are name-based (version 5) identifiers of "taviGeoprocessing.<interface name>" in the
// namespace {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, as those of tavi/GPExpressions.h.
#pragma once

#include "tavi/GPValue.h"

struct IDEType : IUnknown {
    static constexpr IID iid{0x9430FAB3, 0x8825, 0x5A55, {0x87, 0x7E, 0xA7, 0x5B, 0x03, 0x65, 0x81, 0x6C}};
};
struct IDEDatasetType : IUnknown {
    static constexpr IID iid{0xB07A2A6B, 0x70B4, 0x5FDD, {0xB9, 0x88, 0x67, 0xA4, 0xBF, 0x60, 0x1E, 0x3B}};
};
struct IDEGeoDatasetType : IUnknown {
    static constexpr IID iid{0x4858CE16, 0xF749, 0x5CA2, {0xAE, 0x8A, 0xC2, 0xC7, 0x98, 0x85, 0x0B, 0x4B}};
};

// Markers of the data types of tables and of feature classes, answered by the types whose values are tables or
// feature classes of records (the record set and feature set types). The first group of each identifier is the
// documented one, the rest name-based as above.
struct IDETableType : IUnknown {
    static constexpr IID iid{0x694B287C, 0xE87C, 0x565E, {0xB9, 0x18, 0x78, 0x43, 0xD4, 0xE6, 0xCE, 0x17}};
};
struct IDEFeatureClassType : IUnknown {
    static constexpr IID iid{0x47A096BB, 0x8635, 0x51E2, {0x9B, 0xC2, 0x24, 0x95, 0x53, 0xAC, 0x78, 0x32}};
};

constexpr CLSID CLSID_DEType{0x7949875A, 0x9A3F, 0x4FB5, {0xB4, 0xF3, 0x38, 0x87, 0x39, 0x15, 0x34, 0x22}};
constexpr CLSID CLSID_DEDatasetType{0xF01AFA4E, 0x875B, 0x4E31, {0xAE, 0xBF, 0x18, 0x4F, 0x92, 0x47, 0x24, 0xBF}};
constexpr CLSID CLSID_DEGeoDatasetType{0x7F964ACD, 0x0FEE, 0x4A5C, {0x88, 0x2D, 0x35, 0x91, 0xFE, 0x2A, 0xD7, 0x80}};
