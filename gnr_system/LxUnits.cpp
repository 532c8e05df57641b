// Measurement unit tables, lookup and conversion.
#include "gnr_system/LxUnits.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "w32_system/LxWideCrt.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

struct SUnitRow {
    const char16_t* name;
    const char16_t* shortName;
    const char16_t* longName;
    int type;
    double microns; // microns per unit; 1 for anything that is not a length
};

// Indexed by unit id. The names are the stored names of calibrations and are
// not translated.
constexpr SUnitRow kUnits[LX_UNIT_COUNT] = {
    {u"pixels", u"px", u"Pixels", LX_UNITTYPE_LENGTH, 1},
    {u"nm", u"nm", u"Nanometers", LX_UNITTYPE_LENGTH, 0.001},
    {u"\u00B5m", u"\u00B5m", u"Micrometers", LX_UNITTYPE_LENGTH, 1},
    {u"mm", u"mm", u"Millimeters", LX_UNITTYPE_LENGTH, 1000},
    {u"cm", u"cm", u"Centimeters", LX_UNITTYPE_LENGTH, 10000},
    {u"dm", u"dm", u"Decimeters", LX_UNITTYPE_LENGTH, 100000},
    {u"m", u"m", u"Meters", LX_UNITTYPE_LENGTH, 1e6},
    {u"km", u"km", u"Kilometers", LX_UNITTYPE_LENGTH, 1e9},
    {u"mil", u"mil", u"Mils", LX_UNITTYPE_LENGTH, 25.4},
    {u"inch", u"in", u"Inches", LX_UNITTYPE_LENGTH, 25400},
    {u"unknown", u"??", u"Unknown", LX_UNITTYPE_NONE, 1},
    {u"deg", u"deg", u"Degrees", LX_UNITTYPE_ANGLE, 1},
    {u"rad", u"rad", u"Radians", LX_UNITTYPE_ANGLE, 1},
    {u"grad", u"grad", u"grad", LX_UNITTYPE_ANGLE, 1},
    {u"hour", u"h", u"Hours", LX_UNITTYPE_TIME, 1},
    {u"min", u"m", u"Minutes", LX_UNITTYPE_TIME, 1},
    {u"s", u"s", u"Seconds", LX_UNITTYPE_TIME, 1},
    {u"ms", u"ms", u"Milliseconds", LX_UNITTYPE_TIME, 1},
    {u"\u00B5s", u"\u00B5s", u"Microseconds", LX_UNITTYPE_TIME, 1},
    {u"ns", u"ns", u"Nanoseconds", LX_UNITTYPE_TIME, 1},
    {u"val", u"", u"Value", LX_UNITTYPE_VALUE, 1},
    {u"percent", u"%", u"Percents", LX_UNITTYPE_VALUE, 1},
    {u"celsius", u"\u00B0C", u"Degrees Celsius", LX_UNITTYPE_TEMPERATURE, 1},
    {u"kelvin", u"K", u"Kelvins", LX_UNITTYPE_TEMPERATURE, 1},
    {u"fahrenheit", u"\u00B0F", u"Degrees Fahrenheit", LX_UNITTYPE_TEMPERATURE, 1},
};

struct SUnitTypeRow {
    int count; // units offered
    int first; // id of unit 0; the fixed answer when count is 0
    int defaultUnit;
    const char16_t* suffix; // appended to names of area and volume units
};

constexpr SUnitTypeRow kUnitTypes[] = {
    {0, LX_UNIT_UNKNOWN, LX_UNIT_UNKNOWN, nullptr}, // none
    {10, LX_UNIT_PIXELS, LX_UNIT_UM, nullptr},      // length
    {10, LX_UNIT_PIXELS, LX_UNIT_UM, u"2"},         // area
    {10, LX_UNIT_PIXELS, LX_UNIT_UM, u"3"},         // volume
    {3, LX_UNIT_DEG, LX_UNIT_DEG, nullptr},         // angle
    {1, LX_UNIT_NM, LX_UNIT_NM, nullptr},           // wavelength
    {6, LX_UNIT_HOUR, LX_UNIT_S, nullptr},          // time
    {2, LX_UNIT_VALUE, LX_UNIT_PERCENT, nullptr},   // value
    {3, LX_UNIT_CELSIUS, LX_UNIT_CELSIUS, nullptr}, // temperature
    {0, LX_UNIT_UNKNOWN, LX_UNIT_UNKNOWN, nullptr}, // reserved
};
constexpr int kUnitTypeCount = int(sizeof kUnitTypes / sizeof kUnitTypes[0]);
constexpr SUnitTypeRow kOtherUnitType = {0, LX_UNIT_PIXELS, LX_UNIT_UNKNOWN, nullptr};

