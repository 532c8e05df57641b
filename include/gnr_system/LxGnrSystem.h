// The system library's module object and its step of the library start-up.
#pragma once

#include <cstdint>

#include "gnr_system/LxInterface.h"
#include "gnr_system/rtti/LxS9Module.h"
#include "w32_system/LxExport.h"

// The instance's class part with one more reference, made when there is none
// (count 1); null when memory runs out. The file and line only go to
// operator new.
extern "C" LX_EXPORT ILxInterface* LX_ConstructorForCLx_gnr_system(const char* file, unsigned line);

// The module object of the system library, a singleton: the constructor
// function hands out the one instance (with one more reference) while it
// lives, and makes a new one after the last Release destroyed it. Declared in
// the library's class index with the interface "ILxS9Module" and
// m_additional/m_singleton true. Answers only "ILxS9Module".
//
// Like every CLxClass object it is used by one thread at a time: the
// constructor function and the count take no lock.
class LX_EXPORT CLx_gnr_system : public CLxClass, public ILxS9Module
{
  public:
    CLxClass* GetClass() override { return this; }
    CLxClassInfo* GetCLxClassInfo() override;
    ILxInterface* QueryInterface(const char* interfaceName) override;

    // The system library has no resource blocks: data is emptied; 0.
    int GetModuleRscData(CLxRscData& data) override;
    // No requests are supported: -2.
    int ModuleControl(uint32_t request) override;

    // Class name "CLx_gnr_system", interface "ILxS9Module", constructor
    // LX_ConstructorForCLx_gnr_system.
    static CLxClassInfo sm_classCLx_gnr_system;

    // The instance, or null.
    static CLx_gnr_system* GetInstance();

    // Destroyed by the last Release, or when the library unloads.
    ~CLx_gnr_system() override;
    CLx_gnr_system(const CLx_gnr_system&) = delete;
    CLx_gnr_system& operator=(const CLx_gnr_system&) = delete;

  private:
    // Only the constructor function makes the instance.
    CLx_gnr_system() = default;
    friend ILxInterface* LX_ConstructorForCLx_gnr_system(const char* file, unsigned line);
};
