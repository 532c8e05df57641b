// Measurement units of calibrated pictures and measurements: 25 unit ids with
// three names each, their grouping into unit types, conversion factors,
// conversion between units of one type, lookup of an id from a name and the
// choice of a convenient length unit for a value.
//
// The functions have C names and are exported as one family. The name tables
// are constant, so every function may be called from any thread at any time;
// the texts they return stay valid for the life of the process, except where
// a function says it builds its result in a per-thread buffer.
//
// Lengths are measured in micrometres ("microns"): the factors of the length
// units are microns per unit. Pixels have no physical size: a conversion from
// or to pixels returns the value unchanged.
#pragma once

#include "w32_system/LxExport.h"

// Unit ids.
enum ELxUnit : int {
    LX_UNIT_PIXELS = 0,
    LX_UNIT_NM = 1,
    LX_UNIT_UM = 2,
    LX_UNIT_MM = 3,
    LX_UNIT_CM = 4,
    LX_UNIT_DM = 5,
    LX_UNIT_M = 6,
    LX_UNIT_KM = 7,
    LX_UNIT_MIL = 8,
    LX_UNIT_INCH = 9,
    LX_UNIT_UNKNOWN = 10,
    LX_UNIT_DEG = 11,
    LX_UNIT_RAD = 12,
    LX_UNIT_GRAD = 13,
    LX_UNIT_HOUR = 14,
    LX_UNIT_MIN = 15,
    LX_UNIT_S = 16,
    LX_UNIT_MS = 17,
    LX_UNIT_US = 18,
    LX_UNIT_NS = 19,
    LX_UNIT_VALUE = 20,
    LX_UNIT_PERCENT = 21,
    LX_UNIT_CELSIUS = 22,
    LX_UNIT_KELVIN = 23,
    LX_UNIT_FAHRENHEIT = 24,
    LX_UNIT_COUNT = 25,
};

// Unit types. Area and volume use the length units; their names get the
// suffix "2" or "3". The wavelength type offers nanometres only; type 9 is
// reserved and offers no unit.
enum ELxUnitType : int {
    LX_UNITTYPE_NONE = 0,
    LX_UNITTYPE_LENGTH = 1,
    LX_UNITTYPE_AREA = 2,
    LX_UNITTYPE_VOLUME = 3,
    LX_UNITTYPE_ANGLE = 4,
    LX_UNITTYPE_WAVELENGTH = 5,
    LX_UNITTYPE_TIME = 6,
    LX_UNITTYPE_VALUE = 7,
    LX_UNITTYPE_TEMPERATURE = 8,
    LX_UNITTYPE_RESERVED = 9,
};

// Bits of GetUnitGroup.
enum : int {
    LX_UNITGROUP_IMPERIAL = 1,
    LX_UNITGROUP_METRIC = 2,
};

extern "C" {

// Kept for the library's start-up step; the tables are constant. Returns 0.
LX_EXPORT int Units_Initialize(void);

// The name ("mm", "inch", "pixels"), short name ("mm", "in", "px") and long
// name ("Millimeters") of a unit. An id outside 0 to 24 gives the names of
// LX_UNIT_UNKNOWN ("unknown", "??", "Unknown"). Never null.
LX_EXPORT const char16_t* Get_Unit_Name(int id);
LX_EXPORT const char16_t* Get_Unit_ShortName(int id);
LX_EXPORT const char16_t* Get_Unit_LongName(int id);

// The short or long name of a unit as a unit of the given type: for area and
// volume the name followed by "2" or "3" ("mm2", "Millimeters3"), built in a
// buffer of the calling thread that the next call of the same function on
// that thread overwrites; for any other type the plain name.
LX_EXPORT const char16_t* Get_UnitType_ShortName(int type, int id);
LX_EXPORT const char16_t* Get_UnitType_LongName(int type, int id);

// The id of a unit name, compared without regard to case. Search order, the
// first match wins: "um" (micrometres); the names of the lengths 0 to 9; the
// names of ids 11 to 24; the short names of the lengths; their long names;
// then for each id from 11 to 24 its short name and then its long name. So
// "m" is the metre, not the minute, and "" is LX_UNIT_VALUE (whose short name
// is empty). No match, or a null text, gives LX_UNIT_UNKNOWN.
LX_EXPORT int Get_Unit_ID(const char16_t* text);
// As Get_Unit_ID; for area and volume the last character of the text (the
// "2" or "3" of the suffix) is dropped first.
LX_EXPORT int Get_UnitType_ID(int type, const char16_t* text);

// The type of a unit id: lengths 0 to 9 give LX_UNITTYPE_LENGTH, angles
// LX_UNITTYPE_ANGLE, and so on; LX_UNIT_UNKNOWN and ids outside the table give
// LX_UNITTYPE_NONE.
LX_EXPORT int Get_Unit_Type(int id);

// LX_UNITGROUP_IMPERIAL for mil, inch and fahrenheit, LX_UNITGROUP_METRIC for
// decimetres, both bits plus 4 (the value 6) for every other id.
LX_EXPORT int GetUnitGroup(int id);

// The units a type offers: Get_UnitType_Unit(type, i) for i from 0 to
// Get_UnitType_NumUnits(type) - 1. The wavelength type answers nanometres for
// every i. A type without units (0, 9) answers LX_UNIT_UNKNOWN, a type outside
// 0 to 9 answers LX_UNIT_PIXELS, and an index outside the type's units answers
// LX_UNIT_UNKNOWN.
LX_EXPORT int Get_UnitType_NumUnits(int type);
LX_EXPORT int Get_UnitType_Unit(int type, int i);
// The default unit of a type: micrometres for lengths, areas and volumes,
// degrees, nanometres for wavelengths, seconds, percent, degrees Celsius;
// LX_UNIT_UNKNOWN for the others.
LX_EXPORT int Get_Unit_Default(int type);

// Microns per unit of a length unit (pixels count as 1); 1 for every id that
// is not a length.
LX_EXPORT double HowManyMicronsAmI(int id);

// The factor that takes a value of the unit into the type's base unit:
//   length: microns per unit; area its square, volume its cube; NaN for
//           pixels in all three;
//   angle:  radians per unit (degrees pi/180, grads pi/200, radians 1);
//   time:   seconds per unit (hour 3600 ... nanosecond 1e-9);
//   value:  1 for a plain value, 0.01 for any other id (percent);
//   any other type: 1.
LX_EXPORT double Get_Unit_MulFactor(int type, int id);

// Converts a value from one unit of a type to another: value * factor(from) /
// factor(to). Temperatures go through degrees Celsius (kelvin c + 273.15,
// fahrenheit c * 1.8 + 32). The same unit on both sides, or pixels on either,
// returns the value unchanged.
LX_EXPORT double Convert_Unit_To_Unit(double value, int type, int from, int to);

// Stores in *unit the length unit whose scale is nearest to a length given in
// microns, chosen among the metric units (nm to km) when the current unit is
// metric and among mil and inch when it is imperial (the value is then
// multiplied by 25.4 first). The nearest unit has the smallest distance
// between its decimal exponent (nm -3, um 0, mm 3, cm 4, dm 5, m 6, km 9;
// mil 1, inch 4) and log10 of the value; ties go to the smaller unit. A value
// without a logarithm (0, negative, infinite, NaN) stores LX_UNIT_PIXELS. A
// null unit pointer is reported and nothing is stored.
LX_EXPORT void Calc_Auto_Units(double value, int* unit, int currentUnit);

} // extern "C"
