// GPRandomNumberGenerator: the generator type and seed a tool lets the user choose, so that random results can be
// repeated, with draws of named distributions; and its data type GPRandomNumberGeneratorType, all of whose behaviour
// is the data type frame's. The generator is the foundation's RandomGenerator (host/RandomGenerator.h).
//
// Text form: "<seed> <keyword>" ("0 ACM599"); an empty value has the empty text. SetAsText hands out a message in
// every case and reads the text with the tokenizer at blanks: the first token is the seed (a token that is no whole
// number gives 0), the second, compared without regard to letter case, the generator keyword (none or an empty one
// means ACM599). An unknown keyword makes the message an error with code 821 and answers S_FALSE with nothing
// changed. The empty text empties the value.
//
// GetValue parses its distribution text only when it differs (exactly) from the last one it parsed, and draws from
// the kind and parameters kept; so repeated calls with one text draw one sequence. Integer parameters (INTEGER's two,
// BINOMIAL's trials) are cut to whole numbers; a parameter that does not fit in 32 bits, and any parameter outside
// its distribution's domain, gives a NaN draw. Every draw, Reset and Initialize move the place in the sequence, which
// the stream form keeps: they set the dirty flag.
//
// Assign takes seed and type from any random number generator and, from one of this class, also its place in the
// sequence, so a clone draws what the original would draw next. IsEqual compares emptiness, seed and type. The kept
// distribution stays each object's own.
//
// Stream form: int16 version, the base part, int32 seed, int32 type; version 2 adds the place in the sequence as an
// int32 count and that many 32-bit words (RandomGenerator::GetState). Version 2 is written for documents of the
// current version, version 1 for older ones. Load reads versions 0 to 2: in 0 and 1 a seed that cannot be read is 0
// and a type that cannot be read or is not 0, 1 or 2 is 1, and the sequence starts over; in 2 the words must be the
// whole state of the type read (E_FAIL otherwise, nothing changed).
// XML form: type "GPRandomNumberGenerator" in c_xml_ns_tavi, the base part, then when not empty the integer "Value"
// (the seed) and the string "GPRandomNumberGenerator" (the keyword). Reading takes a missing seed as 0 and a missing
// or unknown keyword as ACM599, and starts the sequence over.
#pragma once

#include "host/GPDataType.h"
#include "host/GPValue.h"
#include "host/RandomGenerator.h"
#include "tavi/GPRandom.h"

#include <array>
#include <string_view>

namespace tavi {

// The generator behind a GPRandomNumberGenerator, for Assign between objects of the class. The identifier is the
// library's own and never published.
struct IRandomGeneratorState : IUnknown {
    static constexpr IID iid{0x686E30C6, 0xF99B, 0x57A4, {0xBE, 0x05, 0x5F, 0x1B, 0x6E, 0x9F, 0x6C, 0x87}};
    // Valid while the object lives.
    virtual const RandomGenerator& Generator() const = 0;
};

// A distribution as ParseDistribution reads it.
struct Distribution {
    int32_t kind = 1;
    std::array<double, 2> parameters{0.0, 1.0};
    bool integerValued = false;
};

class GPRandomNumberGenerator final
    : public GPValue<GPRandomNumberGenerator, ValueInterfacesDescribed, IGPRandomNumberGenerator,
                     IGPRandomNumberGeneratorImpl, IDocumentVersionSupport, IRandomGeneratorState> {
public:
    static constexpr CLSID kClassId = CLSID_GPRandomNumberGenerator;
    static constexpr const char16_t* kClassName = u"GPRandomNumberGenerator";
    static constexpr uint16_t kStreamVersion = 2;
    static constexpr int32_t kBadGeneratorCode = 821;
    // The sizes of the batch operation's work buffers (the operation itself is not provided).
    static constexpr int32_t kWorkBufferSize = 10000;
    static constexpr int32_t kPointBufferSize = 20000;

    GPRandomNumberGenerator() : GPValue(kClassId, CLSID_GPRandomNumberGeneratorType) {}

    // The generator keyword of a type code (null for another code), and the code of a keyword in any letter case
    // (-1 for none).
    static const char16_t* GeneratorKeyword(int32_t type);
    static int32_t GeneratorTypeOf(std::u16string_view keyword);
    // Reads a distribution text; false for an empty text or an unknown keyword.
    static bool ReadDistribution(std::u16string_view text, Distribution& distribution);

    // IGPRandomNumberGenerator
    HRESULT get_Seed(int32_t* seed) override;
    HRESULT get_GeneratorType(int32_t* type) override;
    HRESULT Initialize(int32_t seed, int32_t type) override;
    HRESULT Reset() override;
    HRESULT GetValue(const OLECHAR* distribution, double* value) override;

    // IGPRandomNumberGeneratorImpl
    HRESULT FillBatch(const OLECHAR* distribution, int32_t count, IUnknown* target) override;
    HRESULT ParseDistribution(const OLECHAR* text, int32_t* kind, double* parameters,
                              VARIANT_BOOL* integerValued) override;
    HRESULT GetRange(int32_t kind, const double* parameters, double* minimum, double* maximum) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IDocumentVersionSupport: documents of every version know the value.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IRandomGeneratorState
    const RandomGenerator& Generator() const override { return generator_; }

private:
    double Draw(const Distribution& distribution);

    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    String XmlTypeNamespace() const override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    RandomGenerator generator_;
    String cachedText_;
    Distribution cached_;
};

class GPRandomNumberGeneratorType final
    : public GPDataType<GPRandomNumberGeneratorType, IGPRandomNumberGeneratorType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPRandomNumberGeneratorType;
    static constexpr const char16_t* kClassName = u"GPRandomNumberGeneratorType";
    static constexpr int32_t kDisplayNameId = 4766;
    GPRandomNumberGeneratorType()
        : GPDataType({u"GPRandomNumberGenerator", kDisplayNameId, kClassId, CLSID_GPRandomNumberGenerator, GUID_NULL,
                      IGPRandomNumberGeneratorType::iid, IGPRandomNumberGenerator::iid}) {}
};

} // namespace tavi
