// The random number generator value: the generator type and seed a tool lets the user choose so that its random
// results can be repeated, draws of named distributions from it, and its data type.
//
// Generator types: 0 "STANDARD_C", 1 "ACM599", 2 "MERSENNE_TWISTER" (docs/random.md says which published generator
// each is). Distribution kinds, with their keywords, parameters (p1, p2) and defaults:
//   1 "UNIFORM" minimum, maximum (0, 1)           6 "GAMMA" alpha, beta (1, 1)
//   2 "INTEGER" minimum, maximum (1, 10)          7 "BINOMIAL" trials, probability (10, 0.5)
//   3 "NORMAL" mean, standard deviation (0, 1)    8 "GEOMETRIC" probability (0.5)
//   4 "EXPONENTIAL" mean (1)                      9 "NEGATIVE_BINOMIAL" successes, probability (10, 0.5)
//   5 "POISSON" mean (1)
// Kinds 2, 5, 7, 8 and 9 are integer-valued.
//
// The interfaces' identifiers are name-based (version 5) identifiers of "taviGeoprocessing.<interface name>" in the
// namespace {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, as those of tavi/GPComposite.h. Every null out pointer gives
// E_POINTER.
#pragma once

#include "tavi/GPValue.h"

struct IGPRandomNumberGenerator : IUnknown {
    static constexpr IID iid{0xBC6A883A, 0xA029, 0x5A3E, {0x93, 0x29, 0x17, 0x4A, 0x54, 0x71, 0x1C, 0x13}};
    // The seed the generator was initialised with: the magnitude of the seed given (-2147483648, whose magnitude
    // has no positive 32-bit form, stays as it is and seeds with 2147483648).
    virtual HRESULT get_Seed(int32_t* seed) = 0;
    // 0, 1 or 2.
    virtual HRESULT get_GeneratorType(int32_t* type) = 0;
    // Starts the generator of `type` on the magnitude of `seed`; the value stops being empty and is marked modified.
    // E_FAIL (nothing changed) for a type other than 0, 1 and 2.
    virtual HRESULT Initialize(int32_t seed, int32_t type) = 0;
    // Starts the sequence over from the stored type and seed.
    virtual HRESULT Reset() = 0;
    // One draw of the distribution `distribution` names (as ParseDistribution reads it); an empty or null text draws
    // from the distribution named last (at first "UNIFORM 0 1"). E_FAIL when the text names no distribution.
    // Parameters outside a distribution's domain give a quiet NaN.
    virtual HRESULT GetValue(const OLECHAR* distribution, double* value) = 0;
};

struct IGPRandomNumberGeneratorImpl : IUnknown {
    static constexpr IID iid{0x4680F1CC, 0x30A5, 0x59E8, {0x90, 0xE7, 0x05, 0xD7, 0x7B, 0x74, 0xC0, 0xB0}};
    // The batch operation that fills work buffers or a set of random points with `count` draws of `distribution`;
    // reserved: this library answers E_NOTIMPL.
    virtual HRESULT FillBatch(const OLECHAR* distribution, int32_t count, IUnknown* target) = 0;
    // Reads a distribution text: a keyword (any letter case) and up to the kind's number of parameters, which start
    // from their defaults and are read in order until a token is missing or no number. `parameters` receives two
    // doubles; `integerValued` is VARIANT_TRUE for the integer-valued kinds. E_FAIL for an empty or null text or an
    // unknown keyword (outs zero).
    virtual HRESULT ParseDistribution(const OLECHAR* text, int32_t* kind, double* parameters,
                                      VARIANT_BOOL* integerValued) = 0;
    // The range of possible draws of `kind` with the two `parameters`: S_OK for integer-valued kinds, S_FALSE for
    // continuous ones, E_FAIL (NaN and NaN) for an unknown kind.
    virtual HRESULT GetRange(int32_t kind, const double* parameters, double* minimum, double* maximum) = 0;
};

// The data type's marker.
struct IGPRandomNumberGeneratorType : IUnknown {
    static constexpr IID iid{0x137F7A4A, 0x830F, 0x5EF0, {0x9D, 0x8A, 0x4A, 0xF8, 0xE0, 0x0C, 0x2A, 0x12}};
};

constexpr CLSID CLSID_GPRandomNumberGenerator{
    0xA5C6674B, 0xBCA6, 0x46C8, {0x82, 0x05, 0xB5, 0xB9, 0x58, 0xEE, 0xAE, 0xB9}};
constexpr CLSID CLSID_GPRandomNumberGeneratorType{
    0x9639CDBB, 0x49CE, 0x45F7, {0xBF, 0xC4, 0x62, 0x10, 0x3D, 0x45, 0x08, 0x10}};
