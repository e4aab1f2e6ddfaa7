// The supervisor of "tavrin-asp serve" (see Supervisor.h).
#include "program/Supervisor.h"

#include "program/AccessLog.h"

#include "util/Handles.h"

#include <windows.h>

#include <string>

namespace {

// Restarts are given up when the server keeps dying at once.
constexpr int kMaxQuickRestarts = 5;
constexpr ULONGLONG kQuickMs = 10000;

// A job that kills its processes when its last handle closes, so that the
// server never outlives its supervisor.
HandleHolder MakeKillingJob()
{
    HandleHolder job(CreateJobObjectW(nullptr, nullptr));
    if (!job)
        return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// Runs the child once and returns its exit code.
DWORD RunChild(HANDLE job)
{
    std::wstring commandLine = std::wstring(GetCommandLineW()) + L" " + kSupervisedFlag;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return 1;
    HandleHolder processHandle(process.hProcess);
    HandleHolder thread(process.hThread);
    if (job)
        AssignProcessToJobObject(job, process.hProcess);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

} // namespace

int SuperviseServer()
{
    HandleHolder job = MakeKillingJob();
    int quickRestarts = 0;
    for (;;) {
        const ULONGLONG started = GetTickCount64();
        const DWORD code = RunChild(job.Get());
        if (code == 0 || code == 1 || code == 2)
            return static_cast<int>(code);
        quickRestarts = GetTickCount64() - started < kQuickMs ? quickRestarts + 1 : 0;
        char text[160];
        snprintf(text, sizeof text,
                 "tavrin-asp: the server ended with exit code 0x%08lX (a script engine may have "
                 "aborted on a page); %s",
                 code, quickRestarts < kMaxQuickRestarts ? "starting it again" : "giving up");
        WriteServerLine(text);
        if (quickRestarts >= kMaxQuickRestarts)
            return 1;
    }
}
