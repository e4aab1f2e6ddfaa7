// The Host check: the loopback names and the allowed ones, nothing that
// only looks like them.
#include "core/AllowedHosts.h"

#include <gtest/gtest.h>

namespace {

TEST(AllowedHosts, AnswersLoopbackAndAllowedNamesOnly)
{
    const AllowedHosts allowed({"Dev.Example", "[fe80::1]", "192.168.1.5"});
    const struct
    {
        const char* host;
        bool allowed;
    } rows[] = {
        {"localhost", true},
        {"localhost:8080", true},
        {"LocalHost:8080", true},
        {"127.0.0.1:18200", true},
        {"[::1]:8080", true},
        {"[::1]", true},
        {"dev.example:8080", true},
        {"[FE80::1]:80", true},
        {"192.168.1.5:8080", true},
        {"evil.example:8080", false},
        {"localhost.evil.example", false},
        {"localhost.", false},
        {"127.0.0.2:8080", false},
        {"::1", false},
        {"[::1", false},
        {"[::1]x", false},
        {"localhost:", false},
        {"localhost:80a", false},
        {"localhost:123456", false},
        {"localhost:80:80", false},
        {"", false},
        {"a", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.host);
        const std::string host = row.host;
        EXPECT_EQ(row.allowed, allowed.Allows(&host));
    }
    EXPECT_FALSE(allowed.Allows(nullptr)) << "a request without Host must be refused";
}

TEST(AllowedHosts, NamesGivenMustBeNamesWithoutPort)
{
    const struct
    {
        const char* name;
        bool plausible;
    } rows[] = {
        {"dev.example", true}, {"192.168.1.5", true},          {"[fe80::1]", true},
        {"", false},           {"dev.example:8080", false},    {"[fe80::1]:80", false},
        {"fe80::1", false},    {"http://dev.example/", false}, {"a b", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.plausible, AllowedHosts::IsPlausibleName(row.name));
    }
}

} // namespace
