// The system library's module object, its catalog entries and its start-up
// step.
#include "gnr_system/LxGnrSystem.h"
#include "gnr_system/LxGnrSystemAttach.h"

#include "gnr_system/LxRscData.h"
#include "gnr_system/LxUnits.h"
#include "gnr_system/rtti/LxCatalogSection.h"
#include "gnr_system/string/LxStringUtils.h"

LX_DECLARE_CLASS(kModuleObjectClass,
                 lx_catalog::ClassDecl("CLx_gnr_system")
                     .Interface("ILxS9Module")
                     .Additional("<m_singleton runtype=\"bool\" value=\"true\"/>"))

// "NDEBUG" is what the registry asks of a module; the library has one build
// for every caller (LX_IsDebug is false), so it is there in every build type.
LX_DECLARE_MODULE_IDENTIFICATION(kLibraryIdentification,
                                 lx_catalog::Identification()
                                     .Value("LX_GLOB_FILEVERSION_WCS", "1, 1, 3, 0")
                                     .Value("LX_GLOB_PRODUCTVERSION_WCS", "0, 0, 0, 0")
                                     .Value("LX_GLOB_COMPANYNAME", "Veltmarshoptronica")
                                     .Value("LX_GLOB_LEGALCOPYRIGHT",
                                            "Copyright (C) Veltmarshoptronica")
                                     .Value("LX_GLOB_TRADEMARKS", "")
                                     .Value("LX_LOCAL_COMMENTS", "comments...")
                                     .Value("LX_LOCAL_FILEDESCRIPTION",
                                            "strata9 platform independent system library")
                                     .Value("LX_LOCAL_INTERNALNAME", "gnr_system")
                                     .Value("LX_LOCAL_ORIGINALFILENAME", "s9_gnr_system.dll")
                                     .Value("LX_LOCAL_PRODUCTNAME", "gnr_system")
                                     .Value("LX_LOCAL_PRIVATEBUILD", "1")
                                     .Value("LX_LOCAL_SPECIALBUILD", "1")
                                     .Flag("NDEBUG"))

namespace
{

// Destroys the instance when the library unloads, whatever its count.
struct SLxInstanceHolder {
    CLx_gnr_system* instance = nullptr;
    ~SLxInstanceHolder() { delete instance; }
};

SLxInstanceHolder s_holder;

} // namespace

CLxClassInfo CLx_gnr_system::sm_classCLx_gnr_system("CLx_gnr_system", "ILxS9Module", nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, int(sizeof(CLx_gnr_system)),
                                                    &LX_ConstructorForCLx_gnr_system);

CLx_gnr_system::~CLx_gnr_system()
{
    if (s_holder.instance == this)
        s_holder.instance = nullptr;
}

CLx_gnr_system* CLx_gnr_system::GetInstance()
{
    return s_holder.instance;
}

CLxClassInfo* CLx_gnr_system::GetCLxClassInfo()
{
    return &sm_classCLx_gnr_system;
}

ILxInterface* CLx_gnr_system::QueryInterface(const char* interfaceName)
{
    if (LX_IsInterfaceName(interfaceName, "ILxS9Module"))
        return AddRefAndReturn(static_cast<ILxS9Module*>(this));
    return nullptr;
}

int CLx_gnr_system::GetModuleRscData(CLxRscData& data)
{
    data.Clear();
    return 0;
}

int CLx_gnr_system::ModuleControl(uint32_t)
{
    return -2;
}

ILxInterface* LX_ConstructorForCLx_gnr_system(const char* file, unsigned line)
{
    if (CLx_gnr_system* existing = s_holder.instance) {
        existing->AddRef();
        return static_cast<CLxClass*>(existing);
    }
    CLx_gnr_system* made = new (file, line) CLx_gnr_system();
    if (!made)
        return nullptr;
    s_holder.instance = made;
    return static_cast<CLxClass*>(made);
}

int GnrSystem_DllAttach()
{
    CLxStringUtils::Initialize();
    Units_Initialize();
    return 1;
}
