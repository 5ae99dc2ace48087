// The host's spatial reference: see SpatialReference.h.
#include "host/SpatialReference.h"

#include "host/GdalSupport.h"
#include "host/StreamIO.h"
#include "host/String.h"
#include "host/XmlNamespace.h"
#include "platform/BStr.h"
#include "platform/HandOut.h"
#include "platform/Utf.h"

#include <cpl_vsi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace tavi {

namespace {

constexpr double kHighPrecisionSteps = 9007199254740990.0; // 2^53 - 2
constexpr double kLowPrecisionSteps = 2147483645.0;        // 2^31 - 3
constexpr double kDegreeInRadians = 0.017453292519943295;

VARIANT_BOOL ToBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The coordinate system as one line of well-known text in the format named by `format`; empty when it cannot be.
std::string Export(const OGRSpatialReference& srs, const char* format) {
    const char* const options[] = {format, nullptr};
    char* raw = nullptr;
    std::string text;
    if (srs.exportToWkt(&raw, options) == OGRERR_NONE && raw)
        text = raw;
    CPLFree(raw);
    return text;
}

// WKT1 where the coordinate system fits it (what projection files hold), else WKT2.
std::string ReadableWkt(const OGRSpatialReference& srs) {
    gdal::ErrorScope quiet;
    std::string text = Export(srs, "FORMAT=WKT1");
    return text.empty() ? Export(srs, "FORMAT=WKT2_2018") : text;
}

} // namespace

SpatialReference::SpatialReference(const OGRSpatialReference& srs, bool hasZ, bool hasM) : srs_(srs) {
    srs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    DeriveXY();
    if (hasZ)
        z_ = DerivedZM();
    if (hasM)
        m_ = DerivedZM();
}

void SpatialReference::DeriveXY() {
    Axis axis;
    axis.present = true;
    if (srs_.IsGeographic()) {
        double unitRadians = srs_.GetAngularUnits(nullptr);
        double degreesPerUnit = unitRadians > 0 ? unitRadians / kDegreeInRadians : 1.0;
        axis.units = 1e9 * degreesPerUnit;
        axis.tolerance = 8.983152841195214e-9 / degreesPerUnit;
        axis.origin = -400.0 / degreesPerUnit;
    } else {
        double metresPerUnit = srs_.GetLinearUnits(nullptr);
        if (!(metresPerUnit > 0))
            metresPerUnit = 1.0;
        axis.units = 10000.0 * metresPerUnit;
        axis.tolerance = 0.001 / metresPerUnit;
        axis.origin = -(kHighPrecisionSteps / 2) / axis.units;
    }
    x_ = y_ = axis;
}

SpatialReference::Axis SpatialReference::DerivedZM() {
    return Axis{-100000.0, 10000.0, 0.001, true};
}

double SpatialReference::Span(const Axis& axis) const {
    return (highPrecision_ ? kHighPrecisionSteps : kLowPrecisionSteps) / axis.units;
}

HRESULT SpatialReference::SetRange(Axis& axis, double min, double max) {
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max))
        return E_INVALIDARG;
    axis.origin = min;
    axis.units = (highPrecision_ ? kHighPrecisionSteps : kLowPrecisionSteps) / (max - min);
    if (axis.tolerance <= 0)
        axis.tolerance = 10.0 / axis.units;
    axis.present = true;
    return S_OK;
}

HRESULT SpatialReference::get_Name(BSTR* name) {
    const char* text = srs_.GetName();
    return HandOut(FromUtf8(text ? text : ""), name);
}

HRESULT SpatialReference::get_FactoryCode(int32_t* code) {
    if (!code)
        return E_POINTER;
    *code = 0;
    const char* root = srs_.IsProjected() ? "PROJCS" : srs_.IsGeographic() ? "GEOGCS" : nullptr;
    const char* authority = srs_.GetAuthorityName(root);
    const char* value = srs_.GetAuthorityCode(root);
    if (authority && value && EQUAL(authority, "EPSG"))
        *code = static_cast<int32_t>(std::atol(value));
    return S_OK;
}

