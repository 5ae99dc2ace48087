// GPLine and GPPolygon: the point list, its ";" text, stream and XML forms.
#include "values/GPLine.h"

#include "host/StreamIO.h"
#include "values/GPPoint.h"

#include <algorithm>
#include <new>

namespace tavi {

namespace {

// Point lists in streams are read element by element; this bounds what a corrupt count can make us reserve.
constexpr int32_t kMaxReserve = 4096;

} // namespace

template <class Derived, class Shape>
PointList<Derived, Shape>::PointList()
    : GPValue<Derived, Shape, ValueInterfaces>(Derived::kClassId, Derived::kDataTypeClassId),
      points_(MakeObject<ObjectArray>()) {}

template <class Derived, class Shape> void PointList<Derived, Shape>::AppendXY(double x, double y) {
    auto point = MakeObject<GPPoint>();
    point->PutXY(x, y);
    if (FAILED(points_->Add(static_cast<IGPPoint*>(point.Get()))))
        throw std::bad_alloc(); // the array's only failure
}

template <class Derived, class Shape> void PointList<Derived, Shape>::Changed() {
    this->SetModified();
    this->SetEmptyFlag(Count() == 0);
}

template <class Derived, class Shape>
void PointList<Derived, Shape>::ReplacePoints(const std::vector<ComPtr<IUnknown>>& points) {
    points_->RemoveAll();
    for (const auto& point : points)
        if (FAILED(points_->Add(point.Get())))
            throw std::bad_alloc();
}

// ---- the own interface ----

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::get_PointCount(int32_t* count) {
    return points_->get_Count(count);
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::get_Point(int32_t index, IGPPoint** point) {
    if (HRESULT hr = ClearOut(point); FAILED(hr))
        return hr;
    ComPtr<IUnknown> element;
    if (HRESULT hr = points_->get_Element(index, element.Out()); FAILED(hr))
        return hr;
    return element->QueryInterface(IGPPoint::iid, reinterpret_cast<void**>(point));
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::AddPoint(IGPPoint* point) {
    if (!point)
        return E_POINTER;
    if (HRESULT hr = points_->Add(point); FAILED(hr))
        return hr;
    Changed();
    return S_OK;
}

template <class Derived, class Shape>
HRESULT PointList<Derived, Shape>::QueryPointXY(int32_t index, double* x, double* y) {
    if (!x || !y)
        return E_POINTER;
    ComPtr<IGPPoint> point;
    if (HRESULT hr = get_Point(index, point.Out()); FAILED(hr))
        return hr;
    if (HRESULT hr = point->get_X(x); FAILED(hr))
        return hr;
    return point->get_Y(y);
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::AddPointXY(double x, double y) {
    return guard([&] {
        AppendXY(x, y);
        Changed();
    });
}

// ---- IGPValue ----

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = Count() == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::Empty() {
    points_->RemoveAll();
    return this->BaseEmpty();
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String joined;
        const int32_t count = Count();
        for (int32_t index = 0; index < count; ++index) {
            ComPtr<IUnknown> element;
            BStr pointText;
            points_->get_Element(index, element.Out());
            auto value = QueryAs<IGPValue>(element.Get());
            if (!value)
                return E_FAIL;
            if (HRESULT hr = value->GetAsText(pointText.Out()); FAILED(hr))
                return hr;
            if (index > 0)
                joined.push_back(u';');
            joined.append(pointText.view());
        }
        *text = MakeBSTR(joined);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

template <class Derived, class Shape>
HRESULT PointList<Derived, Shape>::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(this->NewTextMessage(made.Out())))
            return E_FAIL;
        HRESULT hr = ReadText(text ? std::u16string_view(text) : std::u16string_view());
        if (SUCCEEDED(hr))
            *message = made.Detach();
        return hr;
    });
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::ReadText(std::u16string_view text) {
    points_->RemoveAll();
    CoordinateReader reader;
    double x = 0.0;
    double y = 0.0;
    // Every part is read to the end of the text: a part that is blank or not "x y" is skipped, and the parts
    // after it still count.
    for (size_t at = 0; at < text.size();)
        if (reader.ReadXY(CoordinateReader::NextPlainPart(text, at, u';'), x, y))
            AppendXY(x, y);
    Changed();
    return S_OK;
}

// ---- IClone ----

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<Shape>(source);
        int32_t count = 0;
        if (!other || FAILED(other->get_PointCount(&count)))
            return E_INVALIDARG;
        // The source's points are taken before this value is emptied, so that a value assigned to itself keeps
        // them.
        std::vector<ComPtr<IGPPoint>> taken;
        taken.reserve(static_cast<size_t>(std::max(count, 0)));
        HRESULT failure = S_OK;
        for (int32_t index = 0; index < count && SUCCEEDED(failure); ++index) {
            ComPtr<IGPPoint> point;
            failure = other->get_Point(index, point.Out());
            if (SUCCEEDED(failure))
                taken.push_back(std::move(point));
        }
        Empty();
        for (const auto& point : taken)
            if (HRESULT hr = AddPoint(point.Get()); FAILED(hr))
                return hr;
        if (FAILED(failure))
            return failure;
        HRESULT hr = this->BaseAssign(source);
        this->SetEmptyFlag(Count() == 0);
        return hr;
    });
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto list = QueryAs<Shape>(other);
        int32_t count = 0;
        if (!list || FAILED(list->get_PointCount(&count)) || count != Count())
            return S_OK;
        for (int32_t index = 0; index < count; ++index) {
            ComPtr<IUnknown> mine;
            ComPtr<IGPPoint> theirs;
            points_->get_Element(index, mine.Out());
            auto clone = QueryAs<IClone>(mine.Get());
            auto otherClone =
                SUCCEEDED(list->get_Point(index, theirs.Out())) ? QueryAs<IClone>(theirs.Get()) : ComPtr<IClone>();
            VARIANT_BOOL same = VARIANT_FALSE;
            if (!clone || !otherClone || FAILED(clone->IsEqual(otherClone.Get(), &same)) || !same)
                return S_OK;
        }
        *equal = VARIANT_TRUE;
        return S_OK;
    });
}

