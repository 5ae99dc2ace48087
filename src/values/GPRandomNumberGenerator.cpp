// GPRandomNumberGenerator: generator types, text, distributions and draws, cloning, stream and XML forms.
#include "values/GPRandomNumberGenerator.h"

#include "host/StreamIO.h"
#include "host/TextTokenizer.h"
#include "host/XmlNamespace.h"
#include "platform/HandOut.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

namespace tavi {

namespace {

constexpr const char16_t* kGeneratorKeywords[] = {u"STANDARD_C", u"ACM599", u"MERSENNE_TWISTER"};

struct DistributionRow {
    const char16_t* keyword;
    int parameterCount;
    double defaults[2];
    bool integerValued;
};
// Indexed by kind - 1.
constexpr DistributionRow kDistributions[] = {
    {u"UNIFORM", 2, {0, 1}, false},     {u"INTEGER", 2, {1, 10}, true},    {u"NORMAL", 2, {0, 1}, false},
    {u"EXPONENTIAL", 1, {1, 0}, false}, {u"POISSON", 1, {1, 0}, true},     {u"GAMMA", 2, {1, 1}, false},
    {u"BINOMIAL", 2, {10, 0.5}, true},  {u"GEOMETRIC", 1, {0.5, 0}, true}, {u"NEGATIVE_BINOMIAL", 2, {10, 0.5}, true},
};
constexpr int32_t kKindCount = static_cast<int32_t>(std::size(kDistributions));

// The save versions by document version: 2 (with the place in the sequence) for the current version only, so that
// documents of every older version hold the form all their readers know.
constexpr int16_t kNewerSaveVersions[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
constexpr int16_t kOlderSaveVersions[1] = {1};

constexpr const char16_t* kXmlSeed = u"Value";
constexpr const char16_t* kXmlGenerator = u"GPRandomNumberGenerator";

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A parameter cut to a whole number toward zero; none when it is NaN or does not fit in 32 bits.
std::optional<int32_t> WholeParameter(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return std::nullopt;
    return static_cast<int32_t>(value);
}

} // namespace

// ---- keywords and distributions ----

const char16_t* GPRandomNumberGenerator::GeneratorKeyword(int32_t type) {
    return RandomGenerator::IsType(type) ? kGeneratorKeywords[type] : nullptr;
}

int32_t GPRandomNumberGenerator::GeneratorTypeOf(std::u16string_view keyword) {
    for (int32_t type = 0; type < static_cast<int32_t>(std::size(kGeneratorKeywords)); ++type)
        if (EqualsNoCase(keyword, kGeneratorKeywords[type]))
            return type;
    return -1;
}

bool GPRandomNumberGenerator::ReadDistribution(std::u16string_view text, Distribution& distribution) {
    if (text.empty())
        return false;
    TextTokenizer tokenizer(text, u" ");
    std::u16string_view keyword = tokenizer.NextToken();
    for (int32_t kind = 1; kind <= kKindCount; ++kind) {
        const DistributionRow& row = kDistributions[kind - 1];
        if (!EqualsNoCase(keyword, row.keyword))
            continue;
        Distribution read;
        read.kind = kind;
        read.integerValued = row.integerValued;
        read.parameters = {row.defaults[0], row.defaults[1]};
        for (int i = 0; i < row.parameterCount; ++i) {
            double parameter = 0;
            if (FAILED(tokenizer.NextDouble(parameter)))
                break;
            read.parameters[static_cast<size_t>(i)] = parameter;
        }
        distribution = read;
        return true;
    }
    return false;
}

double GPRandomNumberGenerator::Draw(const Distribution& distribution) {
    auto [p1, p2] = distribution.parameters;
    switch (distribution.kind) {
    case 1:
        return generator_.Uniform(p1, p2);
    case 2: {
        auto low = WholeParameter(p1);
        auto high = WholeParameter(p2);
        return low && high ? generator_.Integer(*low, *high) : kNaN;
    }
    case 3:
        return generator_.Normal(p1, p2);
    case 4:
        return generator_.Exponential(p1);
    case 5:
        return generator_.Poisson(p1);
    case 6:
        return generator_.Gamma(p1, p2);
    case 7: {
        auto trials = WholeParameter(p1);
        return trials ? generator_.Binomial(*trials, p2) : kNaN;
    }
    case 8:
        return generator_.Geometric(p1);
    case 9:
        return generator_.NegativeBinomial(p1, p2);
    default:
        return kNaN;
    }
}

// ---- IGPRandomNumberGenerator ----

HRESULT GPRandomNumberGenerator::get_Seed(int32_t* seed) {
    if (!seed)
        return E_POINTER;
    *seed = generator_.Seed();
    return S_OK;
}

HRESULT GPRandomNumberGenerator::get_GeneratorType(int32_t* type) {
    if (!type)
        return E_POINTER;
    *type = generator_.Type();
    return S_OK;
}

HRESULT GPRandomNumberGenerator::Initialize(int32_t seed, int32_t type) {
    if (!generator_.Initialize(type, seed))
        return E_FAIL;
    SetModified();
    return S_OK;
}

HRESULT GPRandomNumberGenerator::Reset() {
    generator_.Initialize(generator_.Type(), generator_.Seed());
    SetDirty();
    return S_OK;
}

HRESULT GPRandomNumberGenerator::GetValue(const OLECHAR* distribution, double* value) {
    if (!value)
        return E_POINTER;
    *value = 0.0;
    return guard([&]() -> HRESULT {
        if (distribution && *distribution && cachedText_ != distribution) {
            Distribution read;
            if (!ReadDistribution(distribution, read))
                return E_FAIL;
            cachedText_ = distribution;
            cached_ = read;
        }
        *value = Draw(cached_);
        SetDirty();
        return S_OK;
    });
}

// ---- IGPRandomNumberGeneratorImpl ----

HRESULT GPRandomNumberGenerator::FillBatch(const OLECHAR*, int32_t, IUnknown*) {
    return E_NOTIMPL;
}

HRESULT GPRandomNumberGenerator::ParseDistribution(const OLECHAR* text, int32_t* kind, double* parameters,
                                                   VARIANT_BOOL* integerValued) {
    if (!kind || !parameters || !integerValued)
        return E_POINTER;
    *kind = 0;
    parameters[0] = parameters[1] = 0.0;
    *integerValued = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        Distribution read;
        if (!text || !ReadDistribution(text, read))
            return E_FAIL;
        *kind = read.kind;
        parameters[0] = read.parameters[0];
        parameters[1] = read.parameters[1];
        *integerValued = read.integerValued ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

// Poisson and negative binomial draws start at 0 (no event, no failure), as geometric ones do. The parameters of
// INTEGER and BINOMIAL's trials are cut to whole numbers as the draws cut them, so the range holds every draw.
HRESULT GPRandomNumberGenerator::GetRange(int32_t kind, const double* parameters, double* minimum, double* maximum) {
    if (!parameters || !minimum || !maximum)
        return E_POINTER;
    constexpr double kLowest = std::numeric_limits<double>::lowest();
    constexpr double kHighest = std::numeric_limits<double>::max();
    constexpr double kIntegerCap = RandomGenerator::kIntegerCap;
    auto range = [&](double low, double high, HRESULT hr) {
        *minimum = low;
        *maximum = high;
        return hr;
    };
    auto whole = [](double parameter) {
        auto cut = WholeParameter(parameter);
        return cut ? static_cast<double>(*cut) : parameter;
    };
    switch (kind) {
    case 1:
        return range(parameters[0], parameters[1], S_FALSE);
    case 2:
        return range(whole(parameters[0]), whole(parameters[1]), S_OK);
    case 3:
    case 6:
        return range(kLowest, kHighest, S_FALSE);
    case 4:
        return range(0, kHighest, S_FALSE);
    case 5:
    case 8:
    case 9:
        return range(0, kIntegerCap, S_OK);
    case 7:
        return range(0, whole(parameters[0]), S_OK);
    default:
        return range(kNaN, kNaN, E_FAIL);
    }
}

// ---- IGPValue ----

HRESULT GPRandomNumberGenerator::Empty() {
    cachedText_.clear();
    cached_ = Distribution();
    generator_.Initialize(RandomGenerator::kAcm599, 0);
    return BaseEmpty();
}

HRESULT GPRandomNumberGenerator::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String written;
        if (!IsEmptyFlag()) {
            std::string seed = std::to_string(generator_.Seed());
            written.assign(seed.begin(), seed.end());
            written += u' ';
            written += GeneratorKeyword(generator_.Type());
        }
        return HandOut(written, text);
    });
}

