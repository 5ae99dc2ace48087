// Test data made with GDAL at run time: a temporary folder (its name has a blank and a non-ASCII letter) holding
// small feature classes of each shape type with typed fields, a table, a raster and a projection file. The folder
// is removed when the maker goes away. Nothing is downloaded.
#pragma once

#include "data/GdalDataset.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavi::test {

// One feature: its geometry as well-known text (empty for a table row) and the attribute values the typed fields
// get (NAME, COUNT, VALUE, WHEN).
struct TestFeature {
    std::string wkt;
    std::string name;
    int count;
    double value;
    int year, month, day;
};

class TestData {
public:
    TestData() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavi data \xC3\xB6-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        root_ = pattern;
        GDALAllRegister();
    }
    ~TestData() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TestData(const TestData&) = delete;
    TestData& operator=(const TestData&) = delete;

    // The UTF-8 path of `relative` inside the folder.
    std::string Path(const std::string& relative = {}) const {
        return relative.empty() ? root_.string() : (root_ / relative).string();
    }

    // Creates (or adds a layer to) a vector dataset with the typed fields NAME (text, 32), COUNT (integer),
    // VALUE (real, 12.3) and WHEN (date). `geometry` wkbNone makes a table. `epsg` 0 writes no coordinate system.
    void Vector(const std::string& driverName, const std::string& relative, const std::string& layerName,
                OGRwkbGeometryType geometry, int epsg, const std::vector<TestFeature>& features,
                const std::vector<std::string>& layerOptions = {}) const {
        std::string path = Path(relative);
        GDALDataset* dataset = nullptr;
        if (std::filesystem::exists(path))
            dataset = GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE);
        else
            dataset = Driver(driverName)->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        if (!dataset)
            throw std::runtime_error("cannot create " + path);
        OGRSpatialReference srs;
        if (epsg) {
            srs.importFromEPSG(epsg);
            srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        }
        std::vector<const char*> options;
        for (const auto& option : layerOptions)
            options.push_back(option.c_str());
        options.push_back(nullptr);
        OGRLayer* layer = dataset->CreateLayer(layerName.c_str(), epsg ? &srs : nullptr, geometry,
                                               const_cast<char**>(options.data()));
        if (!layer)
            throw std::runtime_error("cannot create layer " + layerName);
        AddTypedFields(*layer);
        for (const auto& f : features)
            AddFeature(*layer, f);
        GDALClose(dataset);
    }

    // A raster of `columns` x `rows` cells of size `cell`, upper left corner at (x, y), one byte band.
    void Raster(const std::string& relative, int columns, int rows, double cell, double x, double y, int epsg) const {
        std::string path = Path(relative);
        GDALDataset* dataset = Driver("GTiff")->Create(path.c_str(), columns, rows, 1, GDT_Byte, nullptr);
        if (!dataset)
            throw std::runtime_error("cannot create " + path);
        double transform[6] = {x, cell, 0, y, 0, -cell};
        dataset->SetGeoTransform(transform);
        OGRSpatialReference srs;
        srs.importFromEPSG(epsg);
        dataset->SetSpatialRef(&srs);
        GDALClose(dataset);
    }

    // A raster table `table` in a GeoPackage (created, or added to one that exists), otherwise as Raster.
    void GeoPackageRaster(const std::string& relative, const std::string& table, int columns, int rows, double cell,
                          double x, double y, int epsg) const {
        std::string path = Path(relative);
        std::string tableOption = "RASTER_TABLE=" + table;
        const char* options[] = {tableOption.c_str(), "APPEND_SUBDATASET=YES", nullptr};
        GDALDataset* dataset =
            Driver("GPKG")->Create(path.c_str(), columns, rows, 1, GDT_Byte, const_cast<char**>(options));
        if (!dataset)
            throw std::runtime_error("cannot create " + path);
        double transform[6] = {x, cell, 0, y, 0, -cell};
        dataset->SetGeoTransform(transform);
        OGRSpatialReference srs;
        srs.importFromEPSG(epsg);
        dataset->SetSpatialRef(&srs);
        GDALClose(dataset);
    }

    // A projection file holding the coordinate system as well-known text.
    void Prj(const std::string& relative, int epsg) const {
        OGRSpatialReference srs;
        srs.importFromEPSG(epsg);
        char* wkt = nullptr;
        srs.exportToWkt(&wkt);
        File(relative, wkt);
        CPLFree(wkt);
    }

    // A plain file with `content`.
    void File(const std::string& relative, const std::string& content) const {
        std::ofstream out(Path(relative), std::ios::binary);
        out << content;
    }

private:
    // A driver by its name, or by the extension of the files it writes ("shp").
    static GDALDriver* Driver(const std::string& name) {
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(name.c_str());
        if (!driver)
            driver = tavi::gdal::VectorDriverForExtension(name);
        if (!driver)
            throw std::runtime_error("no driver " + name);
        return driver;
    }

    static void AddTypedFields(OGRLayer& layer) {
        OGRFieldDefn name("NAME", OFTString);
        name.SetWidth(32);
        OGRFieldDefn count("COUNT", OFTInteger);
        OGRFieldDefn value("VALUE", OFTReal);
        value.SetWidth(12);
        value.SetPrecision(3);
        OGRFieldDefn when("WHEN", OFTDate);
        for (OGRFieldDefn* field : {&name, &count, &value, &when})
            layer.CreateField(field);
    }

    static void AddFeature(OGRLayer& layer, const TestFeature& f) {
        OGRFeature feature(layer.GetLayerDefn());
        feature.SetField("NAME", f.name.c_str());
        feature.SetField("COUNT", f.count);
        feature.SetField("VALUE", f.value);
        feature.SetField("WHEN", f.year, f.month, f.day);
        if (!f.wkt.empty()) {
            OGRGeometry* geometry = nullptr;
            OGRGeometryFactory::createFromWkt(f.wkt.c_str(), nullptr, &geometry);
            feature.SetGeometryDirectly(geometry);
        }
        if (layer.CreateFeature(&feature) != OGRERR_NONE)
            throw std::runtime_error("cannot add a feature");
    }

    std::filesystem::path root_;
};

} // namespace tavi::test
