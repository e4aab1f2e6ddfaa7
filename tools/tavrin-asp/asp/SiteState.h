// The state a served folder keeps between pages: sessions, application
// values and compiled pages. Every member is safe to use from every worker
// thread at once. Values are stored as VARIANTs; an object stored in a
// session or the application is kept, but calling it from a page that runs
// on another thread is not supported (the host does no marshalling).
#pragma once

#include "asp/PageRun.h"
#include "asp/ValueStore.h"
#include "core/PageCompiler.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

struct SessionData
{
    std::wstring cookieValue; // the ASPSESSIONID cookie's value
    long sessionId = 0;       // Session.SessionID
    ValueStore values;
    std::atomic<long> timeoutMinutes{20};
    std::atomic<int64_t> lastUseTick{0};
    std::atomic<bool> abandoned{false};
};

// The name of the session cookie.
extern const char kSessionCookieName[];

class SiteState
{
public:
    // The live session of a cookie value, marked as used now; null when
    // there is none, it expired or was abandoned.
    std::shared_ptr<SessionData> FindSession(const std::string& cookieValue);
    // A new session (and drops the sessions that expired).
    std::shared_ptr<SessionData> NewSession();

    // The compiled page at virtualPath under root, compiled again when it or
    // one of its includes changed. False with error set when it does not
    // compile.
    bool GetPage(const std::wstring& root, const std::string& virtualPath,
                 std::shared_ptr<const CompiledPage>& page, PageCompileError& error);

    ValueStore application;
    // Held by Application.Lock until UnLock or the end of the page.
    std::recursive_mutex applicationLock;

private:
    struct CachedPage
    {
        std::shared_ptr<const CompiledPage> page;
        std::vector<uint64_t> stamps; // modification times of page->files
    };

    std::mutex m_sessionLock;
    std::map<std::string, std::shared_ptr<SessionData>> m_sessions;
    long m_nextSessionId = 0;
    std::mutex m_pageLock;
    std::map<std::wstring, CachedPage> m_pages; // by root + virtual path
};
