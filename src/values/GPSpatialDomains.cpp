// The coordinate range values: text, comparison, stream and XML forms.
#include "values/GPSpatialDomains.h"

#include "host/DoubleText.h"
#include "host/MessageMaker.h"
#include "host/StreamIO.h"

#include <cmath>

namespace tavi {

namespace {

constexpr int32_t kBadTextCode = kMessageCodeInvalidValue;

// Exactly N blank-separated numbers.
template <size_t N> bool ReadBounds(std::u16string_view text, std::array<double, N>& bounds) {
    size_t read = 0;
    size_t position = 0;
    while (position < text.size()) {
        size_t begin = text.find_first_not_of(u' ', position);
        if (begin == std::u16string_view::npos)
            break;
        size_t end = text.find(u' ', begin);
        std::u16string_view token = text.substr(begin, end == std::u16string_view::npos ? end : end - begin);
        if (read == N || !doubletext::Read(token, bounds[read++]))
            return false;
        position = end == std::u16string_view::npos ? text.size() : end;
    }
    return read == N;
}

} // namespace

template <class Derived, size_t N, class... R> bool BoundsValue<Derived, N, R...>::IsValid(const Bounds& bounds) {
    for (double value : bounds)
        if (!std::isfinite(value))
            return false;
    constexpr size_t half = N / 2;
    for (size_t i = 0; i < half; ++i)
        if (!(bounds[i] < bounds[i + half]))
            return false;
    return true;
}

template <class Derived, size_t N, class... R> HRESULT BoundsValue<Derived, N, R...>::Empty() {
    bounds_ = {};
    return this->BaseEmpty();
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::Query(const std::array<double*, N>& out) {
    for (double* value : out)
        if (!value)
            return E_POINTER;
    bool empty = this->IsEmptyFlag();
    for (size_t i = 0; i < N; ++i)
        *out[i] = empty ? 0.0 : bounds_[i];
    return empty ? S_FALSE : S_OK;
}

template <class Derived, size_t N, class... R> HRESULT BoundsValue<Derived, N, R...>::Put(const Bounds& bounds) {
    if (!IsValid(bounds))
        return E_INVALIDARG;
    bounds_ = bounds;
    this->SetModified();
    return S_OK;
}

template <class Derived, size_t N, class... R> HRESULT BoundsValue<Derived, N, R...>::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String written;
        if (!this->IsEmptyFlag())
            doubletext::AppendNumbers(written, bounds_);
        *text = MakeBSTR(written);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(this->NewTextMessage(made.Out())))
            return E_FAIL;
        if (!text || !*text) {
            Empty();
        } else {
            Bounds bounds{};
            if (!ReadBounds<N>(text, bounds) || FAILED(Put(bounds))) {
                auto error = QueryAs<IGPErrorMessage>(made.Get());
                String description = VerdictText(kBadTextCode, text);
                if (!error ||
                    FAILED(error->MakeErrorWithText(taviGPMessageTypeError, kBadTextCode, description.c_str())))
                    return E_FAIL;
            }
        }
        *message = made.Detach();
        return S_OK;
    });
}

template <class Derived, size_t N, class... R> HRESULT BoundsValue<Derived, N, R...>::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<typename Derived::Interface>(source);
        Bounds bounds{};
        if (!other || FAILED(Derived::ReadBounds(other.Get(), bounds)))
            return E_INVALIDARG;
        bounds_ = bounds;
        return this->BaseAssign(source);
    });
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto range = QueryAs<typename Derived::Interface>(other);
        Bounds bounds{};
        if (!range || FAILED(Derived::ReadBounds(range.Get(), bounds)))
            return S_OK;
        Bounds mine = this->IsEmptyFlag() ? Bounds{} : bounds_;
        return bounds == mine ? this->BaseIsEqual(other, equal) : S_OK;
    });
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::SaveContent(IStream* stream, uint16_t) {
    for (double value : bounds_)
        if (FAILED(AfStreamWrite(stream, value)))
            return E_FAIL;
    return S_OK;
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::LoadContent(IStream* stream, uint16_t) {
    Bounds bounds{};
    for (double& value : bounds)
        if (FAILED(AfStreamRead(stream, &value)))
            return E_FAIL;
    // An empty value's numbers are not a range; a value that says it holds one must hold a sound one.
    if (!this->IsEmptyFlag() && !IsValid(bounds))
        return E_FAIL;
    bounds_ = this->IsEmptyFlag() ? Bounds{} : bounds;
    return S_OK;
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::SerializeContent(IXMLSerializeData* data) {
    for (size_t i = 0; i < N; ++i)
        if (HRESULT hr = data->AddDouble(Derived::kXmlNames[i], bounds_[i]); FAILED(hr))
            return hr;
    return S_OK;
}

template <class Derived, size_t N, class... R>
HRESULT BoundsValue<Derived, N, R...>::DeserializeContent(IXMLSerializeData* data) {
    Bounds bounds{};
    for (size_t i = 0; i < N; ++i) {
        int32_t index = -1;
        data->Find(Derived::kXmlNames[i], &index);
        if (index < 0 || FAILED(data->GetDouble(index, &bounds[i])))
            return E_FAIL;
    }
    if (!IsValid(bounds))
        return E_FAIL;
    bounds_ = bounds;
    return S_OK;
}

template class BoundsValue<GPXYDomain, 4, IGPXYDomain, ValueInterfaces>;
template class BoundsValue<GPZDomain, 2, IGPZDomain, ValueInterfaces>;
template class BoundsValue<GPMDomain, 2, IGPMDomain, ValueInterfaces>;

} // namespace tavi
