#include "ExportCheck.h"

#include <cstring>

#include "TelvarinPlugin.h"
#include "X86Return.h"

namespace {

const SExportSpec EXPORT_SPECS[] = {
    {DLL_NAME_PLUGINBUSPROCESS, 8, false},   {DLL_NAME_GETPLUGINID, 0, true},
    {DLL_NAME_PLUGINAFTERLOAD, 0, false},    {DLL_NAME_PLUGINBEFORECLOSE, 0, false},
    {DLL_NAME_GETPLUGINNAME, 0, true},       {DLL_NAME_ISUNICODE, 0, false},
    {DLL_NAME_ISSUPPORTEDVERSION, 0, false}, {DLL_NAME_ISBETAVERSION, 0, false},
    {DLL_NAME_CANDISABLE, 0, false},         {DLL_NAME_GETDISABLESTATE, 0, false},
    {DLL_NAME_SETDISABLESTATE, 4, false},    {DLL_NAME_SHOWCONFIG, 4, false},
};

// Code read from an export's entry: the longest function of a plug-in is far shorter.
const size_t CODE_WINDOW = 64 * 1024;

// An export whose name is the interface name with a decoration ("_Name@8", "Name@8", "_Name").
const SPeExport* FindDecorated(const CPeImage& _image, const std::string& _strName)
{
    for (const SPeExport& entry : _image.Exports())
    {
        const std::string& strExport = entry.strName;
        const size_t cbStart = !strExport.empty() && strExport[0] == '_' ? 1 : 0;
        if (strExport == _strName || strExport.compare(cbStart, _strName.size(), _strName) != 0)
            continue;
        const size_t cbRest = cbStart + _strName.size();
        if (cbRest == strExport.size() || strExport[cbRest] == '@')
            return &entry;
    }
    return nullptr;
}

std::string JoinNames(const std::vector<std::string>& _vecNames)
{
    std::string strOut;
    for (const std::string& strName : _vecNames)
        strOut += (strOut.empty() ? "" : ", ") + strName;
    return strOut.empty() ? "none" : strOut;
}

// The problem of one export's return on 32 bits, or empty.
std::string ReturnProblem(const CPeImage& _image, const SPeExport& _export, const SExportSpec& _spec)
{
    const SReturnScan scan = ScanX86Returns(_image.BytesAt(_export.dwRva, CODE_WINDOW));
    if (scan.setRetBytes.empty())
        return std::string();   // no return found to judge by (a tail call): nothing is claimed
    for (const unsigned uRetBytes : scan.setRetBytes)
        if (uRetBytes != _spec.uArgBytes)
            return Format("%s returns with \"ret %u\" but must remove its %u argument bytes (\"ret %u\"): %s",
                          _spec.pszName, uRetBytes, _spec.uArgBytes, _spec.uArgBytes,
                          uRetBytes == 0 ? "it is __cdecl, declare it WINAPI" : "its arguments differ from the interface");
    return std::string();
}

} // namespace

const SExportSpec* PluginExportSpecs(size_t* _pcSpecs)
{
    *_pcSpecs = sizeof(EXPORT_SPECS) / sizeof(EXPORT_SPECS[0]);
    return EXPORT_SPECS;
}

void CheckExports(const CPeImage& _image, CCheckReport& _report)
{
    std::vector<std::string> vecMissing;
    std::vector<std::string> vecOptional;
    for (const SExportSpec& spec : EXPORT_SPECS)
    {
        const bool bPresent = _image.FindExport(spec.pszName) != nullptr;
        if (!bPresent && spec.bRequired)
            vecMissing.push_back(spec.pszName);
        else if (bPresent && !spec.bRequired)
            vecOptional.push_back(spec.pszName + strlen("DLL_"));
    }
    if (!vecMissing.empty())
        _report.Fail("exports", "missing required export " + JoinNames(vecMissing) +
                                    " (without a name and ID the host neither shows nor orders the module)");
    else
        _report.Pass("exports", "required DLL_GetPluginID, DLL_GetPluginName; optional present: " + JoinNames(vecOptional));
}

void CheckConvention(const CPeImage& _image, CCheckReport& _report)
{
    if (!_image.Is32Bit())
    {
        _report.Pass("exports.convention", "x86_64 has one calling convention; names undecorated");
        return;
    }
    std::vector<std::string> vecProblems;
    size_t cExamined = 0;
    for (const SExportSpec& spec : EXPORT_SPECS)
    {
        const SPeExport* pExport = _image.FindExport(spec.pszName);
        const SPeExport* pDecorated = FindDecorated(_image, spec.pszName);
        if (pDecorated != nullptr)
            vecProblems.push_back(Format("%s is exported as \"%s\"%s: list the plain name in the .def file and link with "
                                         "-Wl,--enable-stdcall-fixup",
                                         spec.pszName, pDecorated->strName.c_str(),
                                         pExport == nullptr ? ", which the host does not find" : ""));
        const SPeExport* pCode = pExport != nullptr ? pExport : pDecorated;
        if (pCode == nullptr)
            continue;
        ++cExamined;
        const std::string strProblem = ReturnProblem(_image, *pCode, spec);
        if (!strProblem.empty())
            vecProblems.push_back(strProblem);
    }
    if (!vecProblems.empty())
        _report.Fail("exports.convention", vecProblems.front() +
                                               (vecProblems.size() > 1 ? Format(" (and %zu more)", vecProblems.size() - 1) : ""));
    else
        _report.Pass("exports.convention", Format("%zu exports undecorated, __stdcall returns read from their code", cExamined));
}
