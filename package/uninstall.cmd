@echo off
rem Unregisters TavrinUpload.dll of each architecture found beside this
rem script; install.cmd does the work. Stops at the first failure with exit
rem code 1. Needs an elevated prompt.
call "%~dp0install.cmd" /u
exit /b %ERRORLEVEL%
