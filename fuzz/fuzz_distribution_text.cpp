// Arbitrary text read as a distribution (ParseDistribution, then draws through GetValue) and as the text of a random
// number generator (SetAsText).
//   Distribution: a text is read or refused alike by ParseDistribution and GetValue; a refused text leaves zero outs
//   and the kept distribution as it was; a read one gives a known kind with its integer flag, and its draws are NaN
//   or lie in the range GetRange reports (whole numbers for integer-valued kinds).
//   Generator text: an unknown keyword (S_FALSE, error 821) changes nothing; a text that is read writes a text that
//   reads back to the same seed and type.
// No input may crash, hang or leak: the module object count must come back to where it was.
#include "ProvidedClasses.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/Geoprocessing.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

[[noreturn]] void Fail(const char* what, const std::u16string& text) {
    std::fprintf(stderr, "%s: %s\n", what, ToUtf8(text).c_str());
    std::abort();
}

struct Seen {
    int32_t seed = 0;
    int32_t type = 0;
    VARIANT_BOOL empty = VARIANT_FALSE;
    std::u16string text;
    bool operator==(const Seen&) const = default;
};

Seen SeenOf(IGPRandomNumberGenerator* generator) {
    Seen seen;
    generator->get_Seed(&seen.seed);
    generator->get_GeneratorType(&seen.type);
    auto value = QueryAs<IGPValue>(generator);
    value->IsEmpty(&seen.empty);
    BStr text;
    if (FAILED(value->GetAsText(text.Out())))
        Fail("a generator cannot be written", u"");
    seen.text = text.str();
    return seen;
}

void CheckDistribution(IGPRandomNumberGenerator* generator, const std::u16string& input) {
    auto impl = QueryAs<IGPRandomNumberGeneratorImpl>(generator);
    int32_t kind = -1;
    double parameters[2] = {-1, -1};
    VARIANT_BOOL integerValued = 7;
    HRESULT parsed = impl->ParseDistribution(input.c_str(), &kind, parameters, &integerValued);
    double x = 0;
    HRESULT drawn = generator->GetValue(input.c_str(), &x);
    if (FAILED(parsed)) {
        if (kind != 0 || parameters[0] != 0 || parameters[1] != 0 || integerValued != VARIANT_FALSE)
            Fail("a refused distribution left outs", input);
        if (!input.empty() && drawn != parsed)
            Fail("GetValue and ParseDistribution disagree", input);
        // The kept distribution (UNIFORM 0 1 of a fresh value, or the one kept before) still draws.
        if (FAILED(generator->GetValue(nullptr, &x)))
            Fail("the kept distribution was lost", input);
        return;
    }
    if (kind < 1 || kind > 9 || drawn != S_OK)
        Fail("a read distribution does not draw", input);
    double minimum = 0, maximum = 0;
    HRESULT ranged = impl->GetRange(kind, parameters, &minimum, &maximum);
    bool integer = integerValued != VARIANT_FALSE;
    if (ranged != (integer ? S_OK : S_FALSE))
        Fail("the range and the integer flag disagree", input);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            generator->GetValue(input.c_str(), &x);
        if (std::isnan(x))
            continue;
        if (integer && std::floor(x) != x)
            Fail("an integer-valued draw is not whole", input);
        // Continuous draws may overflow for parameters near the largest doubles; uniform and integer draws may not
        // leave their range.
        bool bounded = integer || kind == 1;
        if (bounded && (x < std::fmin(minimum, maximum) || x > std::fmax(minimum, maximum)))
            Fail("a draw left its range", input);
    }
}

void CheckGeneratorText(IGPRandomNumberGenerator* generator, const std::u16string& input) {
    auto value = QueryAs<IGPValue>(generator);
    Seen before = SeenOf(generator);
    ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(input.c_str(), message.Out());
    if (!message)
        Fail("no message", input);
    VARIANT_BOOL error = VARIANT_FALSE;
    int32_t code = 0;
    message->IsError(&error);
    message->get_ErrorCode(&code);
    if (hr == S_FALSE) {
        if (!error || code != 821 || !(SeenOf(generator) == before))
            Fail("an unknown keyword changed the generator or said nothing", input);
        return;
    }
    if (hr != S_OK || error)
        Fail("a generator text failed", input);
    Seen read = SeenOf(generator);
    ComPtr<IGPMessage> again;
    if (value->SetAsText(read.text.c_str(), again.Out()) != S_OK || !(SeenOf(generator) == read))
        Fail("a written generator text does not read back", read.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        SetModuleClassSource(&DllGetClassObject);
        SetThreadLocale(1033); // the text of numbers depends on it
        return true;
    }();
    (void)ready;
    if (size > (1u << 12))
        return 0;
    std::u16string input = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    input.resize(std::u16string_view(input.c_str()).size()); // the interfaces see the text up to its first zero
    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    {
        ComPtr<IGPRandomNumberGenerator> generator;
        AfCreateInstance(CLSID_GPRandomNumberGenerator, nullptr, CLSCTX_INPROC_SERVER, IGPRandomNumberGenerator::iid,
                         generator.OutVoid());
        if (!generator)
            Fail("no generator", input);
        generator->Initialize(7, 2);
        CheckDistribution(generator.Get(), input);
        CheckGeneratorText(generator.Get(), input);
    }
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
