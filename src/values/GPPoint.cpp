// GPPoint: coordinates, the "x y" text, stream and XML forms; CoordinateReader, the shared reading of "x y".
#include "values/GPPoint.h"

#include "host/DoubleText.h"
#include "host/StreamIO.h"
#include "host/TAVILocale.h"
#include "platform/Locale.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tavi {

namespace {

constexpr char16_t kBlank = u' ';

} // namespace

// ---- CoordinateReader ----

CoordinateReader::CoordinateReader() : decimal_(locale::DecimalSeparator(TAVILocale::GetLocale())) {
    // Either separator stands for the locale's own: "2,5" and "2.5" both read as two and a half.
    other_ = decimal_ == u'.' ? u',' : decimal_ == u',' ? u'.' : decimal_;
    kinds_.fill(kOrdinary);
    kinds_[kBlank] = kStop;
    for (char16_t c : {u'\'', u'"', TextTokenizer::kOpenGroup})
        kinds_[c] = kOpener;
    if (other_ < 0x80 && other_ != decimal_)
        kinds_[other_] = kOtherSeparator;
}

bool CoordinateReader::ReadXY(std::u16string_view text, double& x, double& y) {
    text = TextTokenizer::Trimmed(text);
    size_t at = 0;
    Token first;
    Token second;
    if (NextUngroupedToken(text, at, first) && NextUngroupedToken(text, at, second))
        return ReadNumber(first, x) && ReadNumber(second, y);
    // Quotes or parentheses: the tokenizer's grouped reading decides what the tokens are.
    tokenizer_.Init(text, u" ");
    return ReadNumber({tokenizer_.NextToken(), true}, x) && ReadNumber({tokenizer_.NextToken(), true}, y);
}

bool CoordinateReader::NextUngroupedToken(std::u16string_view text, size_t& at, Token& token) const {
    while (at < text.size() && TextTokenizer::IsBlank(text[at]))
        ++at;
    const size_t first = at;
    uint8_t seen = kOrdinary;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at];
        const uint8_t kind = c < 0x80 ? kinds_[c] : kOrdinary;
        if (kind & kStop)
            break;
        seen |= kind;
    }
    if (seen & kOpener)
        return false;
    token = {text.substr(first, at - first), (seen & kOtherSeparator) != 0};
    return true;
}

std::u16string_view CoordinateReader::NextPlainPart(std::u16string_view text, size_t& at, char16_t separator) {
    while (at < text.size() && text[at] == separator)
        ++at;
    size_t first = at;
    while (at < text.size() && text[at] != separator)
        ++at;
    return TextTokenizer::Trimmed(text.substr(first, at - first));
}

bool CoordinateReader::ReadNumber(Token token, double& value) const {
    const std::u16string_view text = token.text;
    if (text.empty())
        return false;
    std::u16string_view number = text;
    char16_t small[64];
    String large;
    if (token.mayHoldOther && other_ != decimal_ && text.find(other_) != std::u16string_view::npos) {
        char16_t* replaced = small;
        if (text.size() > std::size(small)) {
            large.resize(text.size());
            replaced = large.data();
        }
        std::replace_copy(text.begin(), text.end(), replaced, other_, decimal_);
        number = std::u16string_view(replaced, text.size());
    }
    double read = 0.0;
    if (FAILED(numtext::ParseDouble(number, LOCALE_USER_DEFAULT, read)) && !doubletext::ReadNotFinite(text, read))
        return false;
    value = read;
    return true;
}

// ---- IGPPoint ----

HRESULT GPPoint::get_X(double* x) {
    if (!x)
        return E_POINTER;
    *x = x_;
    return S_OK;
}

HRESULT GPPoint::put_X(double x) {
    x_ = x;
    SetModified(); // also clears the empty flag
    return S_OK;
}

HRESULT GPPoint::get_Y(double* y) {
    if (!y)
        return E_POINTER;
    *y = y_;
    return S_OK;
}

HRESULT GPPoint::put_Y(double y) {
    y_ = y;
    SetModified();
    return S_OK;
}

HRESULT GPPoint::PutXY(double x, double y) {
    x_ = x;
    y_ = y;
    SetModified();
    return S_OK;
}

// ---- IGPValue ----

HRESULT GPPoint::Empty() {
    x_ = y_ = 0.0;
    return BaseEmpty();
}

HRESULT GPPoint::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String written;
        if (!IsEmptyFlag())
            doubletext::AppendNumbers(written, {x_, y_});
        *text = MakeBSTR(written);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPPoint::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, kBadTextCode, [&](std::u16string_view read) {
        Empty(); // a text that does not read leaves the point empty
        CoordinateReader reader;
        double x = 0.0;
        double y = 0.0;
        if (!reader.ReadXY(read, x, y))
            return false;
        PutXY(x, y);
        return true;
    });
}

// ---- IClone ----

HRESULT GPPoint::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPPoint>(source);
        double x = 0.0;
        double y = 0.0;
        if (!other || FAILED(other->get_X(&x)) || FAILED(other->get_Y(&y)))
            return E_INVALIDARG;
        x_ = x;
        y_ = y;
        return BaseAssign(source);
    });
}

HRESULT GPPoint::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto point = QueryAs<IGPPoint>(other);
        double x = 0.0;
        double y = 0.0;
        if (!point || FAILED(point->get_X(&x)) || FAILED(point->get_Y(&y)))
            return S_OK;
        auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
        return same(x, x_) && same(y, y_) ? BaseIsEqual(other, equal) : S_OK;
    });
}

// ---- stream and XML forms ----

HRESULT GPPoint::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(AfStreamWrite(stream, x_)) || FAILED(AfStreamWrite(stream, y_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPPoint::LoadContent(IStream* stream, uint16_t) {
    double x = 0.0;
    double y = 0.0;
    if (FAILED(AfStreamRead(stream, &x)) || FAILED(AfStreamRead(stream, &y)))
        return E_FAIL;
    x_ = x;
    y_ = y;
    return S_OK;
}

HRESULT GPPoint::SerializeContent(IXMLSerializeData* data) {
    if (FAILED(data->AddDouble(u"X", x_)) || FAILED(data->AddDouble(u"Y", y_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPPoint::DeserializeContent(IXMLSerializeData* data) {
    int32_t xIndex = -1;
    int32_t yIndex = -1;
    double x = 0.0;
    double y = 0.0;
    if (FAILED(data->Find(u"X", &xIndex)) || FAILED(data->Find(u"Y", &yIndex)) || xIndex < 0 || yIndex < 0 ||
        FAILED(data->GetDouble(xIndex, &x)) || FAILED(data->GetDouble(yIndex, &y)))
        return E_FAIL;
    x_ = x;
    y_ = y;
    return S_OK;
}

} // namespace tavi
