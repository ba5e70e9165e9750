#pragma once
// Runtime class records: every class that declares one can say what it is (its name and
// base), answer whether it is a kind of another class, and, when it is dynamically
// creatable, be made from its record or its name alone.
#include <windows.h>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();    // nullptr when the class is not dynamically creatable
    const CRuntimeClass* m_pBaseClass;  // nullptr for CObject

    // A new object of this class, or nullptr when it cannot be created dynamically.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // Records of the classes linked into this program, looked up by name.
    static const CRuntimeClass* FromName(const char* className);
    static CObject* CreateObject(const char* className);
};

class CObject {
  public:
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* runtimeClass) const;

    static const CRuntimeClass classCObject;

  protected:
    CObject() = default;
};

namespace framework {
// Makes a runtime class findable by name; one per IMPLEMENT_ macro.
struct ClassRegistration {
    explicit ClassRegistration(const CRuntimeClass* runtimeClass);
};
}  // namespace framework

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class: its runtime class record and the query for it. Leaves the access public.
#define DECLARE_DYNAMIC(class_name)               \
  public:                                         \
    static const CRuntimeClass class##class_name; \
    const CRuntimeClass* GetRuntimeClass() const override;

// As DECLARE_DYNAMIC, and the class can be created from its record (default constructor).
#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define FRAMEWORK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, create)                     \
    const CRuntimeClass class_name::class##class_name = {#class_name,                             \
                                                         static_cast<int>(sizeof(class_name)),    \
                                                         create, RUNTIME_CLASS(base_class_name)}; \
    const CRuntimeClass* class_name::GetRuntimeClass() const {                                    \
        return RUNTIME_CLASS(class_name);                                                         \
    }                                                                                             \
    static const ::framework::ClassRegistration class_name##Registration(RUNTIME_CLASS(class_name));

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    FRAMEWORK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() {                \
        return new class_name;                           \
    }                                                    \
    FRAMEWORK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, class_name::CreateObject)
