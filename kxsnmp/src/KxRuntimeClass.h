// Definition of a dynamically creatable class's run-time class record.
#pragma once

#include <kxsnmp/KxObject.h>

#define KX_IMPLEMENT_SERIAL(class_name, base_class_record, schema)                                     \
    kxsnmp::CObject* class_name::CreateObject() { return new class_name; }                           \
    const kxsnmp::CRuntimeClass class_name::class##class_name = {#class_name, schema,                \
                                                                 &class_name::CreateObject,          \
                                                                 &base_class_record};                \
    const kxsnmp::CRuntimeClass* class_name::GetRuntimeClass() const { return &class##class_name; }