HRESULT GPRandomNumberGenerator::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        HRESULT result = S_OK;
        if (!text || !*text) {
            Empty();
        } else {
            TextTokenizer tokenizer(text, u" ");
            int32_t seed = 0;
            tokenizer.NextLong(seed); // a token that is no whole number leaves 0
            int32_t type = RandomGenerator::kAcm599;
            if (std::u16string_view keyword = tokenizer.NextToken(); !keyword.empty())
                type = GeneratorTypeOf(keyword);
            if (type < 0) {
                if (FAILED(MakeTextError(made.Get(), kBadGeneratorCode)))
                    return E_FAIL;
                result = S_FALSE;
            } else if (HRESULT hr = Initialize(seed, type); FAILED(hr)) {
                return hr;
            }
        }
        *message = made.Detach();
        return result;
    });
}

// ---- IClone ----

HRESULT GPRandomNumberGenerator::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPRandomNumberGenerator>(source);
        if (!other)
            return E_INVALIDARG;
        RandomGenerator taken;
        if (auto state = QueryAs<IRandomGeneratorState>(source)) {
            taken = state->Generator();
        } else {
            int32_t seed = 0;
            int32_t type = 0;
            if (FAILED(other->get_Seed(&seed)) || FAILED(other->get_GeneratorType(&type)) ||
                !taken.Initialize(type, seed))
                return E_INVALIDARG;
        }
        if (HRESULT hr = BaseAssign(source); FAILED(hr))
            return hr;
        generator_ = taken;
        return S_OK;
    });
}

