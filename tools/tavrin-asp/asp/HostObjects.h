// The host objects of one page run, made together around the page's
// PageState: the scripting context that components receive in OnStartPage
// and the five objects it hands out (the same ones the script names
// Request, Response, Server, Session and Application). Each holds the page
// state through shared_ptr; once the state is closed their members that
// need the request or the connection fail with E_UNEXPECTED.
#pragma once

#include "asp/AspObject.h"
#include "asp/PageState.h"

#include "util/ComPtr.h"

#include <ole2.h>

#include <asptlb.h>
#include <memory>
#include <string>
#include <vector>

// The components that Server.CreateObject made and that have OnStartPage.
struct PageComponents
{
    IScriptingContext* context = nullptr; // not owned: the page's HostObjects hold it
    std::vector<ComPtr<IDispatch>> started;
};

struct HostObjects
{
    ComPtr<IScriptingContext> context;
    ComPtr<IRequest> request;
    ComPtr<IResponse> response;
    ComPtr<IServer> server;
    ComPtr<ISessionObject> session;
    ComPtr<IApplicationObject> application;
    std::shared_ptr<PageComponents> components;
};

HRESULT CreateHostObjects(const std::shared_ptr<PageState>& state, HostObjects& objects);
// Calls OnEndPage on each component that had OnStartPage, then releases them.
void EndComponents(PageComponents& components);

HRESULT CreateRequestObject(const std::shared_ptr<PageState>& state, IRequest** request);
HRESULT CreateResponseObject(const std::shared_ptr<PageState>& state, IResponse** response);
// components->context must be set before a script runs.
HRESULT CreateServerObject(const std::shared_ptr<PageState>& state,
                           const std::shared_ptr<PageComponents>& components, IServer** server);
HRESULT CreateSessionObject(const std::shared_ptr<PageState>& state, ISessionObject** session);
HRESULT CreateApplicationObject(const std::shared_ptr<PageState>& state,
                                IApplicationObject** application);
HRESULT CreateScriptingContext(const HostObjects& objects, IScriptingContext** context);

// The text that an E_UNEXPECTED from a closed page carries.
constexpr wchar_t kPageEndedText[] = L"The page has ended.";
