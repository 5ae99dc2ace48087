// The cell size value: the X and Y sizes of a raster's cells, typed as numbers or taken from a raster; its data
// type marker; and the host's older cell size object, which documents written before the value existed hold in its
// place.
//
// Identifiers marked "assigned" are name-based (version 5) identifiers of "taviGeoprocessing.<name>" in the namespace
// of the library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}.
#pragma once

#include "tavi/GPValue.h"

// The two cell sizes. Getters give E_POINTER for null; setters make the value non-empty.
struct IGPCellSizeXY : IUnknown {
    static constexpr IID iid{0xA177E2EC, 0xB7E2, 0x45F6, {0xAC, 0xC1, 0x55, 0x8C, 0x91, 0x04, 0x94, 0x17}};
    virtual HRESULT get_X(double* x) = 0;
    virtual HRESULT put_X(double x) = 0;
    virtual HRESULT get_Y(double* y) = 0;
    virtual HRESULT put_Y(double y) = 0;
};

// The raster the sizes were read from.
struct IGPCellSizeXY2 : IUnknown {
    static constexpr IID iid{0xF0EFE913, 0x6497, 0x5839, {0xA7, 0x16, 0x57, 0x13, 0xF0, 0xA9, 0x55, 0x8E}}; // assigned
    // A new reference to the held raster (its data element, answering IRasterDataset); S_OK with null when the
    // sizes did not come from a raster.
    virtual HRESULT get_Raster(IUnknown** raster) = 0;
};

// Data type marker.
struct IGPCellSizeXYType : IUnknown {
    static constexpr IID iid{0x6825723C, 0xA22E, 0x5E54, {0xBF, 0x8D, 0x1E, 0xE2, 0xC8, 0x05, 0x78, 0x18}}; // assigned
};

// The host's older cell size object: one size, used for both directions. Older documents store a cell size value
// as this object carrying the X size.
struct ICellSize : IUnknown {
    static constexpr IID iid{0x52224A7E, 0xB100, 0x5484, {0xBA, 0xD9, 0xD8, 0x14, 0xFF, 0xA6, 0xF9, 0xD5}}; // assigned
    virtual HRESULT get_Size(double* size) = 0; // E_POINTER for null
    virtual HRESULT put_Size(double size) = 0;
};

// Classes.
constexpr CLSID CLSID_GPCellSizeXY{0x4EB9896A, 0x27B8, 0x4CC2, {0xA0, 0xC2, 0x55, 0xE4, 0x0D, 0x2E, 0x92, 0x8C}};
constexpr CLSID CLSID_GPCellSizeXYType{0x63DC53EE, 0xFE9F, 0x44AA, {0x98, 0x02, 0xCD, 0x4B, 0x99, 0x38, 0x0B, 0x5B}};
// assigned
constexpr CLSID CLSID_CellSize{0xB0696845, 0xDE93, 0x5660, {0xAF, 0xE2, 0xD6, 0x9D, 0xB8, 0xF6, 0xB3, 0x75}};
