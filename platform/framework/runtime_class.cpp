#include "platform/framework/runtime_class.h"

#include <cstring>
#include <vector>

namespace {

// Filled by the registrations of static objects; a function-local list is ready whichever
// translation unit registers first.
std::vector<const CRuntimeClass*>& RegisteredClasses() {
    static std::vector<const CRuntimeClass*> classes;
    return classes;
}

}  // namespace

namespace framework {

ClassRegistration::ClassRegistration(const CRuntimeClass* runtimeClass) {
    RegisteredClasses().push_back(runtimeClass);
}

}  // namespace framework

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    if (!base) {
        return false;
    }
    for (const CRuntimeClass* current = this; current; current = current->m_pBaseClass) {
        if (current == base) {
            return true;
        }
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className) {
    if (!className) {
        return nullptr;
    }
    for (const CRuntimeClass* runtimeClass : RegisteredClasses()) {
        if (strcmp(runtimeClass->m_lpszClassName, className) == 0) {
            return runtimeClass;
        }
    }
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* className) {
    const CRuntimeClass* runtimeClass = FromName(className);
    return runtimeClass ? runtimeClass->CreateObject() : nullptr;
}

const CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), nullptr,
                                             nullptr};
static const framework::ClassRegistration CObjectRegistration(&CObject::classCObject);

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const {
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}
