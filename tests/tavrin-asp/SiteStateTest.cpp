// The state of a served folder: the page cache (one compiled page per file,
// by every name that reaches the file, compiled again when the file
// changes) and the sweep that drops expired sessions.
#include "asp/SiteState.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class PageCache : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryW(m_site.Path(L"Sub").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(m_site.Path(L"Sub\\Page.asp"), "<% x = 1 %>text"));
    }

    // The compiled page of virtualPath; fails the test when it does not compile.
    std::shared_ptr<const CompiledPage> Get(const std::string& virtualPath)
    {
        std::shared_ptr<const CompiledPage> page;
        PageCompileError error;
        EXPECT_TRUE(m_state.GetPage(m_site.Root(), virtualPath, page, error))
            << virtualPath << ": " << error.message;
        return page;
    }

    TempDir m_site;
    SiteState m_state;
};

TEST_F(PageCache, EveryLetterCaseOfOneFileSharesOneCompiledPage)
{
    const auto first = Get("/Sub/Page.asp");
    ASSERT_NE(nullptr, first);
    for (const char* path : {"/sub/page.asp", "/SUB/PAGE.ASP", "/Sub/Page.asp"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(first.get(), Get(path).get());
    }
}

TEST_F(PageCache, ChangedFileIsCompiledAgain)
{
    const auto first = Get("/Sub/Page.asp");
    ASSERT_NE(nullptr, first);
    // A new size changes the stamp even where the clock is coarse.
    ASSERT_TRUE(WriteWholeFile(m_site.Path(L"Sub\\Page.asp"), "<% x = 22 %>longer text"));
    const auto second = Get("/sub/page.asp");
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ("longer text", second->blocks.at(0));
}

// A new session of site, abandoned. The site holds it until a sweep drops
// it: the weak reference tells whether it still does.
std::weak_ptr<SessionData> Abandoned(SiteState& site)
{
    const std::shared_ptr<SessionData> session = site.NewSession();
    EXPECT_NE(nullptr, session);
    if (session)
        session->abandoned = true;
    return session;
}

TEST(SessionSweep, NewSessionDoesNotSweepEverySession)
{
    SiteState site;
    const std::weak_ptr<SessionData> abandoned = Abandoned(site);
    site.NewSession();
    EXPECT_FALSE(abandoned.expired()) << "expected the next session not to sweep the others";
}

TEST(SessionSweep, ExpiredSessionGoesOnceTheCountDoubles)
{
    SiteState site;
    const std::weak_ptr<SessionData> abandoned = Abandoned(site);
    for (int i = 0; i < 2048 && !abandoned.expired(); ++i)
        site.NewSession();
    EXPECT_TRUE(abandoned.expired()) << "expected a sweep within 2048 new sessions";
}

} // namespace
