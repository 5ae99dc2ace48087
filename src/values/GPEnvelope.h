// The envelope and extent values: GPEnvelope, a rectangle held in a host envelope, and GPExtent, the extent setting
// a tool accepts (a keyword, or a rectangle given by numbers or taken from data or the display).
//
// GPEnvelope text: the four coordinates XMin YMin XMax YMax, each written as GPDouble writes a number (the user
// locale's 15-digit text where it reads back exactly, else the shortest text that does) and joined by single blanks; an
// empty envelope is the empty text. Reading takes four numbers separated by blanks (further tokens ignored), or else a
// path naming data with an extent (that extent, in the data's coordinate system); anything else, such as fewer numbers,
// a token that is no number or a minimum above its maximum, is the error 829 and the rectangle is kept.
//
// GPExtent text: "DEFAULT", "MAXOF", "MINOF", or a rectangle as GPEnvelope writes it followed, when the rectangle
// has a coordinate system, by a blank and the text of a GPSpatialReference value holding it. Reading tries in turn:
//   the empty text         empties the value (type DEFAULT);
//   the text naming data   the extent of that data (a feature class or raster path; data without one leaves the
//                          value empty);
//   a keyword              DEFAULT, MAXOF, MINOF in any case; DISPLAY takes the utility object's display extent
//                          (type DEFAULT when there is none);
//   [VALUE] x y x y [cs]   a rectangle; without a coordinate system text it is in the utility object's output
//                          coordinate system (when one is set); with one, in that system;
//   [VALUE] data [csdata]  the extent of the data, projected into the coordinate system of `csdata` (else into the
//                          output coordinate system when one is set).
// Text that none of these read gives the invalid-value message (701) naming the text, S_OK, and an empty value.
//
// Stream forms: int16 version 1, the base part, then GPEnvelope: the envelope object; GPExtent: int32 type and the
// envelope object (none for types other than 3). XML forms: GPEnvelope "Extent" (the envelope object); GPExtent
// "ExtentType" ("DEFAULT", "MAXOF", "MINOF" or "VALUE") and for "VALUE" "Extent"; both only when not empty.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPExtent.h"
#include "tavi/GPMessage.h"
#include "tavi/GPUtilities.h"

#include <string_view>

namespace tavi {

class GPEnvelope final : public GPValue<GPEnvelope, IGPEnvelope, IGPExtent, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPEnvelope;
    static constexpr const char16_t* kClassName = u"GPEnvelope";
    static constexpr uint16_t kStreamVersion = 1;
    // The message code of a text that is not four numbers.
    static constexpr int32_t kBadTextCode = 829;
    GPEnvelope();

    // IGPEnvelope. The coordinates are the inner envelope's own (not-a-number while it is empty); setters answer
    // the envelope's result and mark the value modified only when it succeeds.
    HRESULT get_XMin(double* value) override;
    HRESULT put_XMin(double value) override;
    HRESULT get_YMin(double* value) override;
    HRESULT put_YMin(double value) override;
    HRESULT get_XMax(double* value) override;
    HRESULT put_XMax(double value) override;
    HRESULT get_YMax(double* value) override;
    HRESULT put_YMax(double value) override;
    HRESULT get_Envelope(IEnvelope** envelope) override;
    HRESULT putref_Envelope(IEnvelope* envelope) override;
    HRESULT PutCoords(double xmin, double ymin, double xmax, double ymax) override;

    // IGPExtent. put_Extent empties the value and lets a GPExtent do the work; the rectangle it yields becomes the
    // inner envelope. get_Extent answers type 3 with the inner envelope.
    HRESULT put_Extent(int32_t type, VARIANT source, VARIANT coordinateSystemSource) override;
    HRESULT get_Extent(int32_t* type, IEnvelope** envelope) override;

    // IGPValue. The value is empty exactly when the inner envelope is.
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the source must answer IGPEnvelope (else E_INVALIDARG); a copy of its envelope is taken. Equal when
    // both envelopes are missing or equal by IEnvelope::IsEqual (coordinates only), and the bases agree.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    template <class Set> HRESULT Forward(Set set);
    bool TakeExtentOfData(std::u16string_view text);

    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    String XmlTypeNamespace() const override;

    ComPtr<IEnvelope> envelope_;
};

class GPExtent final : public GPValue<GPExtent, IGPExtent, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPExtent;
    static constexpr const char16_t* kClassName = u"GPExtent";
    static constexpr uint16_t kStreamVersion = 1;
    GPExtent() : GPValue(kClassId, CLSID_GPExtentType) {}

    // IGPExtent. put_Extent takes types 0 to 3 (E_INVALIDARG for any other). Type 3 needs a source object (else
    // E_FAIL): an envelope or envelope value (copied), or data whose extent the utility object gives (a data
    // element, a value or variable naming data, or a catalog path text); data without an extent leaves the value
    // empty with type 0 and answers S_FALSE. A non-empty coordinate system source (a spatial reference, data that
    // has one, or a coordinate system text such as "EPSG:3857") projects the rectangle into that system; a failed
    // projection is E_FAIL with the value empty.
    HRESULT put_Extent(int32_t type, VARIANT source, VARIANT coordinateSystemSource) override;
    HRESULT get_Extent(int32_t* type, IEnvelope** envelope) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the source must answer IGPExtent (else E_INVALIDARG). Equal when the types agree, the envelopes are
    // both missing or equal by IEnvelope::IsEqual, and the bases agree.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // SetAsText past its argument checks; `message` is the message handed out.
    HRESULT ReadText(std::u16string_view text, IGPMessage** message);
    bool ReadKeyword(std::u16string_view token);
    bool ReadRectangleOrData(std::u16string_view text);
    HRESULT EnvelopeOfSource(const VARIANT& source, ComPtr<IEnvelope>& envelope);
    ComPtr<ISpatialReference> CoordinateSystemOf(const VARIANT& source);
    ComPtr<ISpatialReference> CoordinateSystemFromText(std::u16string_view text);
    IGPUtilities* Utilities();
    IGPValueResolver* Resolver();

    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    String XmlTypeNamespace() const override;

    int32_t type_ = 0;
    ComPtr<IEnvelope> envelope_;
    // Host services, made on first need.
    ComPtr<IGPValueResolver> resolver_;
    ComPtr<IGPUtilities> utilities_;
};

} // namespace tavi
