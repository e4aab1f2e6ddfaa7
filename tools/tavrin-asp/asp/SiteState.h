// The state a served folder keeps between pages: sessions, application
// values and compiled pages. Every member is safe to use from every worker
// thread at once. Values are stored as VARIANTs; an object stored in a
// session or the application is kept, but calling it from a page that runs
// on another thread is not supported (the host does no marshalling).
#pragma once

#include "asp/PageRun.h"
#include "core/PageCompiler.h"

#include "util/ErrorMacros.h"
#include "util/VariantHolder.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

// Named VARIANT values, names in any letter case (Session.Contents,
// Application.Contents).
class ValueStore
{
public:
    // Copies the value of name into *value (Empty when there is none).
    HRESULT Get(const std::wstring& name, VARIANT* value);
    HRESULT Put(const std::wstring& name, const VARIANT& value);
    void RemoveAll();

private:
    std::mutex m_lock;
    std::map<std::wstring, VariantHolder> m_values; // by lower-case name
};

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

// The Windows path of a virtual path under root ("/a/b.inc" ->
// root\a\b.inc); false for a path with "." or ".." segments, backslashes or
// a drive.
bool PhysicalPath(const std::wstring& root, const std::string& virtualPath, std::wstring& path);
// The modification time of a file; 0 when it does not exist.
uint64_t FileStamp(const std::wstring& path);
