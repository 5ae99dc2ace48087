// Unit conversions checked against an independent table of definitions for every pair, exact results where the
// definitions make them exact, and the number helpers (rounding, dates as milliseconds).
#include "TestSupport.h"

#include "host/Numbers.h"
#include "host/Units.h"

#include <cmath>
#include <limits>

namespace tavi {
namespace {

using UnitsTest = test::LeakCheckedTest;

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double kUsFoot = 1200.0L / 3937.0L; // the US survey foot
constexpr long double kIntFoot = 0.3048L;          // the international foot

// Meters per linear unit, from the definitions, indexed by taviUnits.
const long double kMeters[] = {
    0,                      // Unknown
    kUsFoot / 12,           // Inches (US)
    kIntFoot / 12 / 72,     // Points
    kUsFoot,                // Feet (US)
    kUsFoot * 3,            // Yards (US)
    kUsFoot * 5280,         // Miles (US)
    1853.248L,              // NauticalMiles (US)
    0.001L,                 // Millimeters
    0.01L,                  // Centimeters
    1,                      // Meters
    1000,                   // Kilometers
    6378137.0L * kPi / 180, // DecimalDegrees, at the equator
    0.1L,                   // Decimeters
    kIntFoot / 12,          // InchesInt
    kIntFoot,               // FeetInt
    kIntFoot * 3,           // YardsInt
    kIntFoot * 5280,        // MilesInt
    1852,                   // NauticalMilesInt
};

long double Sq(long double x) {
    return x * x;
}

// Square meters per areal unit, indexed by taviAreaUnits.
const long double kSquareMeters[] = {
    0,                    // Unknown
    Sq(kIntFoot / 12),    // SquareInches
    Sq(kIntFoot),         // SquareFeet
    Sq(kIntFoot * 3),     // SquareYards
    43560 * Sq(kIntFoot), // Acres
    Sq(kIntFoot * 5280),  // SquareMiles
    1e-6L,                // SquareMillimeters
    1e-4L,                // SquareCentimeters
    1e-2L,                // SquareDecimeters
    1,                    // SquareMeters
    100,                  // Ares
    10000,                // Hectares
    1e6L,                 // SquareKilometers
    Sq(kUsFoot / 12),     // SquareInchesUS
    Sq(kUsFoot),          // SquareFeetUS
    Sq(kUsFoot * 3),      // SquareYardsUS
    43560 * Sq(kUsFoot),  // AcresUS
    Sq(kUsFoot * 5280),   // SquareMilesUS
    Sq(1852.0L),          // SquareNauticalMiles
    Sq(1853.248L),        // SquareNauticalMilesUS
};

static_assert(std::size(kMeters) == kLinearUnitCount);
static_assert(std::size(kSquareMeters) == kAreaUnitCount);

TEST_F(UnitsTest, EveryPairAgreesWithTheDefinitions) {
    const double value = 123.456;
    for (int32_t from = 1; from < kLinearUnitCount; ++from) {
        for (int32_t to = 1; to < kLinearUnitCount; ++to) {
            SCOPED_TRACE(testing::Message() << "linear " << from << " -> " << to);
            double expected = static_cast<double>(value * kMeters[from] / kMeters[to]);
            double got = ConvertUnits(value, static_cast<taviUnits>(from), static_cast<taviUnits>(to));
            EXPECT_NEAR(got, expected, std::fabs(expected) * 4e-16);
        }
    }
    for (int32_t from = 1; from < kAreaUnitCount; ++from) {
        for (int32_t to = 1; to < kAreaUnitCount; ++to) {
            SCOPED_TRACE(testing::Message() << "areal " << from << " -> " << to);
            double expected = static_cast<double>(value * kSquareMeters[from] / kSquareMeters[to]);
            double got = ConvertArea(value, static_cast<taviAreaUnits>(from), static_cast<taviAreaUnits>(to));
            EXPECT_NEAR(got, expected, std::fabs(expected) * 4e-16);
        }
    }
}

TEST_F(UnitsTest, ExactWhereTheDefinitionsAreExact) {
    struct LinearCase {
        double value;
        taviUnits from, to;
        double expected;
    };
    const LinearCase linear[] = {
        {12, taviUnits::InchesInt, taviUnits::FeetInt, 1},
        {1, taviUnits::MilesInt, taviUnits::Meters, 1609.344},
        {3937, taviUnits::Feet, taviUnits::Meters, 1200}, // the US survey foot's definition
        {1, taviUnits::Miles, taviUnits::Feet, 5280},
        {72, taviUnits::Points, taviUnits::InchesInt, 1},
        {1, taviUnits::NauticalMilesInt, taviUnits::Meters, 1852},
        {1, taviUnits::Kilometers, taviUnits::Millimeters, 1e6},
        {0.3048, taviUnits::Meters, taviUnits::FeetInt, 1},
        {1, taviUnits::InchesInt, taviUnits::Meters, 0.0254},
        {1, taviUnits::Feet, taviUnits::Meters, 1200.0 / 3937.0}, // the nearest double to the exact quotient
        {1, taviUnits::Miles, taviUnits::Meters, 6336000.0 / 3937.0},
        {3, taviUnits::MilesInt, taviUnits::YardsInt, 5280},
    };
    for (const auto& c : linear) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.from) << " -> " << static_cast<int>(c.to));
        EXPECT_EQ(ConvertUnits(c.value, c.from, c.to), c.expected);
    }
    EXPECT_EQ(ConvertArea(1, taviAreaUnits::Acres, taviAreaUnits::SquareMeters), 4046.8564224);
    EXPECT_EQ(ConvertArea(640, taviAreaUnits::Acres, taviAreaUnits::SquareMiles), 1);
    EXPECT_EQ(ConvertArea(640, taviAreaUnits::AcresUS, taviAreaUnits::SquareMilesUS), 1);
    EXPECT_EQ(ConvertArea(1, taviAreaUnits::Hectares, taviAreaUnits::Ares), 100);
    EXPECT_EQ(ConvertArea(144, taviAreaUnits::SquareInches, taviAreaUnits::SquareFeet), 1);
    EXPECT_EQ(ConvertArea(1, taviAreaUnits::SquareFeetUS, taviAreaUnits::SquareMeters), 1440000.0 / 15499969.0);
    EXPECT_EQ(ConvertArea(1, taviAreaUnits::SquareNauticalMiles, taviAreaUnits::SquareMeters), 3429904);
}