HRESULT SpatialReference::get_IsGeographic(VARIANT_BOOL* geographic) {
    if (!geographic)
        return E_POINTER;
    *geographic = ToBool(srs_.IsGeographic());
    return S_OK;
}

HRESULT SpatialReference::get_IsProjected(VARIANT_BOOL* projected) {
    if (!projected)
        return E_POINTER;
    *projected = ToBool(srs_.IsProjected());
    return S_OK;
}

HRESULT SpatialReference::ExportToWKT(BSTR* wkt) {
    if (!wkt)
        return E_POINTER;
    *wkt = nullptr;
    return guard([&]() -> HRESULT {
        std::string text = ReadableWkt(srs_);
        if (text.empty())
            return E_FAIL;
        *wkt = BStr(FromUtf8(text)).Detach();
        return S_OK;
    });
}

HRESULT SpatialReference::HasXYPrecision(VARIANT_BOOL* has) {
    if (!has)
        return E_POINTER;
    *has = ToBool(x_.present);
    return S_OK;
}

HRESULT SpatialReference::HasZPrecision(VARIANT_BOOL* has) {
    if (!has)
        return E_POINTER;
    *has = ToBool(z_.present);
    return S_OK;
}

HRESULT SpatialReference::HasMPrecision(VARIANT_BOOL* has) {
    if (!has)
        return E_POINTER;
    *has = ToBool(m_.present);
    return S_OK;
}

HRESULT SpatialReference::GetFalseOriginAndUnits(double* falseX, double* falseY, double* xyUnits) {
    if (!falseX || !falseY || !xyUnits)
        return E_POINTER;
    *falseX = x_.origin, *falseY = y_.origin, *xyUnits = x_.units;
    return S_OK;
}

HRESULT SpatialReference::SetFalseOriginAndUnits(double falseX, double falseY, double xyUnits) {
    if (!(xyUnits > 0) || !std::isfinite(falseX) || !std::isfinite(falseY) || !std::isfinite(xyUnits))
        return E_INVALIDARG;
    x_.origin = falseX, y_.origin = falseY, x_.units = y_.units = xyUnits;
    x_.present = y_.present = true;
    return S_OK;
}

HRESULT SpatialReference::GetZFalseOriginAndUnits(double* falseZ, double* zUnits) {
    if (!falseZ || !zUnits)
        return E_POINTER;
    *falseZ = z_.origin, *zUnits = z_.units;
    return S_OK;
}

HRESULT SpatialReference::SetZFalseOriginAndUnits(double falseZ, double zUnits) {
    if (!(zUnits > 0) || !std::isfinite(falseZ) || !std::isfinite(zUnits))
        return E_INVALIDARG;
    if (!z_.present)
        z_ = DerivedZM();
    z_.origin = falseZ, z_.units = zUnits;
    return S_OK;
}

HRESULT SpatialReference::GetMFalseOriginAndUnits(double* falseM, double* mUnits) {
    if (!falseM || !mUnits)
        return E_POINTER;
    *falseM = m_.origin, *mUnits = m_.units;
    return S_OK;
}

HRESULT SpatialReference::SetMFalseOriginAndUnits(double falseM, double mUnits) {
    if (!(mUnits > 0) || !std::isfinite(falseM) || !std::isfinite(mUnits))
        return E_INVALIDARG;
    if (!m_.present)
        m_ = DerivedZM();
    m_.origin = falseM, m_.units = mUnits;
    return S_OK;
}

HRESULT SpatialReference::GetDomain(double* xmin, double* xmax, double* ymin, double* ymax) {
    if (!xmin || !xmax || !ymin || !ymax)
        return E_POINTER;
    *xmin = x_.origin, *xmax = x_.origin + Span(x_);
    *ymin = y_.origin, *ymax = y_.origin + Span(y_);
    return S_OK;
}

