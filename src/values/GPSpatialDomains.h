// The coordinate range values: GPXYDomain (XMin, YMin, XMax, YMax), GPZDomain and GPMDomain (minimum, maximum), on
// the shared BoundsValue.
//
// Text form: the numbers joined by one blank, in that order ("0 0 100 50", "-100 100"), each written as GPDouble
// writes it; an empty value is the empty text. SetAsText: "" empties the value; exactly the value's count of
// blank-separated numbers (read as GPDouble reads them) with each minimum below its maximum sets it; anything else
// leaves the value as it was and makes the message an error with code 701 naming the text (the call succeeds).
// Put...Domain follows the same rule with E_INVALIDARG.
//
// Stream form: int16 version 1, the base part, the numbers as doubles in text order (also for an empty value).
// Load refuses bounds that break the rule. XML form: when not empty, doubles "XMin", "YMin", "XMax", "YMax" (or
// "ZMin", "ZMax"; "MMin", "MMax"); reading needs all of them and refuses bounds that break the rule (E_FAIL).
#pragma once

#include "host/GPValue.h"
#include "tavi/GPSpatialReferenceValues.h"

#include <array>

namespace tavi {

// Derived supplies kClassId, kDataTypeClassId, kClassName, kXmlNames (N element names in text order), Interface
// (its range interface) and static ReadBounds(Interface*, std::array<double, N>&) for Assign and IsEqual.
template <class Derived, size_t N, class... R> class BoundsValue : public GPValue<Derived, R...> {
public:
    static constexpr uint16_t kStreamVersion = 1;
    using Bounds = std::array<double, N>;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the source must answer the value's range interface (else E_INVALIDARG); equal values have equal
    // numbers.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // True when every number is finite and each minimum lies below its maximum.
    static bool IsValid(const Bounds& bounds);

protected:
    BoundsValue() : GPValue<Derived, R...>(Derived::kClassId, Derived::kDataTypeClassId) {}

    // The range interface's two operations: S_FALSE and zeros for an empty value; E_INVALIDARG for bad bounds.
    HRESULT Query(const std::array<double*, N>& out);
    HRESULT Put(const Bounds& bounds);

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    Bounds bounds_{};
};

class GPXYDomain final : public BoundsValue<GPXYDomain, 4, IGPXYDomain, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPXYDomain;
    static constexpr CLSID kDataTypeClassId = CLSID_GPXYDomainType;
    static constexpr const char16_t* kClassName = u"GPXYDomain";
    static constexpr const char16_t* kXmlNames[4] = {u"XMin", u"YMin", u"XMax", u"YMax"};
    using Interface = IGPXYDomain;
    static HRESULT ReadBounds(IGPXYDomain* source, Bounds& bounds) {
        return source->QueryXYDomain(&bounds[0], &bounds[1], &bounds[2], &bounds[3]);
    }

    HRESULT QueryXYDomain(double* xmin, double* ymin, double* xmax, double* ymax) override {
        return Query({xmin, ymin, xmax, ymax});
    }
    HRESULT PutXYDomain(double xmin, double ymin, double xmax, double ymax) override {
        return Put({xmin, ymin, xmax, ymax});
    }
};

class GPZDomain final : public BoundsValue<GPZDomain, 2, IGPZDomain, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPZDomain;
    static constexpr CLSID kDataTypeClassId = CLSID_GPZDomainType;
    static constexpr const char16_t* kClassName = u"GPZDomain";
    static constexpr const char16_t* kXmlNames[2] = {u"ZMin", u"ZMax"};
    using Interface = IGPZDomain;
    static HRESULT ReadBounds(IGPZDomain* source, Bounds& bounds) {
        return source->QueryZDomain(&bounds[0], &bounds[1]);
    }

    HRESULT QueryZDomain(double* zmin, double* zmax) override { return Query({zmin, zmax}); }
    HRESULT PutZDomain(double zmin, double zmax) override { return Put({zmin, zmax}); }
};

class GPMDomain final : public BoundsValue<GPMDomain, 2, IGPMDomain, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPMDomain;
    static constexpr CLSID kDataTypeClassId = CLSID_GPMDomainType;
    static constexpr const char16_t* kClassName = u"GPMDomain";
    static constexpr const char16_t* kXmlNames[2] = {u"MMin", u"MMax"};
    using Interface = IGPMDomain;
    static HRESULT ReadBounds(IGPMDomain* source, Bounds& bounds) {
        return source->QueryMDomain(&bounds[0], &bounds[1]);
    }

    HRESULT QueryMDomain(double* mmin, double* mmax) override { return Query({mmin, mmax}); }
    HRESULT PutMDomain(double mmin, double mmax) override { return Put({mmin, mmax}); }
};

extern template class BoundsValue<GPXYDomain, 4, IGPXYDomain, ValueInterfaces>;
extern template class BoundsValue<GPZDomain, 2, IGPZDomain, ValueInterfaces>;
extern template class BoundsValue<GPMDomain, 2, IGPMDomain, ValueInterfaces>;

} // namespace tavi
