// Layers as other objects see them: a named layer over a data element, the marker of feature layers, and the host's
// holder of a layer (a value that stands for a layer of a map). Domains recognise layers through these.
#pragma once

#include "tavi/DataAccess.h"

struct IGPLayer : IUnknown {
    static constexpr IID iid{0x78069D3A, 0x8B5B, 0x53E4, {0x8B, 0x7D, 0xDB, 0x70, 0x89, 0xE3, 0xC9, 0xBC}}; // assigned
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT get_DisplayName(BSTR* name) = 0;
    virtual HRESULT put_DisplayName(const OLECHAR* name) = 0;
    virtual HRESULT putref_DataElement(IDataElement* element) = 0;
    // The data element the layer draws (null, S_OK, when it has none).
    virtual HRESULT get_DataElement(IDataElement** element) = 0;
};

// Answered by layers that draw features (and by table views of them).
struct IGPFeatureLayer : IUnknown {
    static constexpr IID iid{0x067B4F1A, 0x9064, 0x4C95, {0xAA, 0xEA, 0x61, 0x59, 0x86, 0x83, 0xC1, 0xDF}};
};

// A value that holds a layer of a map, and the data element the layer is made from while it holds none.
struct IGPLayerHolder : IUnknown {
    static constexpr IID iid{0x991993E4, 0x7DFD, 0x4E23, {0xBC, 0xA0, 0x68, 0x9B, 0x17, 0x4E, 0x30, 0x30}};
    // The held layer (null, S_OK, when none).
    virtual HRESULT get_Layer(IGPLayer** layer) = 0;
    virtual HRESULT get_DataElement(IDataElement** element) = 0;
};
