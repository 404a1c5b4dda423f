#include "platform/runtime/FilterMapper.h"

#include <new>

#include "platform/RegFileFormat.h"
#include "platform/RegistryFile.h"
#include "platform/runtime/FilterMapperStore.h"

namespace {

const CLSID& CategoryOr(const CLSID* category)
{
    return category ? *category : CLSID_LegacyAmFilterCategory;
}

std::wstring InstanceOr(LPCOLESTR instance, REFCLSID filter)
{
    return instance && *instance ? std::wstring(instance) : GuidText(filter);
}

bool IsKeyName(const std::wstring& name)
{
    return !name.empty() && name.size() <= kMaxRegistryKeyName && name.find(L'\\') == std::wstring::npos &&
           IsRegistryText(name);
}

// The pins of a version 1 filter: E_POINTER for a missing table or name,
// E_INVALIDARG for a name that cannot be a key.
HRESULT PinsOf(const REGFILTER2& filter, std::vector<RegisteredPin>& pins)
{
    if (filter.cPins > 0 && !filter.rgPins)
        return E_POINTER;
    for (ULONG i = 0; i < filter.cPins; ++i)
    {
        const REGFILTERPINS& from = filter.rgPins[i];
        if (!from.strName || (from.nMediaTypes > 0 && !from.lpMediaType))
            return E_POINTER;
        RegisteredPin pin;
        pin.name = from.strName;
        if (!IsKeyName(pin.name))
            return E_INVALIDARG;
        pin.rendered = from.bRendered != FALSE;
        pin.output = from.bOutput != FALSE;
        pin.zero = from.bZero != FALSE;
        pin.many = from.bMany != FALSE;
        pin.connectsToFilter = from.clsConnectsToFilter ? *from.clsConnectsToFilter : GUID_NULL;
        pin.connectsToPin = from.strConnectsToPin ? from.strConnectsToPin : L"";
        for (UINT t = 0; t < from.nMediaTypes; ++t)
        {
            const REGPINTYPES& type = from.lpMediaType[t];
            pin.types.emplace_back(type.clsMajorType ? *type.clsMajorType : GUID_NULL,
                                   type.clsMinorType ? *type.clsMinorType : GUID_NULL);
        }
        pins.push_back(std::move(pin));
    }
    return S_OK;
}

} // namespace

HRESULT CFilterMapper::Create(REFIID riid, void** ppv)
{
    CFilterMapper* mapper = new (std::nothrow) CFilterMapper();
    if (!mapper)
    {
        *ppv = nullptr;
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = mapper->QueryInterface(riid, ppv);
    mapper->Release();
    return hr;
}

STDMETHODIMP CFilterMapper::CreateCategory(REFCLSID, DWORD, LPCWSTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterMapper::UnregisterFilter(const CLSID* pclsidCategory, LPCOLESTR szInstance, REFCLSID Filter)
{
    const std::wstring instances = FilterInstancesPath(CategoryOr(pclsidCategory));
    const std::wstring instance = InstanceOr(szInstance, Filter);
    const LONG status = CRegistryFile::Update(
        [&](CRegistryKey& root) {
            CRegistryKey* list = root.Find(instances);
            return list && list->Remove(instance) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        },
        nullptr);
    return HRESULT_FROM_WIN32(status);
}

STDMETHODIMP CFilterMapper::RegisterFilter(REFCLSID clsidFilter, LPCWSTR Name, IMoniker** ppMoniker,
                                           const CLSID* pclsidCategory, LPCOLESTR szInstance, const REGFILTER2* prf2)
{
    if (ppMoniker)
        *ppMoniker = nullptr;
    if (!prf2 || !Name)
        return E_POINTER;
    if (prf2->dwVersion != 1)
        return E_NOTIMPL;
    RegisteredFilter filter;
    filter.clsid = clsidFilter;
    filter.name = Name;
    filter.merit = prf2->dwMerit;
    if (const HRESULT hr = PinsOf(*prf2, filter.pins); FAILED(hr))
        return hr;
    if (!IsRegistryText(filter.name))
        return E_INVALIDARG;
    const GUID& category = CategoryOr(pclsidCategory);
    const std::wstring instance = InstanceOr(szInstance, clsidFilter);
    if (!IsKeyName(instance))
        return E_INVALIDARG;
    const LONG status = CRegistryFile::Update(
        [&](CRegistryKey& root) {
            WriteFilterEntry(root, category, instance, filter);
            return ERROR_SUCCESS;
        },
        nullptr);
    return HRESULT_FROM_WIN32(status);
}

STDMETHODIMP CFilterMapper::EnumMatchingFilters(IEnumMoniker** ppEnum, DWORD, BOOL, DWORD, BOOL, DWORD, const GUID*,
                                                const REGPINMEDIUM*, const CLSID*, BOOL, BOOL, DWORD, const GUID*,
                                                const REGPINMEDIUM*, const CLSID*)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}