TEST_F(UnitsTest, UnknownConvertsOnlyToItself) {
    double result = -1;
    EXPECT_TRUE(TryConvertUnits(5, taviUnits::Unknown, taviUnits::Unknown, &result));
    EXPECT_EQ(result, 5);
    // Unknown or an out-of-range number on either side: no conversion, the value comes back unchanged.
    const taviUnits noUnits[] = {taviUnits::Unknown, static_cast<taviUnits>(18), static_cast<taviUnits>(-1)};
    for (taviUnits other : noUnits) {
        EXPECT_FALSE(TryConvertUnits(5, other, taviUnits::Meters, &result));
        EXPECT_EQ(result, 5);
        EXPECT_FALSE(TryConvertUnits(5, taviUnits::Meters, other, &result));
        EXPECT_EQ(ConvertUnits(5, taviUnits::Feet, other), 5);
    }
    EXPECT_FALSE(TryConvertArea(5, taviAreaUnits::Unknown, taviAreaUnits::Acres, &result));
    EXPECT_EQ(ConvertArea(5, taviAreaUnits::Acres, static_cast<taviAreaUnits>(20)), 5);
    EXPECT_EQ(MetersPerUnit(taviUnits::Unknown), 0);
    EXPECT_EQ(SquareMetersPerUnit(taviAreaUnits::Hectares), 10000);
}

TEST_F(UnitsTest, RoundsHalfAwayFromZeroOnTheDecimalForm) {
    struct Case {
        double value;
        int32_t digits;
        double expected;
    };
    const Case cases[] = {
        {2.5, 0, 3},
        {-2.5, 0, -3}, // halves go away from zero
        {1.005, 2, 1.01},
        {2.675, 2, 2.68}, // written halves round up though the double lies below
        {1.004999, 2, 1},
        {0.125, 2, 0.13}, //
        {-0.125, 2, -0.13},
        {9.995, 2, 10}, // a carry through every digit
        {1234.5, -2, 1200},
        {1250, -2, 1300}, // negative digits round to hundreds
        {0.4, 0, 0},
        {0.04, 0, 0},           // below half of the place
        {123.456, 10, 123.456}, // nothing below the place
        {1e300, 2, 1e300},
        {5e-324, 2, 0}, //
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " to " << c.digits);
        EXPECT_EQ(GetRounded(c.value, c.digits), c.expected);
    }
    EXPECT_TRUE(std::isnan(GetRounded(std::nan(""), 2)));
    EXPECT_EQ(GetRounded(-std::numeric_limits<double>::infinity(), 2), -std::numeric_limits<double>::infinity());
}

TEST_F(UnitsTest, DatesBecomeMillisecondsSince1970) {
    struct Case {
        DATE date;
        double ms;
    };
    const Case cases[] = {
        {25569.0, 0},                                    // 1970-01-01
        {25569.5, 43200000},                             // noon
        {25570.0, 86400000},                             //
        {0.0, -2209161600000.0},                         // 1899-12-30
        {-1.25, -2209161600000.0 - 86400000 + 21600000}, // 1899-12-29 06:00: the fraction is the time of day
        {45000.0 + 1.0 / 86400, (45000.0 - 25569) * 86400000 + 1000}, // one second past midnight, rounded
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        EXPECT_EQ(ConvertToJStime(c.date), c.ms);
    }
}

} // namespace
} // namespace tavi
