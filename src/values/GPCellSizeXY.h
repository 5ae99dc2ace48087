// GPCellSizeXY: the cell size of a raster with separate X and Y sizes, typed as one or two numbers or read from an
// existing raster.
//
// Text form: X and Y, each as the variant conversion writes a double in the user's locale, joined by one blank
// ("10 20"); an empty value is the empty text. SetAsText empties the value first, then reads:
//   "" (or null)       the value stays empty, no error (so the text of an empty value reads back);
//   a path to a raster the raster's cell sizes, and the value holds on to the raster (IGPCellSizeXY2::get_Raster);
//   "10"               X and Y 10: one number is a square cell;
//   "10 20"            X 10 and Y 20 (a second token that is no number leaves Y equal to X);
//   anything else      an error message with code 835; the value stays empty and the call succeeds.
// Paths are tried first, through the thread's utility object, so a raster named by a number text wins.
//
// The raster is kept until the value is emptied, assigned, read from a text, stream or XML form, or released; the
// sizes alone may be changed with put_X and put_Y without letting it go. Assign takes the source's raster with its
// sizes, so a clone keeps it too. The stream and XML forms hold only the two numbers.
//
// Stream form: int16 version 1, the base part, double X, double Y; Load takes versions 0 and 1.
// XML form: type "GPCellSizeXY" in c_xml_ns_tavi, the base part, then doubles "X" and "Y" when not empty; reading a
// non-empty value needs both (E_FAIL otherwise).
// Documents before older:5 do not know the value: it is replaced by the host's older cell size object (CellSize)
// carrying X.
#pragma once

#include "host/DocumentVersion.h"
#include "host/GPValue.h"
#include "tavi/GPCellSize.h"

#include <string_view>

namespace tavi {

class GPCellSizeXY final
    : public GPValue<GPCellSizeXY, ValueInterfaces, IGPCellSizeXY, IGPCellSizeXY2, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPCellSizeXY;
    static constexpr const char16_t* kClassName = u"GPCellSizeXY";
    static constexpr uint16_t kStreamVersion = 1;
    static constexpr int32_t kBadTextCode = 835;
    static constexpr int32_t kFirstDocumentVersion = docversion::Older(5);

    GPCellSizeXY() : GPValue(kClassId, CLSID_GPCellSizeXYType) {}

    // IGPCellSizeXY
    HRESULT get_X(double* x) override;
    HRESULT put_X(double x) override;
    HRESULT get_Y(double* y) override;
    HRESULT put_Y(double y) override;

    // IGPCellSizeXY2
    HRESULT get_Raster(IUnknown** raster) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the source or other must answer IGPCellSizeXY (Assign: else E_INVALIDARG; IsEqual: else false).
    // Sizes compare exactly; the rasters are not compared.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IDocumentVersionSupport
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    // A new CellSize object holding X.
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

private:
    // Takes the sizes of the raster `text` names; false when it names none.
    bool ReadRaster(std::u16string_view text);
    // Reads one or two numbers; false when the first is no number.
    bool ReadNumbers(std::u16string_view text);

    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    String XmlTypeNamespace() const override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    double x_ = 0.0;
    double y_ = 0.0;
    ComPtr<IUnknown> raster_;
};

} // namespace tavi