HRESULT SpatialReference::SetDomain(double xmin, double xmax, double ymin, double ymax) {
    // One units value serves both axes: the wider range decides it.
    if (!(xmax > xmin) || !(ymax > ymin) || !std::isfinite(xmax - xmin) || !std::isfinite(ymax - ymin))
        return E_INVALIDARG;
    double width = std::max(xmax - xmin, ymax - ymin);
    SetRange(x_, xmin, xmin + width);
    SetRange(y_, ymin, ymin + width);
    return S_OK;
}

HRESULT SpatialReference::GetZDomain(double* zmin, double* zmax) {
    if (!zmin || !zmax)
        return E_POINTER;
    *zmin = z_.origin, *zmax = z_.present ? z_.origin + Span(z_) : 0;
    return S_OK;
}

HRESULT SpatialReference::SetZDomain(double zmin, double zmax) {
    return SetRange(z_, zmin, zmax);
}

HRESULT SpatialReference::GetMDomain(double* mmin, double* mmax) {
    if (!mmin || !mmax)
        return E_POINTER;
    *mmin = m_.origin, *mmax = m_.present ? m_.origin + Span(m_) : 0;
    return S_OK;
}

HRESULT SpatialReference::SetMDomain(double mmin, double mmax) {
    return SetRange(m_, mmin, mmax);
}

HRESULT SpatialReference::get_XYTolerance(double* tolerance) {
    if (!tolerance)
        return E_POINTER;
    *tolerance = x_.tolerance;
    return S_OK;
}

HRESULT SpatialReference::put_XYTolerance(double tolerance) {
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        return E_INVALIDARG;
    x_.tolerance = y_.tolerance = tolerance;
    return S_OK;
}

HRESULT SpatialReference::get_ZTolerance(double* tolerance) {
    if (!tolerance)
        return E_POINTER;
    *tolerance = z_.tolerance;
    return S_OK;
}

HRESULT SpatialReference::put_ZTolerance(double tolerance) {
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        return E_INVALIDARG;
    if (!z_.present)
        z_ = DerivedZM();
    z_.tolerance = tolerance;
    return S_OK;
}

HRESULT SpatialReference::get_MTolerance(double* tolerance) {
    if (!tolerance)
        return E_POINTER;
    *tolerance = m_.tolerance;
    return S_OK;
}

HRESULT SpatialReference::put_MTolerance(double tolerance) {
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        return E_INVALIDARG;
    if (!m_.present)
        m_ = DerivedZM();
    m_.tolerance = tolerance;
    return S_OK;
}

HRESULT SpatialReference::get_IsHighPrecision(VARIANT_BOOL* highPrecision) {
    if (!highPrecision)
        return E_POINTER;
    *highPrecision = ToBool(highPrecision_);
    return S_OK;
}

HRESULT SpatialReference::put_IsHighPrecision(VARIANT_BOOL highPrecision) {
    highPrecision_ = highPrecision != VARIANT_FALSE;
    return S_OK;
}

HRESULT SpatialReference::IsSameCoordinateSystem(ISpatialReference* other, VARIANT_BOOL* same) {
    if (!other || !same)
        return E_POINTER;
    *same = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        BStr wkt;
        if (HRESULT hr = other->ExportToWKT(wkt.Out()); FAILED(hr))
            return hr;
        OGRSpatialReference theirs;
        gdal::ErrorScope quiet;
        if (theirs.importFromWkt(ToUtf8(wkt.view()).c_str()) != OGRERR_NONE)
            return S_OK;
        const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
        *same = ToBool(srs_.IsSame(&theirs, options));
        return S_OK;
    });
}

HRESULT SpatialReference::Clone(ISpatialReference** copy) {
    if (HRESULT hr = ClearOut(copy); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<SpatialReference>(srs_, false, false);
        made->x_ = x_, made->y_ = y_, made->z_ = z_, made->m_ = m_;
        made->highPrecision_ = highPrecision_;
        *copy = made.Detach();
    });
}

