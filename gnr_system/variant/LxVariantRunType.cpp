#include "gnr_system/variant/LxVariantRunType.h"

CLxVariantRunType::CLxVariantRunType() : m_name("unknown") {}

CLxVariantRunType::CLxVariantRunType(const CLxStringA& name) : m_name(name) {}

CLxVariantRunType::CLxVariantRunType(const char* name) : m_name(name) {}
