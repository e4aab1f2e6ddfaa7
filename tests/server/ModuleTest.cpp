// The module object's lock count, termination list and teardown, on module
// objects of the test's own so that the library's module stays untouched.
#include "server/Module.h"
#include "registrar/RegObject.h"
#include "util/Handles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_ran;

void WINAPI RecordContext(DWORD_PTR context)
{
    g_ran += static_cast<char>(context);
}

TEST(Module, LockAndUnlockReturnTheNewCount)
{
    CComModule module;
    EXPECT_EQ(1, module.Lock());
    EXPECT_EQ(2, module.Lock());
    EXPECT_EQ(1, module.Unlock());
    EXPECT_EQ(1, module.GetLockCount());
}

TEST(Module, TermRunsCallbacksNewestFirstExactlyOnce)
{
    g_ran.clear();
    {
        CComModule module;
        for (char c : std::string("ABC"))
            ASSERT_EQ(S_OK, module.AddTermFunc(RecordContext, static_cast<DWORD_PTR>(c)));
        EXPECT_EQ("", g_ran);
        module.Term();
        EXPECT_EQ("CBA", g_ran);
        module.Term();
        EXPECT_EQ("CBA", g_ran);
    } // the destructor's teardown does nothing either
    EXPECT_EQ("CBA", g_ran);
}

TEST(Module, TermIgnoresTheLockCount)
{
    g_ran.clear();
    CComModule module;
    module.Lock();
    ASSERT_EQ(S_OK, module.AddTermFunc(RecordContext, 'X'));
    module.Term();
    EXPECT_EQ("X", g_ran);
}

TEST(Module, AddingACallbackWhileHoldingTheTypeInfoSectionDoesNotBlock)
{
    g_ran.clear();
    CComModule module;
    module.EnterTypeInfoSection();
    EXPECT_EQ(S_OK, module.AddTermFunc(RecordContext, 'R'));
    module.LeaveTypeInfoSection();
    module.Term();
    EXPECT_EQ("R", g_ran);
}

DWORD WINAPI EnterAndLeave(void* module)
{
    static_cast<CComModule*>(module)->EnterTypeInfoSection();
    static_cast<CComModule*>(module)->LeaveTypeInfoSection();
    return 0;
}

TEST(Module, TypeInfoSectionExcludesOtherThreads)
{
    CComModule module;
    module.EnterTypeInfoSection();
    HandleHolder thread(CreateThread(nullptr, 0, EnterAndLeave, &module, 0, nullptr));
    ASSERT_NE(nullptr, thread.Get());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread.Get(), 100));
    module.LeaveTypeInfoSection();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), 5000));
}

TEST(Module, CommonVariablesHoldAnEmptyAppId)
{
    CComModule module;
    CRegObject registrar;
    ASSERT_EQ(S_OK, module.AddCommonVariables(&registrar));
    EXPECT_EQ(1u, registrar.Variables().Count());
    ASSERT_NE(nullptr, registrar.Variables().Lookup(L"APPID"));
    EXPECT_STREQ(L"", registrar.Variables().Lookup(L"APPID"));
    EXPECT_EQ(E_POINTER, module.AddCommonVariables(nullptr));
}

TEST(Module, RegistrationThroughASeparateRegistrarComponentIsRefused)
{
    CComModule module;
    EXPECT_EQ(E_FAIL, module.UpdateRegistryThroughRegistrar(101u, TRUE));
    EXPECT_EQ(E_FAIL, module.UpdateRegistryThroughRegistrar(102u, FALSE));
    EXPECT_EQ(E_FAIL, module.UpdateRegistryThroughRegistrar(L"REGISTRY", TRUE));
}

} // namespace
