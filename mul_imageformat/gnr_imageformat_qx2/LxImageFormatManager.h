// The format manager that an outside module may offer as
// "CLxImageFormatManagerImpl": the QX2 format asks it for another format
// when a file does not open as QX2. No module of this library provides it.
#pragma once

#include "gnr_system/LxInterface.h"
#include "gnr_system/string/LxStringFwd.h"

class ILxImageFormat;

class ILxImageFormatManager : public ILxInterface
{
  public:
    virtual int Reserved2() = 0;
    virtual int Reserved3() = 0;
    virtual int Reserved4() = 0;
    virtual int Reserved5() = 0;
    // The format of that identifier with a reference for the caller; 0 found.
    virtual int GetFormat(const CLxStringA& id, ILxImageFormat** format) = 0;

  protected:
    ~ILxImageFormatManager() = default;
};
