// Spectra of optical filters and fluorescent probes: transmission or
// intensity over wavelength (nanometres), either as a sampled curve or as a
// list of band edges and single lines.
//
// Status codes: 0 done, -2 not for this kind of spectrum, -3 no memory (the
// spectrum unchanged), -4 bad argument or a point of the wrong kind, -13
// not found or outside the spectrum.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

class CLxVariant;

// One point of a spectrum.
struct LX_EXPORT SLxOFSpectrumPoint {
    enum ELxOFSpectrumPointType : uint32_t {
        eSptNone = 0,        // no kind (points made from wavelength and value arrays)
        eSptPoint = 1,       // a sampled curve point
        eSptRisingEdge = 2,  // start (lower edge) of a pass band
        eSptFallingEdge = 3, // end (upper edge) of a pass band
        eSptPeak = 4,        // a single line
    };

    // All zero.
    SLxOFSpectrumPoint();
    SLxOFSpectrumPoint(ELxOFSpectrumPointType type, double wavelength, double value);

    ELxOFSpectrumPointType eType;
    double dWavelength; // nanometres
    double dTValue;     // transmission or intensity; 100.0 is full in drawn bands

    // Writes the record "RLxOFSpectrumPoint" ("eType", "dWavelength",
    // "dTValue"). 0.
    static int SaveToVariant(CLxVariant& v, const SLxOFSpectrumPoint& point);
    // -4 (reported) for another run type, the point unchanged. A wavelength
    // of 0.0 or one that is not a number is taken from the older key
    // "uiWavelength". 0.
    static int LoadFromVariant(SLxOFSpectrumPoint& point, const CLxVariant& v);
};

// The points of a spectrum, owned, in the order given; the operations
// expect ascending wavelengths and stay within the points when they are not.
//
// bPoints tells a curve (true) from a band list. The first point added to
// an empty spectrum decides: a curve when it is of kind 1. Afterwards a
// curve takes only points of kind 1, a band list only points of other kinds.
class LX_EXPORT CLxOpticalFilterSpectrum
{
  public:
    // Empty band list.
    CLxOpticalFilterSpectrum();
    // n points of zeros, a band list (empty when no memory).
    explicit CLxOpticalFilterSpectrum(uint32_t n);
    // n points of kind 0 with the wavelengths and values; a curve when n is
    // not 0 (empty when no memory or an array is null).
    CLxOpticalFilterSpectrum(const double* wavelengths, const double* values, uint32_t n);
    // One point of that kind at the wavelength, value 1.0; a curve for kind 1.
    CLxOpticalFilterSpectrum(double wavelength, SLxOFSpectrumPoint::ELxOFSpectrumPointType type);
    // Deep copies (a copy that gets no memory is empty).
    CLxOpticalFilterSpectrum(const CLxOpticalFilterSpectrum& other);
    CLxOpticalFilterSpectrum& operator=(const CLxOpticalFilterSpectrum& other);
    virtual ~CLxOpticalFilterSpectrum();

    uint32_t GetCount() const { return uiCount; }
    // Point i; for i at or past the count a shared point of zeros.
    SLxOFSpectrumPoint& operator[](uint32_t i);
    const SLxOFSpectrumPoint& operator[](uint32_t i) const;
    SLxOFSpectrumPoint& GetPoint(uint32_t i) { return (*this)[i]; }
    const SLxOFSpectrumPoint& GetPoint(uint32_t i) const { return (*this)[i]; }

    // Appends a copy. -4 when its kind breaks the curve/band rule, -3.
    int AddPoint(const SLxOFSpectrumPoint& point);
    // Inserts before point index (the count appends). -4 for an index past
    // the count or a kind that breaks the rule, -3.
    int InsertPoint(const SLxOFSpectrumPoint& point, uint32_t index);
    // -4 for an index at or past the count.
    int RemovePoint(uint32_t index);

    // The point nearest the wavelength (the first of equally near ones).
    // -13 for an empty spectrum or a wavelength outside the first and last
    // point's.
    int FindNearestPoint(double wavelength, uint32_t& index) const;
    // Band list: the first band (peak its middle, lower and upper its edges)
    // or line (all three its wavelength); -13 when there is none. Curve: the
    // peak is the middle of the first maximum's plateau, lower and upper the
    // first points below half the maximum on either side; -4 when empty,
    // -13 when the curve never falls below half on one side.
    int GetPeakAndFwhm(double& peak, double& lower, double& upper) const;
    // Entries GetTabbedCurve draws: a curve its count; a band list 2 per
    // band edge and 3 per line.
    uint32_t GetTabbedPointCount() const;
    // A curve copies its first min(n, count) points. A band list is drawn
    // at 100.0 inside bands with 1 nm ramps: an edge w of kind 2 gives
    // (w - 1, 0), (w, 100); of kind 3 (w, 100), (w + 1, 0); a line
    // (w - 1, 0), (w, 100), (w + 1, 0). Never more than n entries are
    // written. -4 for a null array.
    int GetTabbedCurve(double* wavelengths, double* values, uint32_t n) const;
    // Makes this spectrum the part where both let light through. When the
    // two never overlap it stays as it was, unless bridge is set: then the
    // nearest bands are brought together into a 1 nm overlap.
    CLxOpticalFilterSpectrum& Combine(const CLxOpticalFilterSpectrum& other, bool bridge);
    // The mean of the points' display colours (LX_RGBFromWavelength)
    // weighted by their values, 0x00BBGGRR; 0 for no points or values
    // summing to 0. -2 for a band list.
    int GetRGBColor(uint32_t& color) const;
    // The sRGB colour of the curve under the CIE 1931 2-degree observer,
    // brightest channel 255; 0 when it has no visible part. -2 for a band
    // list.
    int GetsRGBColor(uint32_t& color) const;

    // Writes "RLxOpticalFilterSpectrum": "uiCount", "pPoint" (one item
    // "Point<i>" per point; an empty spectrum writes one "Point0" of zeros),
    // "bPoints". 0.
    static int SaveToVariant(CLxVariant& v, const CLxOpticalFilterSpectrum& spectrum);
    // Loads into an empty spectrum: one point per item of "pPoint" (none
    // when "uiCount" is 0). -4 (reported) for another run type, -3 (left
    // empty) without memory; 0.
    static int LoadFromVariant(CLxOpticalFilterSpectrum& spectrum, const CLxVariant& v);

    uint32_t uiCount;
    SLxOFSpectrumPoint* pPoint; // uiCount points, private heap; null when empty
    bool bPoints;

  private:
    // Whether a point of that kind may join the spectrum.
    bool AcceptsKind(SLxOFSpectrumPoint::ELxOFSpectrumPointType type) const;
    // Takes over other's points (this one's are freed).
    void Swap(CLxOpticalFilterSpectrum& other);
    // The merging pass under Combine; see its source.
    void Combine(CLxOpticalFilterSpectrum other, double gap, double* distance);
    void FreePoints();
};
