// Sessions, application values and the page cache of a served folder.
#define _CRT_RAND_S
#include "asp/SiteState.h"

#include "asp/CodePageText.h"
#include "asp/FileAccess.h"
#include "asp/PhysicalPath.h"

#include <cstdlib>
#include <vector>
#include <windows.h>

const char kSessionCookieName[] = "ASPSESSIONIDTAVRINAS";

namespace {

// 24 upper-case letters from the platform's random source.
std::string NewCookieValue()
{
    std::string value;
    while (value.size() < 24) {
        unsigned int number = 0;
        if (rand_s(&number) != 0)
            number = static_cast<unsigned int>(GetTickCount64() * 2654435761u + value.size());
        value += static_cast<char>('A' + number % 26);
    }
    return value;
}

bool Expired(const SessionData& session, int64_t now)
{
    return session.abandoned ||
           now - session.lastUseTick > int64_t{session.timeoutMinutes} * 60 * 1000;
}

std::vector<uint64_t> Stamps(const std::wstring& root, const std::vector<std::string>& files)
{
    std::vector<uint64_t> stamps;
    for (const std::string& file : files) {
        std::wstring path;
        stamps.push_back(PhysicalPath(root, file, path) ? FileStamp(path) : 0);
    }
    return stamps;
}

} // namespace

std::shared_ptr<SessionData> SiteState::FindSession(const std::string& cookieValue)
{
    std::lock_guard<std::mutex> hold(m_sessionLock);
    auto found = m_sessions.find(cookieValue);
    if (found == m_sessions.end())
        return nullptr;
    const int64_t now = static_cast<int64_t>(GetTickCount64());
    if (Expired(*found->second, now)) {
        m_sessions.erase(found);
        return nullptr;
    }
    found->second->lastUseTick = now;
    return found->second;
}

std::shared_ptr<SessionData> SiteState::NewSession()
{
    auto session = std::make_shared<SessionData>();
    const int64_t now = static_cast<int64_t>(GetTickCount64());
    session->lastUseTick = now;
    std::string cookie = NewCookieValue();
    session->cookieValue = WidenBytes(cookie, CP_ACP);
    std::lock_guard<std::mutex> hold(m_sessionLock);
    for (auto it = m_sessions.begin(); it != m_sessions.end();)
        it = Expired(*it->second, now) ? m_sessions.erase(it) : std::next(it);
    session->sessionId = ++m_nextSessionId + 123456000;
    m_sessions[cookie] = session;
    return session;
}

bool SiteState::GetPage(const std::wstring& root, const std::string& virtualPath,
                        std::shared_ptr<const CompiledPage>& page, PageCompileError& error)
{
    const std::wstring key = root + L"|" + WidenBytes(virtualPath, CP_UTF8);
    {
        std::lock_guard<std::mutex> hold(m_pageLock);
        auto found = m_pages.find(key);
        if (found != m_pages.end() &&
            found->second.stamps == Stamps(root, found->second.page->files)) {
            page = found->second.page;
            return true;
        }
    }
    // Compiled outside the lock: two threads may compile the same page at
    // once; the later result wins, both are correct.
    auto compiled = std::make_shared<CompiledPage>();
    const PageLoader loader = [&root](const std::string& path, std::string& bytes) {
        std::wstring file;
        return PhysicalPath(root, path, file) && ReadWholeFile(file, bytes);
    };
    if (!CompilePage(virtualPath, loader, *compiled, error)) {
        page = compiled;
        return false;
    }
    CachedPage entry{compiled, Stamps(root, compiled->files)};
    std::lock_guard<std::mutex> hold(m_pageLock);
    m_pages[key] = std::move(entry);
    page = compiled;
    return true;
}
