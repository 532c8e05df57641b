// Makes the library's XML serializer by its class name. Exit 0 when made.
#include <cstdio>

#include "gnr_system/rtti/LxRTTI.h"

int main()
{
    ILxInterface* object = CLxRTTI::Create("CLxSerializerXMLString");
    if (!object) {
        std::puts("not made");
        return 1;
    }
    CLxRTTI::Release(object);
    std::puts("made");
    return 0;
}
