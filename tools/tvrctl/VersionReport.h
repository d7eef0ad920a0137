// The program's and the system's versions as text, for the support bundle.
#pragma once
#include <string>

#include "HostLocator.h"

std::wstring DescribeVersions(const SHostContext& _host);
