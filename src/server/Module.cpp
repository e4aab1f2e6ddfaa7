// The module object's lock count, termination list, teardown and
// registration operations. The process-wide instance `_Module` is defined in
// ModuleState.cpp, in order with the rest of the library's static state.
#include "server/Module.h"

#include "server/ServerRegistration.h"

#include <objidl.h>

#include <new>

CComModule::CComModule() noexcept : m_size(sizeof(CComModule)) {}

CComModule::~CComModule()
{
    Term();
}

LONG CComModule::Lock() noexcept
{
    return InterlockedIncrement(&m_lockCount);
}

LONG CComModule::Unlock() noexcept
{
    return InterlockedDecrement(&m_lockCount);
}

LONG CComModule::GetLockCount() noexcept
{
    return m_lockCount;
}

HRESULT CComModule::GetGITPtr(IGlobalInterfaceTable** git) noexcept
{
    if (!git)
        return E_POINTER;
    *git = nullptr;
    return E_NOTIMPL;
}

HRESULT CComModule::AddCommonVariables(IRegistrarBase* registrar) noexcept
{
    if (!registrar)
        return E_POINTER;
    return ::AddCommonVariables(registrar);
}

HRESULT CComModule::UpdateRegistryThroughRegistrar(UINT, BOOL) noexcept
{
    return E_FAIL;
}

HRESULT CComModule::UpdateRegistryThroughRegistrar(LPCWSTR, BOOL) noexcept
{
    return E_FAIL;
}

HRESULT CComModule::UpdateRegistryFromScript(UINT resourceId, BOOL doRegister) noexcept
{
    return ::UpdateRegistryFromScript(resourceId, doRegister != FALSE);
}

HRESULT CComModule::UpdateRegistryFromScript(LPCWSTR resourceName, BOOL doRegister) noexcept
{
    return ::UpdateRegistryFromScript(resourceName, doRegister != FALSE);
}

HRESULT CComModule::AddTermFunc(TermFunc func, DWORD_PTR context) noexcept
{
    std::unique_ptr<TermNode> node;
    try {
        node = std::make_unique<TermNode>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    node->func = func;
    node->context = context;
    ScopedLock<CriticalSection> lock(m_typeInfoSection);
    node->next = std::move(m_termHead);
    m_termHead = std::move(node);
    return S_OK;
}

void CComModule::Term() noexcept
{
    if (m_size == 0)
        return;
    // The list is detached first, so that a callback that wrongly adds
    // another one does not make this loop run it after teardown.
    std::unique_ptr<TermNode> node;
    {
        ScopedLock<CriticalSection> lock(m_typeInfoSection);
        node = std::move(m_termHead);
    }
    while (node) {
        node->func(node->context);
        node = std::move(node->next);
    }
    m_size = 0;
}
