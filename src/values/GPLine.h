// GPLine and GPPolygon: ordered lists of point values, sharing PointList. A polygon is a line with its own
// identities and error code; it is neither closed automatically nor held to a minimum number of points.
//
// The points live in an object array created with the value. Points are shared, never copied: AddPoint stores the
// point it is given, get_Point hands out the stored point, and Assign appends the source's own point objects. The
// value is empty exactly when it holds no point.
//
// Text form: the points' own texts in order, joined by ";" ("0 0;10 0;10 10"); no points: the empty text.
// SetAsText splits the text at ";" (plain reading: quotes mean nothing there), empties the value and appends a new
// GPPoint for every part that reads as "x y" (GPPoint's reading); a part that does not is skipped without a
// message, and reading goes on to the end of the text. Only a failure of the splitting itself would make the
// message an error (kSplitErrorCode); the text is split in place, without a copy, so that cannot happen and the
// message handed out is never an error. Reading is linear in the text's length.
//
// Stream form: int16 version 1, the base part, int32 count, then each point as a nested object (class identifier
// and its own stream form). Load takes versions 0 and 1 and refuses (E_FAIL, the value unchanged) a negative count,
// a short stream, and an element that is no object or no point.
// XML form: "GPPointArray", an array of "GPPoint" elements (type "ArrayOfGPPoint"), when there are points. Reading
// refuses (E_FAIL, the value unchanged) an element that is no point; a document without the array holds no points.
#pragma once

#include "host/GPValue.h"
#include "host/ObjectArray.h"
#include "tavi/GPShapes.h"

#include <cstdint>
#include <vector>

namespace tavi {

// What lines and polygons share. Shape is the own interface (IGPLine or IGPPolygon); Derived supplies kClassId,
// kClassName, kDataTypeClassId and kSplitErrorCode.
template <class Derived, class Shape> class PointList : public GPValue<Derived, Shape, ValueInterfaces> {
public:
    static constexpr uint16_t kStreamVersion = 1;

    // The own interface. Indexes outside the list give E_FAIL; null out pointers and a null point E_POINTER.
    HRESULT get_PointCount(int32_t* count) override;
    HRESULT get_Point(int32_t index, IGPPoint** point) override;
    HRESULT AddPoint(IGPPoint* point) override;
    HRESULT QueryPointXY(int32_t index, double* x, double* y) override;
    HRESULT AddPointXY(double x, double y) override;

    // IGPValue
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone. Assign takes the point objects of a source with the same own interface (else E_INVALIDARG), in
    // order, stopping at the first failure, which it returns; assigning a value to itself changes nothing.
    // IsEqual: the same number of points, and each pair at the same index equal by the point's own IsEqual.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

protected:
    PointList();

private:
    // Appends a new GPPoint at (x, y) without marking the value modified.
    void AppendXY(double x, double y);
    // Marks the value modified, with the empty flag following the point count.
    void Changed();
    int32_t Count() {
        int32_t count = 0;
        points_->get_Count(&count);
        return count;
    }
    // Replaces the points with `points` (each answering IGPPoint).
    void ReplacePoints(const std::vector<ComPtr<IUnknown>>& points);

    // SetAsText past its argument checks.
    HRESULT ReadText(std::u16string_view text);

    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    ComPtr<ObjectArray> points_;
};

class GPLine final : public PointList<GPLine, IGPLine> {
public:
    static constexpr CLSID kClassId = CLSID_GPLine;
    static constexpr const char16_t* kClassName = u"GPLine";
    static constexpr CLSID kDataTypeClassId = CLSID_GPLineType;
    static constexpr int32_t kSplitErrorCode = 833;
};

class GPPolygon final : public PointList<GPPolygon, IGPPolygon> {
public:
    static constexpr CLSID kClassId = CLSID_GPPolygon;
    static constexpr const char16_t* kClassName = u"GPPolygon";
    static constexpr CLSID kDataTypeClassId = CLSID_GPPolygonType;
    static constexpr int32_t kSplitErrorCode = 836;
};

extern template class PointList<GPLine, IGPLine>;
extern template class PointList<GPPolygon, IGPPolygon>;

} // namespace tavi