namespace {

// Hands out `fact` when `has` is true, else 0 with S_FALSE.
HRESULT UnitFact(bool has, double fact, double* out) {
    if (!out)
        return E_POINTER;
    *out = has ? fact : 0.0;
    return has ? S_OK : S_FALSE;
}

} // namespace

HRESULT SpatialReference::get_MetersPerUnit(double* meters) {
    bool linear = !srs_.IsGeographic() && (srs_.IsProjected() || srs_.IsLocal());
    return UnitFact(linear, linear ? srs_.GetLinearUnits(nullptr) : 0.0, meters);
}

HRESULT SpatialReference::get_RadiansPerUnit(double* radians) {
    bool geographic = srs_.IsGeographic();
    return UnitFact(geographic, geographic ? srs_.GetAngularUnits(nullptr) : 0.0, radians);
}

HRESULT SpatialReference::get_SemiMajorAxis(double* meters) {
    bool geographic = srs_.IsGeographic();
    return UnitFact(geographic, geographic ? srs_.GetSemiMajor(nullptr) : 0.0, meters);
}

HRESULT SpatialReference::get_SemiMinorAxis(double* meters) {
    bool geographic = srs_.IsGeographic();
    return UnitFact(geographic, geographic ? srs_.GetSemiMinor(nullptr) : 0.0, meters);
}

namespace {

HRESULT WriteAxis(IStream* stream, bool present, std::initializer_list<double> values) {
    if (FAILED(AfStreamWrite(stream, int16_t(present ? -1 : 0))))
        return E_FAIL;
    for (double value : values)
        if (FAILED(AfStreamWrite(stream, value)))
            return E_FAIL;
    return S_OK;
}

HRESULT ReadAxis(IStream* stream, bool& present, std::initializer_list<double*> values) {
    int16_t flag = 0;
    if (FAILED(AfStreamRead(stream, &flag)))
        return E_FAIL;
    present = flag != 0;
    for (double* value : values)
        if (FAILED(AfStreamRead(stream, value)) || !std::isfinite(*value))
            return E_FAIL;
    return S_OK;
}

} // namespace

HRESULT SpatialReference::Save(IStream* stream, int32_t) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::string wkt = Export(srs_, "FORMAT=WKT2_2018");
        HRESULT results[] = {
            AfStreamWrite(stream, int16_t{1}),
            WriteString(stream, FromUtf8(wkt)),
            WriteAxis(stream, x_.present, {x_.origin, y_.origin, x_.units, x_.tolerance}),
            WriteAxis(stream, z_.present, {z_.origin, z_.units, z_.tolerance}),
            WriteAxis(stream, m_.present, {m_.origin, m_.units, m_.tolerance}),
            AfStreamWrite(stream, int16_t(highPrecision_ ? -1 : 0)),
        };
        for (HRESULT hr : results)
            if (FAILED(hr))
                return E_FAIL;
        return S_OK;
    });
}

HRESULT SpatialReference::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int16_t version = 0, high = 0;
        String wkt;
        Axis x, y, z, m;
        if (FAILED(AfStreamRead(stream, &version)) || version != 1 || FAILED(ReadString(stream, &wkt)) ||
            FAILED(ReadAxis(stream, x.present, {&x.origin, &y.origin, &x.units, &x.tolerance})) ||
            FAILED(ReadAxis(stream, z.present, {&z.origin, &z.units, &z.tolerance})) ||
            FAILED(ReadAxis(stream, m.present, {&m.origin, &m.units, &m.tolerance})) ||
            FAILED(AfStreamRead(stream, &high)))
            return E_FAIL;
        for (const Axis* axis : {&x, &z, &m})
            if (axis->present && !(axis->units > 0))
                return E_FAIL;
        OGRSpatialReference srs;
        gdal::EnsureInitialized();
        gdal::ErrorScope quiet;
        if (srs.importFromWkt(ToUtf8(wkt).c_str()) != OGRERR_NONE || srs.IsEmpty())
            return E_FAIL;
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        y.units = x.units, y.tolerance = x.tolerance, y.present = x.present;
        srs_ = srs;
        x_ = x, y_ = y, z_ = z, m_ = m;
        highPrecision_ = high != 0;
        return S_OK;
    });
}

