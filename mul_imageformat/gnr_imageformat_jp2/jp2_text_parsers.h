// The two own texts that are parsed with expat rather than as variants: the
// text information and the old calibration form.
#pragma once

#include <cstddef>

#include "gnr_system/string/LxString.h"

struct SLxImageTextInfo;

// "<TextInfo _DOCTYPE="TextInfoDocument" ...>" with items "Text" at
// "Index" 0..13 (larger indices ignored). In the texts "%20" is a blank,
// "%0D%0A" CR LF, "%B5" the micro sign (any case), and a lone LF becomes CR
// LF. Items the text lacks leave the out texts as they were. False (traced)
// when the text does not parse or is not a text information document.
bool LX_Jp2ParseTextInfo(const char* text, size_t size, SLxImageTextInfo& info);

// "<Calibration ...><CalibrationValues Calibration_11=".." Calibration_22=".."/>":
// the calibration (made positive) and the aspect (Calibration_22 over it, 1.0
// for a calibration of 0.0). False (traced) on a parse error.
bool LX_Jp2ParseOldCalibration(const char* text, size_t size, double& calibration, double& aspect);
