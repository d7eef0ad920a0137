#include "base/SecurityAttributes.h"

SECURITY_ATTRIBUTES* GetNullDaclAttributes()
{
    static SECURITY_DESCRIPTOR s_Descriptor;
    static SECURITY_ATTRIBUTES s_Attributes = [] {
        InitializeSecurityDescriptor(&s_Descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&s_Descriptor, TRUE, nullptr, FALSE);
        SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), &s_Descriptor, FALSE};
        return attributes;
    }();
    return &s_Attributes;
}