HRESULT SpatialReference::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    *size = 2 + 4 + 2 * 8192 + 3 * 2 + 10 * 8 + 2;
    return S_OK;
}

namespace {

// The XML element names of one axis group, in the order their doubles are written.
struct XmlAxisNames {
    const char16_t* names[4];
    size_t count;
};
constexpr XmlAxisNames kXmlXY{{u"XOrigin", u"YOrigin", u"XYScale", u"XYTolerance"}, 4};
constexpr XmlAxisNames kXmlZ{{u"ZOrigin", u"ZScale", u"ZTolerance"}, 3};
constexpr XmlAxisNames kXmlM{{u"MOrigin", u"MScale", u"MTolerance"}, 3};

HRESULT AddAxis(IXMLSerializeData* data, const XmlAxisNames& names, std::initializer_list<double> values) {
    size_t i = 0;
    for (double value : values)
        if (HRESULT hr = data->AddDouble(names.names[i++], value); FAILED(hr))
            return hr;
    return S_OK;
}

// Reads a whole group: true when every element is there and finite; false (and `values` untouched by the caller's
// use) when any is missing; E_FAIL through `bad` when one is there but does not read.
bool ReadXmlAxis(IXMLSerializeData* data, const XmlAxisNames& names, double* values, bool& bad) {
    for (size_t i = 0; i < names.count; ++i) {
        int32_t index = -1;
        data->Find(names.names[i], &index);
        if (index < 0)
            return false;
        if (FAILED(data->GetDouble(index, &values[i])) || !std::isfinite(values[i])) {
            bad = true;
            return false;
        }
    }
    return true;
}

} // namespace

HRESULT SpatialReference::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(kClassName);
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        // The text a projection file would hold, so that the coordinate system's text reads back as it was
        // (WKT2 keeps identifiers on the root only, and the datum's and spheroid's would be lost).
        String wkt = FromUtf8(ReadableWkt(srs_));
        if (HRESULT hr = data->AddString(u"WKT", wkt.c_str()); FAILED(hr))
            return hr;
        HRESULT results[] = {
            x_.present ? AddAxis(data, kXmlXY, {x_.origin, y_.origin, x_.units, x_.tolerance}) : S_OK,
            z_.present ? AddAxis(data, kXmlZ, {z_.origin, z_.units, z_.tolerance}) : S_OK,
            m_.present ? AddAxis(data, kXmlM, {m_.origin, m_.units, m_.tolerance}) : S_OK,
            data->AddBoolean(u"HighPrecision", ToBool(highPrecision_)),
        };
        for (HRESULT hr : results)
            if (FAILED(hr))
                return hr;
        return S_OK;
    });
}

HRESULT SpatialReference::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t index = -1;
        BStr wkt;
        data->Find(u"WKT", &index);
        if (index < 0 || FAILED(data->GetString(index, wkt.Out())))
            return E_FAIL;
        OGRSpatialReference srs;
        gdal::EnsureInitialized();
        {
            gdal::ErrorScope quiet;
            if (srs.importFromWkt(ToUtf8(wkt.view()).c_str()) != OGRERR_NONE || srs.IsEmpty())
                return E_FAIL;
        }
        // A new object derives the XY group for the coordinate system; the document's groups then replace it.
        auto made = MakeObject<SpatialReference>(srs, false, false);
        SpatialReference& read = *made;
        bool bad = false;
        double xy[4], z[3], m[3];
        if (ReadXmlAxis(data, kXmlXY, xy, bad)) {
            read.x_ = {xy[0], xy[2], xy[3], true};
            read.y_ = {xy[1], xy[2], xy[3], true};
        }
        if (ReadXmlAxis(data, kXmlZ, z, bad))
            read.z_ = {z[0], z[1], z[2], true};
        if (ReadXmlAxis(data, kXmlM, m, bad))
            read.m_ = {m[0], m[1], m[2], true};
        for (const Axis* axis : {&read.x_, &read.z_, &read.m_})
            if (axis->present && !(axis->units > 0))
                bad = true;
        if (bad)
            return E_FAIL;
        VARIANT_BOOL high = VARIANT_TRUE;
        index = -1;
        data->Find(u"HighPrecision", &index);
        if (index >= 0 && FAILED(data->GetBoolean(index, &high)))
            return E_FAIL;
        srs_ = read.srs_;
        x_ = read.x_, y_ = read.y_, z_ = read.z_, m_ = read.m_;
        highPrecision_ = high != VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT MakeSpatialReference(const OGRSpatialReference* srs, bool hasZ, bool hasM,
                             ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    if (!srs)
        return S_FALSE;
    return guard([&] { *spatialReference = MakeObject<SpatialReference>(*srs, hasZ, hasM).Detach(); });
}

