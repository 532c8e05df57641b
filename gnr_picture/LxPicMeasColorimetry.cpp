// Colorimetry of single colours: BT.709/D65 tristimulus values, CIE
// chromaticities, L*u*v*, L*a*b*, and the dominant wavelength found by an
// interpolation search on the spectrum locus.
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "gnr_picture/LxPicMeasAPI.h"

namespace
{

constexpr double kThreshold = 0.008856;
constexpr double kKappa = 903.3;

// The whole table of CIExy2DWLandEP when the caller gives none.
const SLxCMF kDefaultTable = {CLxPicMeasAPI::CMF_Wavelength, CLxPicMeasAPI::CMF_X,
                              CLxPicMeasAPI::CMF_Y, CLxPicMeasAPI::CMF_Z,
                              int32_t(sizeof CLxPicMeasAPI::CMF_Wavelength / sizeof(double))};

void rgbToXyz(double R, double G, double B, double& X, double& Y, double& Z)
{
    X = (0.412453 * R + 0.357580 * G + 0.180423 * B) / 255;
    Y = (0.212671 * R + 0.715160 * G + 0.072169 * B) / 255;
    Z = (0.019334 * R + 0.119193 * G + 0.950227 * B) / 255;
}

// x and y of X, Y, Z; 0 for a colour without light, where the quotients
// would be 0 / 0.
void xyzToXy(double X, double Y, double Z, double& x, double& y)
{
    const double sum = X + Y + Z;
    if (sum == 0) {
        x = 0;
        y = 0;
        return;
    }
    x = X / sum;
    y = Y / sum;
}

// pow rather than cbrt: glibc's cbrt takes a quarter longer, and the two
// differ only in the last bit.
double cubeRoot(double t)
{
    return std::pow(t, 1.0 / 3.0);
}

double lightness(double t)
{
    return t > kThreshold ? 116 * cubeRoot(t) - 16 : kKappa * t;
}

// The integer part of a mean colour component; values that do not fit an int
// (or NaN) would make the conversion undefined.
int integerPart(double v)
{
    if (!(v >= double(INT_MIN)))
        return v != v ? 0 : INT_MIN;
    if (v >= double(INT_MAX))
        return INT_MAX;
    return int(v);
}

bool usableTable(const SLxCMF* table)
{
    return table && table->pWavelength && table->pX && table->pY && table->pZ && table->iLength > 0;
}

double locusAngle(const SLxCMF& table, int index, const SLxColorCIExy& white)
{
    double x, y;
    xyzToXy(table.pX[index], table.pY[index], table.pZ[index], x, y);
    return std::atan2(white.x - x, y - white.y);
}

// The locus of a real observer turns back at its ends: the 10-degree one
// reaches its smallest angle at 701 nm and then returns towards 830 nm, so
// the angles of the first and last rows leave out the deep reds between.
// Narrows the search to the rows of the largest and smallest angles when
// theta lies between those.
struct TurningRows {
    int rowMax = 0, rowMin = 0;
    double aMax = 0, aMin = 0;
};

TurningRows findTurningRows(const SLxCMF& table, const SLxColorCIExy& white)
{
    TurningRows t;
    t.aMax = t.aMin = locusAngle(table, 0, white);
    for (int k = 1; k < table.iLength; ++k) {
        const double a = locusAngle(table, k, white);
        if (a > t.aMax) {
            t.aMax = a;
            t.rowMax = k;
        }
        if (a < t.aMin) {
            t.aMin = a;
            t.rowMin = k;
        }
    }
    return t;
}

bool turningWedge(const SLxCMF& table, const SLxColorCIExy& white, double theta, int& lo, int& hi,
                  double& aLo, double& aHi)
{
    // Every purple colour measured against the one white would otherwise
    // take 471 arc tangents; the built-in table never changes, so its rows
    // are kept for the last white of the thread.
    thread_local struct {
        bool valid = false;
        double x = 0, y = 0;
        TurningRows rows;
    } lastDefault;
    TurningRows t;
    if (table.pWavelength != CLxPicMeasAPI::CMF_Wavelength || table.pX != CLxPicMeasAPI::CMF_X ||
        table.pY != CLxPicMeasAPI::CMF_Y || table.pZ != CLxPicMeasAPI::CMF_Z ||
        table.iLength != CLxPicMeasAPI::CMF_Length) {
        t = findTurningRows(table, white);
    } else {
        if (!lastDefault.valid || lastDefault.x != white.x || lastDefault.y != white.y) {
            lastDefault.rows = findTurningRows(table, white);
            lastDefault.x = white.x;
            lastDefault.y = white.y;
            lastDefault.valid = true;
        }
        t = lastDefault.rows;
    }
    if (!(t.aMin <= theta && theta <= t.aMax) || t.rowMax > t.rowMin)
        return false;
    lo = t.rowMax;
    hi = t.rowMin;
    aLo = t.aMax;
    aHi = t.aMin;
    return true;
}

} // namespace

