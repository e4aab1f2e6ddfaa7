// The few platform services that the platform-neutral core uses: automation
// wide strings, byte-to-text conversion, status codes, and the text helpers
// of the registry-script reader. On Windows they are the real Win32 and OLE
// automation calls. Native builds (sanitizers, fuzzing, benchmarks) declare
// the same names here and link a small stand-in for them; wide text is then
// char16_t, so a wide literal is written TU_WIDE("text") in neutral code.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <oleauto.h>

#define TU_WIDE(s) L##s

#else

#include <cstddef>
#include <cstdint>

typedef char16_t WCHAR;
typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR* LPWSTR;
typedef const char* LPCSTR;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef uint32_t LCID;
typedef uint8_t BYTE;
typedef int BOOL;
typedef LONG HRESULT;

#define TU_WIDE(s) u##s

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_ABORT ((HRESULT)0x80004004L)
#define E_FAIL ((HRESULT)0x80004005L)
#define CO_E_NOT_SUPPORTED ((HRESULT)0x80004021L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_EXCEPTION ((HRESULT)0x80020009L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define CP_ACP 0
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NO_MORE_ITEMS 259L

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);

// Code pages 65001 (UTF-8) and 0, 3 and 1252 (Windows-1252, the ANSI code
// page of the test machines) convert; any other code page yields 0.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount, LPWSTR wide,
                        int wideCount);

// The native stand-in's conversion code page (3, converted as 1252).
UINT NativeConversionCodePage();

int lstrlenW(LPCWSTR text);
// Case-insensitive for ASCII letters only.
int lstrcmpiW(LPCWSTR a, LPCWSTR b);
LPWSTR CharNextW(LPCWSTR text);
// Unsigned decimal with optional surrounding blanks.
HRESULT VarUI4FromStr(const OLECHAR* text, LCID lcid, ULONG flags, ULONG* out);

// Enough of the component model's base interface for neutral classes whose
// Windows form derives from IUnknown.
struct GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef const IID& REFIID;
typedef const OLECHAR* LPCOLESTR;
#define STDMETHODCALLTYPE

struct IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

#endif
