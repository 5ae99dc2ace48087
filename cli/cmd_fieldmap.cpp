// `tavigp fieldmap`: the field mapping that AddTable builds from tables named by catalog path, as its text form or
// as JSON.
#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "tavi/Entry.h"
#include "tavi/GPFieldMapping.h"
#include "tavi/GPUtilities.h"

#include <iostream>

namespace tavigp {
namespace {

using tavi::BStr;
using tavi::ComPtr;
using tavi::QueryAs;

int Fail(const std::string& subject, HRESULT hr) {
    std::cerr << "tavigp fieldmap: " << subject << ": " << HrTextAndName(hr) << "\n";
    return kExitFailure;
}

template <class I> std::string Text(I* object, HRESULT (I::*getter)(BSTR*)) {
    BStr text;
    return object && SUCCEEDED((object->*getter)(text.Out())) ? Narrow(text.view()) : std::string();
}

Json DescribeField(IField* field) {
    int32_t type = 0, length = 0, precision = 0, scale = 0;
    VARIANT_BOOL nullable = VARIANT_FALSE;
    field->get_Type(&type);
    field->get_Length(&length);
    field->get_Precision(&precision);
    field->get_Scale(&scale);
    field->get_IsNullable(&nullable);
    return Json{{"name", Text(field, &IField::get_Name)},
                {"alias", Text(field, &IField::get_AliasName)},
                {"type", type},
                {"length", length},
                {"precision", precision},
                {"scale", scale},
                {"nullable", nullable != VARIANT_FALSE}};
}

Json DescribeMap(IGPFieldMap* map) {
    ComPtr<IField> output;
    int32_t rule = 0, count = 0;
    map->get_OutputField(output.Out());
    map->get_MergeRule(&rule);
    map->get_InputFieldCount(&count);
    Json inputs = Json::array();
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        ComPtr<IDEGdbTable7> table;
        int32_t start = -1, end = -1, tableIndex = -1;
        map->get_InputField(i, field.Out());
        map->get_InputTable(i, table.Out());
        map->GetTextPositions(i, &start, &end);
        map->get_InputTableIndex(i, &tableIndex);
        auto element = QueryAs<IDataElement>(table.Get());
        inputs.push_back({{"table", Text(element.Get(), &IDataElement::get_CatalogPath)},
                          {"tableIndex", tableIndex},
                          {"field", Text(field.Get(), &IField::get_Name)},
                          {"start", start},
                          {"end", end}});
    }
    return Json{{"output", output ? DescribeField(output.Get()) : Json()},
                {"mergeRule", rule},
                {"joinDelimiter", Text(map, &IGPFieldMap::get_JoinDelimiter)},
                {"inputs", std::move(inputs)}};
}

Json DescribeMapping(IGPFieldMapping* mapping, const std::vector<std::string>& paths) {
    int32_t count = 0;
    mapping->get_FieldMapCount(&count);
    Json maps = Json::array();
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPFieldMap> map;
        if (SUCCEEDED(mapping->GetFieldMap(i, map.Out())))
            maps.push_back(DescribeMap(map.Get()));
    }
    auto value = QueryAs<IGPValue>(mapping);
    return Json{{"tables", paths}, {"fieldMaps", std::move(maps)}, {"text", Text(value.Get(), &IGPValue::GetAsText)}};
}

int BuildMapping(const std::vector<std::string>& paths, bool json) {
    ComPtr<IUnknown> object, mappingObject;
    HRESULT hr = CreateObject(GuidToText(CLSID_GPUtilities), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    auto utilities = QueryAs<IGPUtilities>(object.Get());
    if (FAILED(hr) || !utilities)
        return Fail("cannot create the utility object", FAILED(hr) ? hr : E_NOINTERFACE);
    hr = CreateObject(GuidToText(CLSID_GPFieldMapping), &mappingObject).value_or(CLASS_E_CLASSNOTAVAILABLE);
    auto mapping = QueryAs<IGPFieldMapping>(mappingObject.Get());
    if (FAILED(hr) || !mapping)
        return Fail("cannot create a field mapping", FAILED(hr) ? hr : E_NOINTERFACE);
    for (const std::string& path : paths) {
        ComPtr<IDataElement> element;
        std::u16string widePath = Widen(path);
        if (hr = utilities->OpenDataElementFromText(widePath.c_str(), element.Out()); FAILED(hr) || !element)
            return Fail(path, FAILED(hr) ? hr : E_FAIL);
        auto table = QueryAs<IDEGdbTable7>(element.Get());
        if (!table)
            return Fail(path + " is no table", E_NOINTERFACE);
        if (hr = mapping->AddTable(table.Get()); FAILED(hr))
            return Fail(path, hr);
    }
    if (json) {
        std::cout << DescribeMapping(mapping.Get(), paths).dump() << "\n";
    } else {
        auto value = QueryAs<IGPValue>(mapping.Get());
        std::cout << Text(value.Get(), &IGPValue::GetAsText) << "\n";
    }
    return kExitOk;
}

int RunFieldMap(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-' && arg != "--")
            throw UsageError("unknown option '" + arg + "'");
        else if (arg != "--")
            paths.push_back(arg);
    }
    if (paths.empty())
        throw UsageError("at least one table path is required");
    int status = BuildMapping(paths, json);
    DllCanUnloadNow(); // lets the thread's utility object go
    return status;
}

const Command kFieldMap{
    "fieldmap",
    "print the field mapping built from tables",
    "usage: tavigp fieldmap TABLE... [--json]\n"
    "\n"
    "Opens each TABLE (a shapefile, a table or feature class in a GeoPackage or file geodatabase such as\n"
    "city.gpkg/roads, a CSV or GeoJSON file) and adds it to a new field mapping, in order: fields of the same name\n"
    "feed one output field (its length the longest input's), a field that cannot join its namesake (a Blob meeting\n"
    "another type) gets a numbered name, and identifier and shape fields are left to the output table.\n"
    "\n"
    "Prints the mapping's text form on one line, as tools take it. With --json prints one JSON object on one line:\n"
    "tables (the paths given), fieldMaps (each with output: name, alias, type code, length, precision, scale,\n"
    "nullable; mergeRule code; joinDelimiter; inputs: table, tableIndex, field, start, end) and text.\n"
    "\n"
    "Exit status 0; 1 when a path names no table or it cannot be read ('tavigp fieldmap: PATH: ...' on standard\n"
    "error); 2 for a wrong command line.\n",
    &RunFieldMap,
};
const CommandRegistration kRegistration{kFieldMap};

} // namespace
} // namespace tavigp