namespace {

bool IsAllDigits(std::string_view text) {
    return !text.empty() && text.size() < 10 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

HRESULT FromUtf8Text(const std::string& text, ISpatialReference** spatialReference) {
    gdal::EnsureInitialized();
    gdal::ErrorScope quiet;
    OGRSpatialReference srs;
    OGRErr err;
    if (IsAllDigits(text)) {
        err = srs.importFromEPSG(std::atoi(text.c_str()));
    } else {
        // No file reading and no network: the text itself must describe the coordinate system.
        const char* const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
        err = srs.SetFromUserInput(text.c_str(), options);
    }
    if (err != OGRERR_NONE || srs.IsEmpty())
        return E_INVALIDARG;
    return MakeSpatialReference(&srs, false, false, spatialReference);
}

} // namespace

HRESULT CreateSpatialReferenceFromText(std::u16string_view text, ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String trimmed = Trim(text);
        if (trimmed.empty())
            return E_INVALIDARG;
        return FromUtf8Text(ToUtf8(trimmed), spatialReference);
    });
}

HRESULT CreateSpatialReferenceFromPrjFile(std::u16string_view path, ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        gdal::EnsureInitialized();
        if (!gdal::IsLocalPath(path))
            return E_INVALIDARG;
        std::string file = gdal::ToGdalPath(path);
        VSIStatBufL stat;
        if (path.empty() || VSIStatL(file.c_str(), &stat) != 0 || !VSI_ISREG(stat.st_mode))
            return TAVI_E_DATA_NOT_FOUND;
        constexpr vsi_l_offset kLargestPrj = 1 << 20; // a projection file is a line of text
        if (static_cast<vsi_l_offset>(stat.st_size) > kLargestPrj)
            return E_INVALIDARG;
        std::string text(static_cast<size_t>(stat.st_size), '\0');
        std::unique_ptr<VSILFILE, int (*)(VSILFILE*)> handle(VSIFOpenL(file.c_str(), "rb"), VSIFCloseL);
        if (!handle)
            return TAVI_E_DATA_ACCESS_DENIED;
        if (VSIFReadL(text.data(), 1, text.size(), handle.get()) != text.size())
            return TAVI_E_DATA_UNREADABLE;
        String content = Trim(FromUtf8(text));
        if (content.empty())
            return E_INVALIDARG;
        return FromUtf8Text(ToUtf8(content), spatialReference);
    });
}

HRESULT ReadSpatialReferenceElement(IXMLSerializeData* data, const char16_t* name,
                                    ComPtr<ISpatialReference>* spatialReference) {
    *spatialReference = nullptr;
    int32_t index = -1;
    data->Find(name, &index);
    if (index < 0)
        return S_OK;
    ComPtr<IUnknown> object;
    if (FAILED(data->GetObject(index, nullptr, nullptr, object.Out())))
        return E_FAIL;
    *spatialReference = QueryAs<ISpatialReference>(object.Get());
    return object && !*spatialReference ? E_FAIL : S_OK;
}

} // namespace tavi
