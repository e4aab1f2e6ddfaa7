// The module object's termination list and type-information section, on
// module objects of the test's own so that the library's module stays
// untouched.
#include "server/Module.h"
#include "util/Handles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_ran;

void WINAPI RecordContext(DWORD_PTR context)
{
    g_ran += static_cast<char>(context);
}

// Term runs at unload, whatever locks a leaking client still holds.
TEST(Module, TermRunsCallbacksNewestFirstExactlyOnceWhateverTheLockCount)
{
    g_ran.clear();
    {
        CComModule module;
        module.Lock();
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

} // namespace
