// The checks that read the plug-in file without loading it: which exports it has, and on
// 32 bits their decoration and calling convention (the argument bytes each export's code
// removes on return).
#pragma once
#include "CheckReport.h"
#include "PeImage.h"

// One export of the plug-in interface: its name, the bytes of its arguments on 32 bits and
// whether a plug-in must have it (the host shows and orders a module by name and ID).
struct SExportSpec
{
    const char* pszName;
    unsigned uArgBytes;
    bool bRequired;
};

const SExportSpec* PluginExportSpecs(size_t* _pcSpecs);

// "exports": the required ones present; the optional ones listed.
void CheckExports(const CPeImage& _image, CCheckReport& _report);
// "exports.convention": on 32 bits, undecorated names and the __stdcall return of each
// export; on 64 bits there is one calling convention.
void CheckConvention(const CPeImage& _image, CCheckReport& _report);