HRESULT GPRandomNumberGenerator::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto generator = QueryAs<IGPRandomNumberGenerator>(other);
        int32_t seed = 0;
        int32_t type = 0;
        if (!generator || FAILED(generator->get_Seed(&seed)) || FAILED(generator->get_GeneratorType(&type)) ||
            seed != generator_.Seed() || type != generator_.Type())
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// ---- older documents ----

HRESULT GPRandomNumberGenerator::IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) {
    if (!supported)
        return E_POINTER;
    *supported = VARIANT_TRUE;
    return S_OK;
}

HRESULT GPRandomNumberGenerator::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return QueryInterface(IUnknown::iid, reinterpret_cast<void**>(replacement));
}

// ---- stream and XML forms ----

int32_t GPRandomNumberGenerator::SaveVersionFor(IStream* stream) {
    return AfStreamGetOrinSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kNewerSaveVersions),
                                      kNewerSaveVersions, std::size(kOlderSaveVersions), kOlderSaveVersions);
}

HRESULT GPRandomNumberGenerator::SaveContent(IStream* stream, uint16_t version) {
    if (FAILED(AfStreamWrite(stream, generator_.Seed())) || FAILED(AfStreamWrite(stream, generator_.Type())))
        return E_FAIL;
    if (version < 2)
        return S_OK;
    std::vector<uint32_t> words = generator_.GetState();
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(words.size()))))
        return E_FAIL;
    for (uint32_t word : words)
        if (FAILED(AfStreamWrite(stream, word)))
            return E_FAIL;
    return S_OK;
}

HRESULT GPRandomNumberGenerator::LoadContent(IStream* stream, uint16_t version) {
    int32_t seed = 0;
    int32_t type = RandomGenerator::kAcm599;
    if (FAILED(AfStreamRead(stream, &seed)))
        seed = 0;
    else if (FAILED(AfStreamRead(stream, &type)) || !RandomGenerator::IsType(type))
        type = RandomGenerator::kAcm599;
    RandomGenerator read;
    read.Initialize(type, seed);
    if (version >= 2) {
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &count)) || count < 0 ||
            static_cast<size_t>(count) != RandomGenerator::StateSize(type))
            return E_FAIL;
        std::vector<uint32_t> words(static_cast<size_t>(count));
        for (uint32_t& word : words)
            if (FAILED(AfStreamRead(stream, &word)))
                return E_FAIL;
        if (!read.SetState(words))
            return E_FAIL;
    }
    generator_ = read;
    return S_OK;
}

String GPRandomNumberGenerator::XmlTypeNamespace() const {
    return c_xml_ns_tavi;
}

HRESULT GPRandomNumberGenerator::SerializeContent(IXMLSerializeData* data) {
    if (FAILED(data->AddInteger(kXmlSeed, generator_.Seed())) ||
        FAILED(data->AddString(kXmlGenerator, GeneratorKeyword(generator_.Type()))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPRandomNumberGenerator::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    int32_t seed = 0;
    if (FAILED(data->Find(kXmlSeed, &index)) || index < 0 || FAILED(data->GetInteger(index, &seed)))
        seed = 0;
    int32_t type = RandomGenerator::kAcm599;
    BStr keyword;
    if (SUCCEEDED(data->Find(kXmlGenerator, &index)) && index >= 0 && SUCCEEDED(data->GetString(index, keyword.Out())))
        if (int32_t named = GeneratorTypeOf(keyword.view()); named >= 0)
            type = named;
    generator_.Initialize(type, seed);
    return S_OK;
}

} // namespace tavi
