// What goes into the support bundle: the host's files of this user (or of the service),
// each under a name in the bundle. Files of other people are left out.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "HostLocator.h"

struct SBundleFile
{
    std::wstring strSource;   // full path
    std::wstring strName;     // name in the bundle, with folders ("log\StatusReport.ini")
    std::wstring strWhat;     // what it is, for the summary
};

struct SBundlePlan
{
    std::vector<SBundleFile> vecFiles;
    std::vector<std::wstring> vecMissing;   // what was looked for and not found
    int iLeftOut = 0;                       // files found that belong to other accounts
};

SBundlePlan PlanBundle(const SHostContext& _host, const SYSTEMTIME& _stNowUtc);
// True when the file belongs to the account running tvrctl, to the system account (the
// service) or to the administrators (the installation); false for any other owner.
bool IsOwnFile(const std::wstring& _strPath);