int CLxPicMeasAPI::RGB2Yxy(int R, int G, int B, double* Y, double* x, double* y)
{
    if (!Y || !x || !y)
        return 0;
    double X, Z;
    rgbToXyz(R, G, B, X, *Y, Z);
    xyzToXy(X, *Y, Z, *x, *y);
    return 1;
}

int CLxPicMeasAPI::RGB2XYZ(SLxColorXYZ* out, const SLxColRGB* in)
{
    if (!out || !in)
        return 0;
    rgbToXyz(in->R, in->G, in->B, out->X, out->Y, out->Z);
    return 1;
}

int CLxPicMeasAPI::XYZ2RGB(SLxColRGB* out, const SLxColorXYZ* in)
{
    if (!out || !in)
        return 0;
    const double X = in->X, Y = in->Y, Z = in->Z;
    out->R = 3.240479 * X - 1.53715 * Y - 0.498535 * Z;
    out->G = -0.969256 * X + 1.875992 * Y + 0.041556 * Z;
    out->B = 0.055648 * X - 0.204043 * Y + 1.057311 * Z;
    return 1;
}

uint32_t CLxPicMeasAPI::XYZ2CompRGB(const SLxColorXYZ* in)
{
    SLxColRGB rgb;
    if (!XYZ2RGB(&rgb, in))
        return 0;
    const double m = std::fmax(rgb.R, std::fmax(rgb.G, rgb.B));
    // Without a positive component there is nothing to scale to 255; the
    // quotients of negative components by a negative m would be positive.
    if (!(m > 0))
        return 0;
    auto scaled = [m](double c) -> uint32_t {
        const double q = c / m;
        return q > 0 ? uint32_t(q * 255 + 0.5) & 0xFF : 0;
    };
    return scaled(rgb.B) << 16 | scaled(rgb.G) << 8 | scaled(rgb.R);
}

int CLxPicMeasAPI::XYZ2CIExy(SLxColorCIExy* out, const SLxColorXYZ* in)
{
    if (!out || !in)
        return 0;
    xyzToXy(in->X, in->Y, in->Z, out->x, out->y);
    out->Y = in->Y;
    return 1;
}

int CLxPicMeasAPI::CIExy2XYZ(SLxColorXYZ* out, const SLxColorCIExy* in, double Y)
{
    if (!out || !in || in->y == 0)
        return 0;
    const double L = Y < 0 ? in->Y : Y;
    out->X = L * in->x / in->y;
    out->Y = L;
    out->Z = L * (1 - in->x - in->y) / in->y;
    return 1;
}

int CLxPicMeasAPI::XYZ2CIEuv(SLxColorCIEuv* out, const SLxColorXYZ* in)
{
    if (!out || !in)
        return 0;
    const double d = in->X + 15 * in->Y + 3 * in->Z;
    out->Y = in->Y;
    out->u = d == 0 ? 0 : 4 * in->X / d;
    out->v = d == 0 ? 0 : 9 * in->Y / d;
    return 1;
}

int CLxPicMeasAPI::CIEuv2XYZ(const SLxColorCIEuv* in, SLxColorXYZ* out)
{
    if (!out || !in)
        return 0;
    const double e = 6 * in->u - 16 * in->v + 12;
    if (e == 0 || in->v == 0)
        return 0;
    const double x = 9 * in->u / e, y = 4 * in->v / e;
    out->X = in->Y * x / y;
    out->Y = in->Y;
    out->Z = in->Y * (1 - x - y) / y;
    return 1;
}

int CLxPicMeasAPI::CIExy2CIELuv(const SLxColorCIExy* color, double Y, SLxColorCIELuv* out,
                                const SLxColorCIExy* white, double whiteY)
{
    if (!color || !out || !white)
        return 0;
    if (color->x == 0 || color->y == 0 || !(white->y > 0) || !(whiteY > 0)) {
        *out = {0, -1, -1, 0, 0, 0};
        return 0;
    }
    auto uPrime = [](double x, double y) { return 2 * x / (6 * y - x + 1.5); };
    auto vPrime = [](double x, double y) { return 4.5 * y / (6 * y - x + 1.5); };
    const double L = lightness((Y < 0 ? color->Y : Y) / whiteY);
    out->L = L;
    out->u = 13 * L * (uPrime(color->x, color->y) - uPrime(white->x, white->y));
    out->v = 13 * L * (vPrime(color->x, color->y) - vPrime(white->x, white->y));
    out->C = std::sqrt(out->u * out->u + out->v * out->v);
    out->h = std::atan2(out->v, out->u);
    out->s = L == 0 ? 0 : out->C / L;
    return 1;
}

double CLxPicMeasAPI::CIExy2CIELab_f(double t)
{
    return t > kThreshold ? cubeRoot(t) : 7.787 * t + 16.0 / 116.0;
}