// ---- stream and XML forms ----

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::SaveContent(IStream* stream, uint16_t) {
    const int32_t count = Count();
    if (FAILED(AfStreamWrite(stream, count)))
        return E_FAIL;
    for (int32_t index = 0; index < count; ++index) {
        ComPtr<IUnknown> point;
        points_->get_Element(index, point.Out());
        if (FAILED(SaveObject(point.Get(), stream, false)))
            return E_FAIL;
    }
    return S_OK;
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::LoadContent(IStream* stream, uint16_t) {
    // The base part has already set the empty flag from the stream; whatever happens, it ends up telling the truth
    // about the points.
    struct FlagFollowsCount {
        PointList* list;
        ~FlagFollowsCount() { list->SetEmptyFlag(list->Count() == 0); }
    } flag{this};
    int32_t count = 0;
    if (FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    std::vector<ComPtr<IUnknown>> loaded;
    loaded.reserve(static_cast<size_t>(std::min(count, kMaxReserve)));
    for (int32_t index = 0; index < count; ++index) {
        ComPtr<IGPPoint> point;
        if (FAILED(LoadObject(stream, IGPPoint::iid, point.OutVoid())) || !point)
            return E_FAIL; // a nested object that is missing or no point
        loaded.emplace_back(point.Get());
    }
    ReplacePoints(loaded);
    return S_OK;
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::SerializeContent(IXMLSerializeData* data) {
    return data->AddObjectArray(u"GPPointArray", static_cast<IArray*>(points_.Get()), u"GPPoint", nullptr);
}

template <class Derived, class Shape> HRESULT PointList<Derived, Shape>::DeserializeContent(IXMLSerializeData* data) {
    struct FlagFollowsCount {
        PointList* list;
        ~FlagFollowsCount() { list->SetEmptyFlag(list->Count() == 0); }
    } flag{this};
    int32_t index = -1;
    if (FAILED(data->Find(u"GPPointArray", &index)))
        return E_FAIL;
    std::vector<ComPtr<IUnknown>> read;
    if (index >= 0) {
        auto array = MakeObject<ObjectArray>();
        if (FAILED(data->GetObjectArray(index, ValueNamespace(), u"ArrayOfGPPoint", static_cast<IArray*>(array.Get()))))
            return E_FAIL;
        int32_t count = 0;
        array->get_Count(&count);
        read.reserve(static_cast<size_t>(count));
        for (int32_t at = 0; at < count; ++at) {
            ComPtr<IUnknown> element;
            array->get_Element(at, element.Out());
            if (!QueryAs<IGPPoint>(element.Get()))
                return E_FAIL; // an element that is no point, or none at all
            read.push_back(std::move(element));
        }
    }
    ReplacePoints(read);
    return S_OK;
}

template class PointList<GPLine, IGPLine>;
template class PointList<GPPolygon, IGPPolygon>;

} // namespace tavi