const SUnitRow& UnitRow(int id)
{
    return kUnits[id >= 0 && id < LX_UNIT_COUNT ? id : LX_UNIT_UNKNOWN];
}

const SUnitTypeRow& UnitTypeRow(int type)
{
    return type >= 0 && type < kUnitTypeCount ? kUnitTypes[type] : kOtherUnitType;
}

// Long enough for the longest name plus a suffix.
constexpr size_t kNameBufferUnits = 40;

// Area and volume names are built per thread, so callers on different
// threads do not overwrite each other's result.
const char16_t* NameWithSuffix(int type, const char16_t* name, char16_t (&buffer)[kNameBufferUnits])
{
    const char16_t* suffix = UnitTypeRow(type).suffix;
    if (!suffix)
        return name;
    size_t n = lx_wcsncpyz(buffer, name, kNameBufferUnits);
    lx_wcsncpyz(buffer + n, suffix, kNameBufferUnits - n);
    return buffer;
}

bool NameMatches(const char16_t* name, const char16_t* text, size_t length)
{
    return lx_wcslen(name) == length && lx_wcsnicmp(name, text, length) == 0;
}

// Get_Unit_ID over the first `length` units of text, so that a suffix can be
// left out without copying the text.
int FindUnitId(const char16_t* text, size_t length)
{
    if (NameMatches(u"um", text, length))
        return LX_UNIT_UM;
    for (int id = LX_UNIT_PIXELS; id <= LX_UNIT_INCH; ++id)
        if (NameMatches(kUnits[id].name, text, length))
            return id;
    for (int id = LX_UNIT_DEG; id < LX_UNIT_COUNT; ++id)
        if (NameMatches(kUnits[id].name, text, length))
            return id;
    for (int id = LX_UNIT_PIXELS; id <= LX_UNIT_INCH; ++id)
        if (NameMatches(kUnits[id].shortName, text, length))
            return id;
    for (int id = LX_UNIT_PIXELS; id <= LX_UNIT_INCH; ++id)
        if (NameMatches(kUnits[id].longName, text, length))
            return id;
    for (int id = LX_UNIT_DEG; id < LX_UNIT_COUNT; ++id)
        if (NameMatches(kUnits[id].shortName, text, length) ||
            NameMatches(kUnits[id].longName, text, length))
            return id;
    return LX_UNIT_UNKNOWN;
}

double LengthFactor(int id)
{
    return id == LX_UNIT_PIXELS ? std::numeric_limits<double>::quiet_NaN() : HowManyMicronsAmI(id);
}

double AngleFactor(int id)
{
    switch (id) {
    case LX_UNIT_DEG:
        return 0.017453292519943334;
    case LX_UNIT_GRAD:
        return 0.015707963267949;
    default:
        return 1;
    }
}

// Seconds per unit, so that a conversion gives the physical result.
double TimeFactor(int id)
{
    switch (id) {
    case LX_UNIT_HOUR:
        return 3600;
    case LX_UNIT_MIN:
        return 60;
    case LX_UNIT_MS:
        return 0.001;
    case LX_UNIT_US:
        return 1e-6;
    case LX_UNIT_NS:
        return 1e-9;
    default:
        return 1;
    }
}

double ConvertTemperature(double value, int from, int to)
{
    double celsius = value;
    if (from == LX_UNIT_KELVIN)
        celsius = value - 273.15;
    else if (from == LX_UNIT_FAHRENHEIT)
        celsius = (value - 32) * 0.5555555555555556;
    if (to == LX_UNIT_KELVIN)
        return celsius + 273.15;
    if (to == LX_UNIT_FAHRENHEIT)
        return celsius * 1.8 + 32;
    return celsius;
}

struct SScaleCandidate {
    int unit;
    int exponent; // log10 of microns per unit, rounded
};

constexpr SScaleCandidate kMetricScales[] = {{LX_UNIT_NM, -3}, {LX_UNIT_UM, 0}, {LX_UNIT_MM, 3},
                                             {LX_UNIT_CM, 4},  {LX_UNIT_DM, 5}, {LX_UNIT_M, 6},
                                             {LX_UNIT_KM, 9}};
constexpr SScaleCandidate kImperialScales[] = {{LX_UNIT_MIL, 1}, {LX_UNIT_INCH, 4}};

