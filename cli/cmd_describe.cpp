// `tavigp describe`: what the data at a catalog path is, read through the utility object's data operations.
#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "tavi/DataAccess.h"
#include "tavi/Entry.h"
#include "tavi/GPUtilities.h"

#include <array>
#include <iostream>

namespace tavigp {
namespace {

using tavi::BStr;
using tavi::ComPtr;
using tavi::QueryAs;

// Words for the codes of opening data, which people meet most.
std::string Explain(HRESULT hr) {
    switch (hr) {
    case TAVI_E_DATA_NOT_FOUND:
        return "no data at this path";
    case TAVI_E_DATA_UNREADABLE:
        return "cannot be read as data";
    case TAVI_E_DATA_ACCESS_DENIED:
        return "access denied";
    case E_INVALIDARG:
        return "not a catalog path";
    default:
        return HrText(hr);
    }
}

// Reports a failure the way every command does: the subject, what went wrong and the code's name.
int Fail(const std::string& subject, HRESULT hr) {
    std::string_view name = HrName(hr);
    std::cerr << "tavigp describe: " << subject << ": " << Explain(hr)
              << (name.empty() ? "" : " (" + std::string(name) + ")") << "\n";
    return kExitFailure;
}

template <class I> std::string Text(I* object, HRESULT (I::*getter)(BSTR*)) {
    BStr text;
    return SUCCEEDED((object->*getter)(text.Out())) ? Narrow(text.view()) : std::string();
}

template <class I> bool Flag(I* object, HRESULT (I::*getter)(VARIANT_BOOL*)) {
    VARIANT_BOOL value = VARIANT_FALSE;
    return SUCCEEDED((object->*getter)(&value)) && value != VARIANT_FALSE;
}

std::string FieldTypeName(int32_t type) {
    static constexpr std::array<const char*, 14> kNames{"SmallInteger", "Integer",  "Single",   "Double",    "String",
                                                        "Date",         "OID",      "Geometry", "Blob",      "Raster",
                                                        "GUID",         "GlobalID", "XML",      "BigInteger"};
    return type >= 0 && type < static_cast<int32_t>(kNames.size()) ? kNames[type] : std::to_string(type);
}

std::string ShapeTypeName(int32_t type) {
    switch (type) {
    case taviGeometryPoint:
        return "Point";
    case taviGeometryMultipoint:
        return "Multipoint";
    case taviGeometryPolyline:
        return "Polyline";
    case taviGeometryPolygon:
        return "Polygon";
    case taviGeometryMultiPatch:
        return "MultiPatch";
    default:
        return "Unknown";
    }
}

Json DescribeFields(IFields* fields) {
    Json list = Json::array();
    int32_t count = 0;
    fields->get_FieldCount(&count);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        if (FAILED(fields->get_Field(i, field.Out())) || !field)
            continue;
        int32_t type = 0, length = 0;
        field->get_Type(&type);
        field->get_Length(&length);
        list.push_back({{"name", Text(field.Get(), &IField::get_Name)},
                        {"type", FieldTypeName(type)},
                        {"length", length},
                        {"nullable", Flag(field.Get(), &IField::get_IsNullable)}});
    }
    return list;
}

Json DescribeSpatialReference(ISpatialReference* sr) {
    int32_t code = 0;
    sr->get_FactoryCode(&code);
    Json out{{"name", Text(sr, &ISpatialReference::get_Name)}};
    // A coordinate system without an authority code is only identified by its full definition.
    if (code)
        out["code"] = code;
    else
        out["wkt"] = Text(sr, &ISpatialReference::ExportToWKT);
    return out;
}

Json DescribeChildren(IDataElement* element) {
    Json list = Json::array();
    ComPtr<IArray> children;
    if (FAILED(element->get_Children(children.Out())) || !children)
        return list;
    int32_t count = 0;
    children->get_Count(&count);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> child;
        children->get_Element(i, child.Out());
        if (auto childElement = QueryAs<IDataElement>(child.Get()))
            list.push_back({{"name", Text(childElement.Get(), &IDataElement::get_Name)},
                            {"kind", Text(childElement.Get(), &IDataElement::get_Type)}});
    }
    return list;
}

// Everything describe reports about an opened element, in the order it is printed.
Json Describe(IGPUtilities* utilities, IDataElement* element) {
    Json out{{"kind", Text(element, &IDataElement::get_Type)},
             {"name", Text(element, &IDataElement::get_Name)},
             {"catalogPath", Text(element, &IDataElement::get_CatalogPath)}};
    if (auto featureClass = QueryAs<IFeatureClass>(element)) {
        int32_t shapeType = 0;
        featureClass->get_ShapeType(&shapeType);
        out["shapeType"] = ShapeTypeName(shapeType);
        out["hasZ"] = Flag(featureClass.Get(), &IFeatureClass::get_HasZ);
        out["hasM"] = Flag(featureClass.Get(), &IFeatureClass::get_HasM);
    }
    if (ComPtr<IFields> fields; utilities->GetFieldsWithRaster(element, fields.Out()) == S_OK && fields)
        out["fields"] = DescribeFields(fields.Get());
    if (ComPtr<IEnvelope> extent; utilities->GetExtent(element, extent.Out()) == S_OK && extent) {
        double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
        if (Flag(extent.Get(), &IEnvelope::get_IsEmpty) || FAILED(extent->QueryCoords(&xmin, &ymin, &xmax, &ymax)))
            out["extent"] = nullptr;
        else
            out["extent"] = {{"xmin", xmin}, {"ymin", ymin}, {"xmax", xmax}, {"ymax", ymax}};
    }
    if (ComPtr<ISpatialReference> sr; utilities->GetSpatialReference(element, sr.Out()) == S_OK && sr)
        out["spatialReference"] = DescribeSpatialReference(sr.Get());
    if (QueryAs<IDEWorkspace>(element))
        out["children"] = DescribeChildren(element);
    return out;
}

