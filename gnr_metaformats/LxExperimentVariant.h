// What the saving and the loading of experiment levels share: the run-type
// names of the records and the names of list items.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/string/LxString.h"

namespace lx_meta
{

constexpr char kExperimentRunType[] = "RLxExperiment";
constexpr char kAutoFocusRunType[] = "RLxExperiment.RLxExpAutoFocus";
constexpr char kTimeLoopRunType[] = "RLxExperiment.RLxExpTimeLoop";
constexpr char kLargeImageRunType[] = "RLxExperiment.RLxLIDesc";

// The run type of the loop record of a level type; null for eEtUnknown and
// for types that have no stored record.
inline const char* LoopRunType(uint32_t eType)
{
    switch (eType) {
    case SLxExperiment::eEtTime:
        return kTimeLoopRunType;
    case SLxExperiment::eEtXYPos:
        return "RLxExperiment.RLxExpXYPosLoop";
    case SLxExperiment::eEtXYDiscr:
        return "RLxExperiment.RLxExpXYDiscrLoop";
    case SLxExperiment::eEtZStack:
        return "RLxExperiment.RLxExpZStackLoop";
    case SLxExperiment::eEtPolar:
        return "RLxExperiment.RLxExpPolarLoop";
    case SLxExperiment::eEtSpect:
        return "RLxExperiment.RLxExpSpectLoop";
    case SLxExperiment::eEtCustom:
        return "RLxExperiment.RLxExpCustomLoop";
    case SLxExperiment::eEtNETime:
        return "RLxExperiment.RLxExpNETimeLoop";
    default:
        return nullptr;
    }
}

// Item names: flags, periods, channels and grid Z positions are numbered
// "000", "001", ...; the XY lists and grid rows and columns "item_00000", ...
inline CLxStringW NumberName(uint32_t i)
{
    CLxStringW name;
    name.Format(u"%03u", i);
    return name;
}

inline CLxStringW ItemName(uint32_t i)
{
    CLxStringW name;
    name.Format(u"item_%05u", i);
    return name;
}

// The report of a level type without a stored record.
#define LX_META_REPORT_UNKNOWN_LOOP()                                                              \
    LX_DIAG_ASSERT_TEXT(u"aExperiment.eType != eEtUnknown", u"Unknown loop type.")

} // namespace lx_meta