int CLxPicMeasAPI::CIExy2CIELab(const SLxColorCIExy* color, double Y, SLxColorCIELab* out,
                                const SLxColorCIExy* white, double whiteY)
{
    if (!color || !out || !white)
        return 0;
    const double whiteX = white->y > 0 ? whiteY * white->x / white->y : 0;
    const double whiteZ = white->y > 0 ? whiteY * (1 - white->x - white->y) / white->y : 0;
    if (color->x == 0 || color->y == 0 || !(whiteY > 0) || !(whiteX > 0) || !(whiteZ > 0)) {
        *out = {0, -1, -1, 0, 0};
        return 0;
    }
    const double L = Y < 0 ? color->Y : Y;
    const double xr = L * color->x / color->y / whiteX;
    const double yr = L / whiteY;
    const double zr = L * (1 - color->x - color->y) / color->y / whiteZ;
    const double fy = CIExy2CIELab_f(yr);
    // The same value as lightness(yr), without a second cube root.
    out->L = yr > kThreshold ? 116 * fy - 16 : kKappa * yr;
    out->a = 500 * (CIExy2CIELab_f(xr) - fy);
    out->b = 200 * (fy - CIExy2CIELab_f(zr));
    out->C = std::sqrt(out->a * out->a + out->b * out->b);
    out->h = std::atan2(out->b, out->a);
    return 1;
}

double CLxPicMeasAPI::CMFXYZIndex2Angle(const SLxCMF* table, int index, const SLxColorCIExy* white)
{
    if (!usableTable(table) || !white || index < 0 || index >= table->iLength)
        return std::numeric_limits<double>::quiet_NaN();
    return locusAngle(*table, index, *white);
}

int CLxPicMeasAPI::CIExy2DWLandEP(double* wavelength, double* purity, const SLxColorCIExy* color,
                                  const SLxCMF* table, const SLxColorCIExy* white)
{
    if (!wavelength || !purity || !color || !white)
        return 0;
    *wavelength = -1;
    *purity = -1;
    if (color->x == 0 || color->y == 0)
        return 0;
    if (!table)
        table = &kDefaultTable;
    if (!usableTable(table))
        return 0;
    if (std::fabs(color->x - white->x) <= 1e-8 && std::fabs(color->y - white->y) <= 1e-8) {
        *purity = 0;
        return 0;
    }
    const double theta = std::atan2(white->x - color->x, color->y - white->y);
    int lo = 0, hi = table->iLength - 1, i = 0;
    double aLo = locusAngle(*table, lo, *white), aHi = locusAngle(*table, hi, *white);
    // Outside the wedge the locus spans from the white point the colour lies
    // towards the purple line (NaN angles fail here too).
    if (!(aHi <= theta && theta <= aLo) && !turningWedge(*table, *white, theta, lo, hi, aLo, aHi))
        return 0;
    // Interpolation search for the pair of neighbouring rows around theta;
    // aHi <= theta <= aLo holds throughout. A guess that rounds onto a bound
    // moves one row inwards: stopping there would leave the rows between
    // unsearched, tens of nanometres off where the locus is flat.
    bool hit = false;
    while (hi - lo > 1) {
        const double guess = aLo == aHi ? lo : hi + (theta - aHi) * (lo - hi) / (aLo - aHi) + 0.5;
        if (!(guess >= lo && guess < hi + 1.0))
            break; // NaN angles
        i = std::min(std::max(int(guess), lo + 1), hi - 1);
        const double a = locusAngle(*table, i, *white);
        if (a == theta) {
            hit = true;
            break;
        }
        if (a > theta) {
            lo = i;
            aLo = a;
        } else {
            hi = i;
            aHi = a;
        }
    }
    if (!hit)
        i = aLo - theta <= theta - aHi ? lo : hi;
    double locusX, locusY;
    xyzToXy(table->pX[i], table->pY[i], table->pZ[i], locusX, locusY);
    const double dc = std::sqrt((color->x - white->x) * (color->x - white->x) +
                                (color->y - white->y) * (color->y - white->y));
    const double dl = std::sqrt((locusX - white->x) * (locusX - white->x) +
                                (locusY - white->y) * (locusY - white->y));
    *wavelength = table->pWavelength[i];
    *purity = dl > 0.001 ? dc / dl : -1;
    return 1;
}

int CLxPicMeasAPI::Measure_Colorimetry(double R, double G, double B, SLxColorimetryData* out)
{
    if (!out)
        return 0;
    *out = {};
    SLxColorCIExy color;
    RGB2Yxy(integerPart(R), integerPart(G), integerPart(B), &color.Y, &color.x, &color.y);
    out->Y = color.Y;
    out->x = color.x;
    out->y = color.y;

    const SLxColRGB rgb = {R, G, B};
    SLxColorXYZ xyz;
    RGB2XYZ(&xyz, &rgb);

    SLxColorCIExy white;
    RGB2Yxy(255, 255, 255, &white.Y, &white.x, &white.y);

    SLxColorCIEuv uv;
    XYZ2CIEuv(&uv, &xyz);
    out->u = uv.u;
    out->v = uv.v;

    SLxColorCIELuv luv;
    CIExy2CIELuv(&color, xyz.Y, &luv, &white, white.Y);
    out->L = luv.L;
    SLxColorCIELab lab;
    CIExy2CIELab(&color, xyz.Y, &lab, &white, white.Y);
    out->a = lab.a;
    out->b = lab.b;

    CIExy2DWLandEP(&out->wavelength, &out->purity, &color, nullptr, &white);
    return 1;
}
