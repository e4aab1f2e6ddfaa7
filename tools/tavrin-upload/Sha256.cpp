// SHA-256 with the CNG primitives: open the algorithm, create a hash object,
// feed the bytes in pieces that fit the API's 32-bit length, finish. Each
// CNG handle is held by the library's handle holder, so every early return
// closes what it opened.
#include "Sha256.h"

#include "util/Handles.h"

#include <bcrypt.h>

#include <algorithm>
#include <utility>

namespace {

constexpr ULONG kDigestBytes = 32;
constexpr size_t kPieceBytes = 0x40000000; // stays far below ULONG's range

HRESULT FromNtStatus(NTSTATUS status)
{
    return status >= 0 ? S_OK : HRESULT_FROM_NT(status);
}

struct AlgorithmTraits
{
    static BCRYPT_ALG_HANDLE Invalid() noexcept { return nullptr; }
    static NTSTATUS Close(BCRYPT_ALG_HANDLE h) noexcept
    {
        return BCryptCloseAlgorithmProvider(h, 0);
    }
};
struct HashTraits
{
    static BCRYPT_HASH_HANDLE Invalid() noexcept { return nullptr; }
    static NTSTATUS Close(BCRYPT_HASH_HANDLE h) noexcept { return BCryptDestroyHash(h); }
};
using AlgorithmHolder = UniqueHandle<BCRYPT_ALG_HANDLE, AlgorithmTraits>;
using HashHolder = UniqueHandle<BCRYPT_HASH_HANDLE, HashTraits>;

} // namespace

HRESULT Sha256Hex(const void* data, size_t size, std::string* hex)
{
    if (!hex || (!data && size > 0))
        return E_POINTER;
    AlgorithmHolder algorithm;
    HRESULT hr = FromNtStatus(BCryptOpenAlgorithmProvider(algorithm.ReleaseAndGetAddressOf(),
                                                          BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    if (FAILED(hr))
        return hr;
    HashHolder hash;
    hr = FromNtStatus(BCryptCreateHash(algorithm.Get(), hash.ReleaseAndGetAddressOf(), nullptr, 0,
                                       nullptr, 0, 0));
    if (FAILED(hr))
        return hr;
    auto bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    for (size_t done = 0; done < size;) {
        const size_t piece = std::min(size - done, kPieceBytes);
        hr = FromNtStatus(BCryptHashData(hash.Get(), bytes + done, static_cast<ULONG>(piece), 0));
        if (FAILED(hr))
            return hr;
        done += piece;
    }
    UCHAR digest[kDigestBytes];
    hr = FromNtStatus(BCryptFinishHash(hash.Get(), digest, kDigestBytes, 0));
    if (FAILED(hr))
        return hr;
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * kDigestBytes);
    for (UCHAR b : digest) {
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    *hex = std::move(out);
    return S_OK;
}
