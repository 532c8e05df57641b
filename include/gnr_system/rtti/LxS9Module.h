// The interface of a module object: the one object that each library of the
// system offers to the class registry under the class name "CLx_<library>".
#pragma once

#include <cstdint>

#include "gnr_system/LxInterface.h"
#include "w32_system/LxExport.h"

class CLxRscData;

class LX_EXPORT ILxS9Module : public ILxInterface
{
  public:
    // Fills data with the module's resource blocks (replacing what it held);
    // a status code.
    virtual int GetModuleRscData(CLxRscData& data) = 0;
    // A module-specific request; -2 when the module does not support it.
    virtual int ModuleControl(uint32_t request) = 0;
    virtual ~ILxS9Module() = default;
};
