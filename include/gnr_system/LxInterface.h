// The object model: reference-counted objects made by class name and used
// through interfaces.
//
// A creatable class derives first from its interface(s), then from CLxClass,
// and overrides GetClass so that every interface part answers the class part:
//
//     class CLxShape : public ILxShape, public CLxClass {
//     public:
//         CLxClass* GetClass() override { return this; }
//         CLxClassInfo* GetCLxClassInfo() override { return &s_classInfo; }
//         ILxInterface* QueryInterface(const char* name) override {
//             if (LX_IsInterfaceName(name, "ILxShape"))
//                 return AddRefAndReturn(static_cast<ILxShape*>(this));
//             return nullptr;
//         }
//         ...
//     };
//     LX_DEFINE_CONSTRUCTOR(CLxShape)
//
// Reference counts are atomic: threads may add and release references to
// one object at once (a format object shared by every reader, say); the
// object's other operations are used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gnr_system/LxRefCount.h"
#include "w32_system/LxExport.h"

class CLxClass;
class CLxClassInfo;

// The root of every interface. Derived interfaces add their operations after
// GetClass and end with a virtual destructor. Objects are never deleted
// through this root: their last Release does it.
class LX_EXPORT ILxInterface
{
  public:
    // The object's class part.
    virtual CLxClass* GetClass() = 0;

  protected:
    ~ILxInterface() = default;
};

// The class part of every creatable object: its reference count and whether
// the last Release deletes it.
class LX_EXPORT CLxClass : public ILxInterface
{
  public:
    // Count 1; the last Release deletes the object.
    CLxClass();
    // Count 1; with deleteOnLastRelease false the object outlives a count of 0
    // (for objects whose storage someone else owns).
    explicit CLxClass(bool deleteOnLastRelease);
    // A copy is a new object: it starts with its own count of 1 and takes
    // the flag of the original.
    CLxClass(const CLxClass& other);
    // Assignment copies the object's contents only: the count and the flag
    // belong to the object's holders and stay.
    CLxClass& operator=(const CLxClass& other);

    // Returns the class part itself.
    CLxClass* GetClass() override;
    // The class's registration record; null for the bare class part.
    virtual CLxClassInfo* GetCLxClassInfo();
    // The interface part of that exact (case-sensitive) name with one more
    // reference, or null. The bare class part answers no name.
    virtual ILxInterface* QueryInterface(const char* interfaceName);
    // Adds 1; returns the new count.
    virtual uint32_t AddRef();
    // Subtracts 1 and returns the new count; at 0 the object deletes itself
    // when its flag says so. A Release at a count of 0 is reported and
    // changes nothing.
    virtual uint32_t Release();
    virtual ~CLxClass();

    uint32_t GetRefCount() const { return m_refCount.Get(); }

    // Zeroed memory from the private heap. The file and line are accepted for
    // callers that pass them and ignored. Null when the heap refuses (the
    // constructor then does not run).
    static void* operator new(size_t size, const char* file, unsigned line) noexcept;
    static void* operator new[](size_t size, const char* file, unsigned line) noexcept;
    static void* operator new(size_t size) noexcept;
    static void* operator new[](size_t size) noexcept;
    static void operator delete(void* block) noexcept;
    static void operator delete[](void* block) noexcept;
    // Used only when a constructor throws.
    static void operator delete(void* block, const char* file, unsigned line) noexcept;
    static void operator delete[](void* block, const char* file, unsigned line) noexcept;

  protected:
    // For QueryInterface: one more reference, then the interface part.
    ILxInterface* AddRefAndReturn(ILxInterface* part)
    {
        AddRef();
        return part;
    }

  private:
    CLxRefCount m_refCount;
    bool m_deleteOnLastRelease;
};

// Byte-for-byte (case-sensitive) comparison of an asked interface name with
// one the class implements; a null name matches nothing.
inline bool LX_IsInterfaceName(const char* asked, const char* implemented)
{
    return asked && implemented && strcmp(asked, implemented) == 0;
}

// The constructor function of a creatable class: the new object's class part
// with a count of 1, or null when the allocation fails.
typedef ILxInterface* (*LxConstructorFn)(const char* file, unsigned line);

// The registration record of a creatable class. Its field order is fixed
// because the record lies in the module's class-index section: class name,
// interface names 1 and 2, object size, constructor, interface names 3 to 9.
// An unused interface name is null.
class LX_EXPORT CLxClassInfo
{
  public:
    enum { kMaxInterfaces = 9 };

    CLxClassInfo(const char* className, const char* interface1, const char* interface2,
                 const char* interface3, const char* interface4, const char* interface5,
                 const char* interface6, const char* interface7, const char* interface8,
                 const char* interface9, int objectSize, LxConstructorFn constructor);

    // Interface name 1 to 9 by 0-based index; null when unused or out of range.
    const char* GetInterfaceName(int index) const;
    // True when one of the nine names equals the given one.
    bool HasInterface(const char* interfaceName) const;

    const char* m_className;
    const char* m_interface1;
    const char* m_interface2;
    int m_objectSize;
    LxConstructorFn m_constructor;
    const char* m_interfaces3to9[7];
};

// Source position handed to a constructor function; unknown is "no file" and
// 0xFFFFFFFF.
struct SLxFileLine {
    const char* pszFile = "no file";
    unsigned uiLine = 0xFFFFFFFFu;
};

// Makes a T on the private heap and returns its class part with a count of 1,
// or null when the allocation fails.
template <class T> ILxInterface* LX_ConstructObject(const char* file, unsigned line)
{
    T* object = new (file, line) T();
    return object ? static_cast<CLxClass*>(object) : nullptr;
}

// Defines the exported constructor function LX_ConstructorFor<ClassName>,
// found by that plain name in the class's module.
#define LX_DEFINE_CONSTRUCTOR(ClassName)                                                           \
    extern "C" LX_EXPORT ILxInterface* LX_ConstructorFor##ClassName(const char* file,              \
                                                                    unsigned line)                 \
    {                                                                                              \
        return LX_ConstructObject<ClassName>(file, line);                                          \
    }
