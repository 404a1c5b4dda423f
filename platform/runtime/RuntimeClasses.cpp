#include "platform/runtime/RuntimeClasses.h"

#include <dshow.h>

#include "framework/ComPtr.h"
#include "platform/SystemClasses.h"
#include "platform/runtime/FileSourceFilter.h"
#include "platform/runtime/FilterGraph.h"
#include "platform/runtime/FilterMapper.h"
#include "platform/runtime/MemAllocator.h"

namespace {

// A new Object (made by its Create(Object**)) asked for riid.
template <class Object>
HRESULT CreateAndQuery(REFIID riid, LPVOID* ppv)
{
    Object* raw = nullptr;
    const HRESULT hr = Object::Create(&raw);
    if (FAILED(hr))
        return hr;
    const ComPtr<Object> object = ComPtr<Object>::Attach(raw);
    return object->QueryInterface(riid, ppv);
}

struct RuntimeClass
{
    const CLSID* clsid;
    HRESULT (*create)(REFIID riid, LPVOID* ppv);
};

const RuntimeClass kRuntimeClasses[] = {
    {&CLSID_FilterGraph, CreateAndQuery<CFilterGraph>},
    {&CLSID_AsyncReader, CreateAndQuery<CFileSourceFilter>},
    {&CLSID_MemoryAllocator, CreateAndQuery<CMemAllocator>},
    {&CLSID_FilterMapper2, CFilterMapper::Create},
};

} // namespace

HRESULT CreateRuntimeObject(REFCLSID clsid, LPUNKNOWN outer, REFIID riid, LPVOID* ppv)
{
    for (const RuntimeClass& runtimeClass : kRuntimeClasses)
        if (*runtimeClass.clsid == clsid)
            return outer ? CLASS_E_NOAGGREGATION : runtimeClass.create(riid, ppv);
    return REGDB_E_CLASSNOTREG;
}

namespace {

// Every native program links the runtime whole (see platform/CMakeLists.txt),
// so this runs in each of them before main.
const bool g_installed = (InstallSystemClasses(&CreateRuntimeObject), true);

} // namespace
