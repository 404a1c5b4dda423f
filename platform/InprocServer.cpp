#include "platform/InprocServer.h"

#include "platform/RegistryFile.h"
#include "platform/runtime/FilterMapperStore.h"

LONG FindInprocServer(REFCLSID clsid, std::wstring& path, std::string* problem)
{
    CRegistryKey root;
    if (const LONG status = CRegistryFile::Read(root, problem); status != ERROR_SUCCESS)
        return status;
    const CRegistryKey* server = root.Find(L"HKEY_CLASSES_ROOT\\CLSID\\" + GuidText(clsid) + L"\\InprocServer32");
    const CRegistryValue* value = server ? server->FindValue(L"") : nullptr;
    if (!value || value->type != REG_SZ || value->text.empty())
        return ERROR_FILE_NOT_FOUND;
    path = value->text;
    return ERROR_SUCCESS;
}
