#include "gnr_system/LxInterface.h"

#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

CLxClass::CLxClass() : CLxClass(true) {}

CLxClass::CLxClass(bool deleteOnLastRelease)
    : m_refCount(1), m_deleteOnLastRelease(deleteOnLastRelease)
{
}

// Taking over the original's count would leave the copy with references
// nobody holds (never freed) or, on assignment, fewer than its holders own
// (freed under them).
CLxClass::CLxClass(const CLxClass& other)
    : ILxInterface(other), m_refCount(1), m_deleteOnLastRelease(other.m_deleteOnLastRelease)
{
}

CLxClass& CLxClass::operator=(const CLxClass&)
{
    return *this;
}

CLxClass::~CLxClass() = default;

CLxClass* CLxClass::GetClass()
{
    return this;
}

CLxClassInfo* CLxClass::GetCLxClassInfo()
{
    return nullptr;
}

ILxInterface* CLxClass::QueryInterface(const char*)
{
    return nullptr;
}

uint32_t CLxClass::AddRef()
{
    return m_refCount.Increment();
}

uint32_t CLxClass::Release()
{
    uint32_t remaining = 0;
    if (!m_refCount.Decrement(&remaining)) {
        LX_DIAG_ASSERT_TEXT(u"m_refCount != 0", u"Release of an object without references");
        return 0;
    }
    if (remaining == 0 && m_deleteOnLastRelease)
        delete this;
    return remaining;
}

void* CLxClass::operator new(size_t size, const char*, unsigned) noexcept
{
    return CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size);
}

void* CLxClass::operator new[](size_t size, const char*, unsigned) noexcept
{
    return CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size);
}

void* CLxClass::operator new(size_t size) noexcept
{
    return CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size);
}

void* CLxClass::operator new[](size_t size) noexcept
{
    return CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size);
}

void CLxClass::operator delete(void* block) noexcept
{
    CLxAlloc::Free(block);
}

void CLxClass::operator delete[](void* block) noexcept
{
    CLxAlloc::Free(block);
}

void CLxClass::operator delete(void* block, const char*, unsigned) noexcept
{
    CLxAlloc::Free(block);
}

void CLxClass::operator delete[](void* block, const char*, unsigned) noexcept
{
    CLxAlloc::Free(block);
}

CLxClassInfo::CLxClassInfo(const char* className, const char* interface1, const char* interface2,
                           const char* interface3, const char* interface4, const char* interface5,
                           const char* interface6, const char* interface7, const char* interface8,
                           const char* interface9, int objectSize, LxConstructorFn constructor)
    : m_className(className), m_interface1(interface1), m_interface2(interface2),
      m_objectSize(objectSize),
      m_constructor(constructor), m_interfaces3to9{interface3, interface4, interface5, interface6,
                                                   interface7, interface8, interface9}
{
}

const char* CLxClassInfo::GetInterfaceName(int index) const
{
    if (index < 0 || index >= kMaxInterfaces)
        return nullptr;
    if (index == 0)
        return m_interface1;
    if (index == 1)
        return m_interface2;
    return m_interfaces3to9[index - 2];
}

bool CLxClassInfo::HasInterface(const char* interfaceName) const
{
    for (int i = 0; i < kMaxInterfaces; ++i) {
        if (LX_IsInterfaceName(interfaceName, GetInterfaceName(i)))
            return true;
    }
    return false;
}
