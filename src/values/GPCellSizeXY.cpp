// GPCellSizeXY: sizes, text, the raster a value was read from, stream and XML forms, older documents.
#include "values/GPCellSizeXY.h"

#include "host/CreateInstance.h"
#include "host/StreamIO.h"
#include "host/TextTokenizer.h"
#include "host/XmlNamespace.h"
#include "tavi/DataAccess.h"
#include "tavi/GPUtilities.h"

namespace tavi {

namespace {
constexpr const char16_t* kXmlX = u"X";
constexpr const char16_t* kXmlY = u"Y";
} // namespace

// ---- sizes and raster ----

HRESULT GPCellSizeXY::get_X(double* x) {
    if (!x)
        return E_POINTER;
    *x = x_;
    return S_OK;
}

HRESULT GPCellSizeXY::put_X(double x) {
    x_ = x;
    SetModified();
    return S_OK;
}

HRESULT GPCellSizeXY::get_Y(double* y) {
    if (!y)
        return E_POINTER;
    *y = y_;
    return S_OK;
}

HRESULT GPCellSizeXY::put_Y(double y) {
    y_ = y;
    SetModified();
    return S_OK;
}

HRESULT GPCellSizeXY::get_Raster(IUnknown** raster) {
    return raster_.CopyTo(raster);
}

// ---- text ----

HRESULT GPCellSizeXY::Empty() {
    x_ = 0.0;
    y_ = 0.0;
    raster_.Reset();
    return BaseEmpty();
}

HRESULT GPCellSizeXY::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String joined;
        if (!IsEmptyFlag()) {
            String y;
            if (HRESULT hr = TextTokenizer::FormatDouble(x_, joined); FAILED(hr))
                return hr;
            if (HRESULT hr = TextTokenizer::FormatDouble(y_, y); FAILED(hr))
                return hr;
            joined += u' ';
            joined += y;
        }
        *text = MakeBSTR(joined);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPCellSizeXY::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, kBadTextCode, [&](std::u16string_view read) {
        Empty();
        return ReadRaster(read) || ReadNumbers(read);
    });
}

bool GPCellSizeXY::ReadRaster(std::u16string_view text) {
    ComPtr<IGPUtilities> utilities;
    if (FAILED(AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid,
                                utilities.OutVoid())) ||
        !utilities)
        return false;
    ComPtr<IDataElement> element;
    if (FAILED(utilities->OpenDataElementFromText(String(text).c_str(), element.Out())))
        return false;
    auto raster = QueryAs<IRasterDataset>(element.Get());
    double x = 0;
    double y = 0;
    if (!raster || FAILED(raster->get_CellSizeX(&x)) || FAILED(raster->get_CellSizeY(&y)))
        return false;
    x_ = x;
    y_ = y;
    raster_ = QueryAs<IUnknown>(element.Get());
    SetModified();
    return true;
}

bool GPCellSizeXY::ReadNumbers(std::u16string_view text) {
    TextTokenizer tokenizer(text, u" ");
    double x = 0;
    if (FAILED(tokenizer.NextDouble(x)))
        return false;
    double y = x; // one number is a square cell
    if (double second = 0; SUCCEEDED(tokenizer.NextDouble(second)))
        y = second;
    x_ = x;
    y_ = y;
    SetModified();
    return true;
}

// ---- IClone ----

HRESULT GPCellSizeXY::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPCellSizeXY>(source);
        double x = 0;
        double y = 0;
        if (!other || FAILED(other->get_X(&x)) || FAILED(other->get_Y(&y)))
            return E_INVALIDARG;
        ComPtr<IUnknown> raster;
        if (auto withRaster = QueryAs<IGPCellSizeXY2>(source))
            withRaster->get_Raster(raster.Out());
        x_ = x;
        y_ = y;
        raster_ = raster;
        return BaseAssign(source);
    });
}

HRESULT GPCellSizeXY::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto cellSize = QueryAs<IGPCellSizeXY>(other);
        double x = 0;
        double y = 0;
        if (!cellSize || FAILED(cellSize->get_X(&x)) || FAILED(cellSize->get_Y(&y)) || x != x_ || y != y_)
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// ---- older documents ----

HRESULT GPCellSizeXY::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPCellSizeXY::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<ICellSize> older;
        if (HRESULT hr =
                AfCreateInstance(CLSID_CellSize, nullptr, CLSCTX_INPROC_SERVER, ICellSize::iid, older.OutVoid());
            FAILED(hr))
            return hr;
        older->put_Size(x_);
        *replacement = QueryAs<IUnknown>(older.Get()).Detach();
        return S_OK;
    });
}

// ---- stream and XML forms ----

HRESULT GPCellSizeXY::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(AfStreamWrite(stream, x_)) || FAILED(AfStreamWrite(stream, y_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPCellSizeXY::LoadContent(IStream* stream, uint16_t) {
    double x = 0;
    double y = 0;
    if (FAILED(AfStreamRead(stream, &x)) || FAILED(AfStreamRead(stream, &y)))
        return E_FAIL;
    x_ = x;
    y_ = y;
    raster_.Reset(); // the form holds no raster, and the one held no longer matches the sizes read
    return S_OK;
}

String GPCellSizeXY::XmlTypeNamespace() const {
    return c_xml_ns_tavi;
}

HRESULT GPCellSizeXY::SerializeContent(IXMLSerializeData* data) {
    if (FAILED(data->AddDouble(kXmlX, x_)) || FAILED(data->AddDouble(kXmlY, y_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPCellSizeXY::DeserializeContent(IXMLSerializeData* data) {
    int32_t xIndex = -1;
    int32_t yIndex = -1;
    double x = 0;
    double y = 0;
    if (FAILED(data->Find(kXmlX, &xIndex)) || xIndex < 0 || FAILED(data->GetDouble(xIndex, &x)) ||
        FAILED(data->Find(kXmlY, &yIndex)) || yIndex < 0 || FAILED(data->GetDouble(yIndex, &y)))
        return E_FAIL;
    x_ = x;
    y_ = y;
    raster_.Reset();
    return S_OK;
}

} // namespace tavi
