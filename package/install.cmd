@echo off
rem Registers TavrinUpload.dll of each architecture found beside this script
rem with that architecture's regsvr32: on 64-bit Windows x64\ with System32's
rem and x86\ with SysWOW64's, on 32-bit Windows x86\ with System32's.
rem "install.cmd /u" unregisters the same way (uninstall.cmd calls it so).
rem Stops at the first failure with exit code 1. Needs an elevated prompt.
setlocal
set "here=%~dp0"
set "option="
set "verb=register"
set "done=Registered"
set "count=0"
if /i "%~1"=="/u" (
    set "option=/u"
    set "verb=unregister"
    set "done=Unregistered"
)
rem A 32-bit cmd on 64-bit Windows sees SysWOW64 as System32; the 64-bit
rem System32 is Sysnative there.
set "windows=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "windows=%PROCESSOR_ARCHITEW6432%"
set "system64=%SystemRoot%\System32"
if defined PROCESSOR_ARCHITEW6432 set "system64=%SystemRoot%\Sysnative"

if /i "%windows%"=="x86" goto windows32
call :one x64 "%system64%\regsvr32.exe"
if %ERRORLEVEL% neq 0 exit /b 1
call :one x86 "%SystemRoot%\SysWOW64\regsvr32.exe"
if %ERRORLEVEL% neq 0 exit /b 1
goto end
:windows32
if exist "%here%x64\TavrinUpload.dll" echo Skipped x64: 32-bit Windows cannot load a 64-bit DLL.
call :one x86 "%SystemRoot%\System32\regsvr32.exe"
if %ERRORLEVEL% neq 0 exit /b 1
:end
if %count%==0 >&2 echo No TavrinUpload.dll for this Windows beside the script: nothing done.
if %count%==0 exit /b 1
echo TavrinUpload: done.
exit /b 0

rem :one ARCH REGSVR32 - one architecture's DLL, if the package holds it.
:one
set "dll=%here%%~1\TavrinUpload.dll"
if not exist "%dll%" echo Skipped %~1: "%dll%" is not there.
if not exist "%dll%" exit /b 0
"%~2" /s %option% "%dll%"
if %ERRORLEVEL% neq 0 goto failed
echo %done% "%dll%" with %~2
set /a count+=1
exit /b 0
:failed
set "code=%ERRORLEVEL%"
>&2 echo Failed to %verb% "%dll%" with %~2: regsvr32 exit code %code%.
if "%code%"=="3" >&2 echo Windows could not load the DLL: unpack the archive again.
if "%code%"=="5" >&2 echo Run this script from an elevated command prompt: Run as administrator.
exit /b 1