std::string Plain(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.is_boolean() ? (value ? "yes" : "no") : value.dump();
}

void PrintPlain(const Json& d) {
    std::cout << "kind: " << Plain(d["kind"]) << "\nname: " << Plain(d["name"])
              << "\ncatalog path: " << Plain(d["catalogPath"]) << "\n";
    if (d.contains("shapeType"))
        std::cout << "shape type: " << Plain(d["shapeType"]) << "\nhas Z: " << Plain(d["hasZ"])
                  << "\nhas M: " << Plain(d["hasM"]) << "\n";
    if (d.contains("extent")) {
        const Json& e = d["extent"];
        std::cout << "extent: "
                  << (e.is_null()
                          ? "empty"
                          : Plain(e["xmin"]) + " " + Plain(e["ymin"]) + " " + Plain(e["xmax"]) + " " + Plain(e["ymax"]))
                  << "\n";
    }
    if (d.contains("spatialReference")) {
        const Json& sr = d["spatialReference"];
        std::cout << "spatial reference: " << Plain(sr["name"])
                  << (sr.contains("code") ? " (" + Plain(sr["code"]) + ")"
                                          : "\nspatial reference WKT: " + Plain(sr["wkt"]))
                  << "\n";
    }
    if (d.contains("fields")) {
        std::cout << "fields:\n";
        for (const auto& f : d["fields"])
            std::cout << "  " << Plain(f["name"]) << '\t' << Plain(f["type"]) << '\t' << Plain(f["length"]) << '\t'
                      << (f["nullable"].get<bool>() ? "nullable" : "not nullable") << "\n";
    }
    if (d.contains("children")) {
        std::cout << "children:\n";
        for (const auto& c : d["children"])
            std::cout << "  " << Plain(c["kind"]) << '\t' << Plain(c["name"]) << "\n";
    }
}

int DescribePath(const std::string& path, bool json) {
    ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(CLSID_GPUtilities), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    auto utilities = QueryAs<IGPUtilities>(object.Get());
    if (FAILED(hr) || !utilities)
        return Fail("cannot create the utility object", FAILED(hr) ? hr : E_NOINTERFACE);
    ComPtr<IDataElement> element;
    std::u16string widePath = Widen(path);
    if (hr = utilities->OpenDataElementFromText(widePath.c_str(), element.Out()); FAILED(hr) || !element)
        return Fail(path, FAILED(hr) ? hr : E_FAIL);
    Json description = Describe(utilities.Get(), element.Get());
    if (json)
        std::cout << description.dump() << "\n";
    else
        PrintPlain(description);
    return kExitOk;
}

int RunDescribe(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-' && arg != "--")
            throw UsageError("unknown option '" + arg + "'");
        else
            paths.push_back(arg);
    }
    if (paths.size() != 1)
        throw UsageError(paths.empty() ? "a path is required" : "only one path is described at a time");
    int status = DescribePath(paths.front(), json);
    DllCanUnloadNow(); // lets the thread's utility object go
    return status;
}

const Command kDescribe{
    "describe",
    "describe the data at a catalog path",
    "usage: tavigp describe PATH [--json]\n"
    "\n"
    "Opens the data PATH names (a folder, a file, a shapefile, a GeoPackage or a dataset inside it such as\n"
    "city.gpkg/roads, a raster, the memory workspace in_memory) and prints what it is:\n"
    "\n"
    "  kind               DEFolder, DEFile, DEWorkspace, DETable, DEFeatureClass or DERasterDataset\n"
    "  name, catalog path the element's name and its full catalog path\n"
    "  shape type, Z, M   for a feature class\n"
    "  extent             xmin ymin xmax ymax, for feature classes and rasters ('empty' without features)\n"
    "  spatial reference  its name and authority code, or its WKT when it has no code\n"
    "  fields             name, type, length and nullability, one per line (a raster shows its raster field)\n"
    "  children           kind and name of each dataset or file in a folder or workspace\n"
    "\n"
    "With --json the same facts are printed as one JSON object on one line, with the keys kind, name,\n"
    "catalogPath, shapeType, hasZ, hasM, extent, spatialReference (name, and code or wkt), fields and children;\n"
    "keys that do not apply to the kind are left out.\n"
    "\n"
    "Exit status 0; 1 when the path names no data or the data cannot be read ('tavigp describe: PATH: ...' on\n"
    "standard error); 2 for a wrong command line.\n",
    &RunDescribe,
};
const CommandRegistration kRegistration{kDescribe};

} // namespace
} // namespace tavigp