template <size_t N> int NearestScale(const SScaleCandidate (&candidates)[N], double x)
{
    double logValue = std::log10(x);
    double best = 1e7;
    int unit = LX_UNIT_PIXELS;
    for (const SScaleCandidate& c : candidates) {
        double distance = std::fabs(c.exponent - logValue);
        if (distance < best) { // strictly: ties keep the smaller unit
            best = distance;
            unit = c.unit;
        }
    }
    return unit;
}

} // namespace

int Units_Initialize(void)
{
    return 0;
}

const char16_t* Get_Unit_Name(int id)
{
    return UnitRow(id).name;
}

const char16_t* Get_Unit_ShortName(int id)
{
    return UnitRow(id).shortName;
}

const char16_t* Get_Unit_LongName(int id)
{
    return UnitRow(id).longName;
}

const char16_t* Get_UnitType_ShortName(int type, int id)
{
    thread_local char16_t buffer[kNameBufferUnits];
    return NameWithSuffix(type, Get_Unit_ShortName(id), buffer);
}

const char16_t* Get_UnitType_LongName(int type, int id)
{
    thread_local char16_t buffer[kNameBufferUnits];
    return NameWithSuffix(type, Get_Unit_LongName(id), buffer);
}

int Get_Unit_ID(const char16_t* text)
{
    if (!text) {
        LX_DIAG_ASSERT(text, u"unit name is null");
        return LX_UNIT_UNKNOWN;
    }
    return FindUnitId(text, lx_wcslen(text));
}

int Get_UnitType_ID(int type, const char16_t* text)
{
    if (!text) {
        LX_DIAG_ASSERT(text, u"unit name is null");
        return LX_UNIT_UNKNOWN;
    }
    size_t length = lx_wcslen(text);
    if (UnitTypeRow(type).suffix && length > 0)
        --length;
    return FindUnitId(text, length);
}

int Get_Unit_Type(int id)
{
    return UnitRow(id).type;
}

int GetUnitGroup(int id)
{
    switch (id) {
    case LX_UNIT_DM:
        return LX_UNITGROUP_METRIC;
    case LX_UNIT_MIL:
    case LX_UNIT_INCH:
    case LX_UNIT_FAHRENHEIT:
        return LX_UNITGROUP_IMPERIAL;
    default:
        return 4 | LX_UNITGROUP_METRIC;
    }
}

int Get_UnitType_NumUnits(int type)
{
    return UnitTypeRow(type).count;
}

int Get_UnitType_Unit(int type, int i)
{
    const SUnitTypeRow& row = UnitTypeRow(type);
    if (row.count == 0)
        return row.first;
    if (type == LX_UNITTYPE_WAVELENGTH)
        return row.first;
    return i >= 0 && i < row.count ? row.first + i : int(LX_UNIT_UNKNOWN);
}

int Get_Unit_Default(int type)
{
    return UnitTypeRow(type).defaultUnit;
}

double HowManyMicronsAmI(int id)
{
    return UnitRow(id).microns;
}

double Get_Unit_MulFactor(int type, int id)
{
    switch (type) {
    case LX_UNITTYPE_LENGTH:
        return LengthFactor(id);
    case LX_UNITTYPE_AREA:
        return std::pow(LengthFactor(id), 2);
    case LX_UNITTYPE_VOLUME:
        return std::pow(LengthFactor(id), 3);
    case LX_UNITTYPE_ANGLE:
        return AngleFactor(id);
    case LX_UNITTYPE_TIME:
        return TimeFactor(id);
    case LX_UNITTYPE_VALUE:
        return id == LX_UNIT_VALUE ? 1 : 0.01;
    default:
        return 1;
    }
}

double Convert_Unit_To_Unit(double value, int type, int from, int to)
{
    if (from == to)
        return value;
    if (type == LX_UNITTYPE_TEMPERATURE)
        return ConvertTemperature(value, from, to);
    double fromFactor = Get_Unit_MulFactor(type, from);
    double toFactor = Get_Unit_MulFactor(type, to);
    if (std::isnan(fromFactor) || std::isnan(toFactor))
        return value;
    return value * fromFactor / toFactor;
}

void Calc_Auto_Units(double value, int* unit, int currentUnit)
{
    if (!unit) {
        LX_DIAG_ASSERT(unit, u"no place for the unit");
        return;
    }
    int group = GetUnitGroup(currentUnit);
    if (group & LX_UNITGROUP_METRIC)
        *unit = NearestScale(kMetricScales, value);
    else
        *unit = NearestScale(kImperialScales, value * 25.4);
}
