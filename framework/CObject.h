#pragma once
// Root of the framework's class tree with run-time class information: a class that
// declares itself dynamic can be asked what it is (IsKindOf), and a dynamically
// creatable one can be made from its CRuntimeClass alone (threads are started that way).
#include <windows.h>

#include <new>

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();  // null: not dynamically creatable
    CRuntimeClass* m_pBaseClass;

    // A new object of this class, or null when the class cannot be created dynamically
    // or memory ran out.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)                  \
public:                                              \
    static CRuntimeClass class##class_name;          \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                     \
    CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name),    \
                                                   0xFFFF, pfnNew,                     \
                                                   RUNTIME_CLASS(base_class_name)};    \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                     \
    CObject* class_name::CreateObject() { return new (std::nothrow) class_name; }           \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)

class CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* cls) const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// Message targets (windows, threads, the application). Message maps are added by the
// window classes that need them.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
};
