// SHA-256 with the CNG primitives: open the algorithm, create a hash object,
// feed the bytes in pieces that fit the API's 32-bit length, finish. Each
// CNG handle has its own holder, so every early return closes what it opened.
#include "Sha256.h"

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

class AlgorithmHolder
{
public:
    AlgorithmHolder() = default;
    ~AlgorithmHolder()
    {
        if (m_handle)
            BCryptCloseAlgorithmProvider(m_handle, 0);
    }
    AlgorithmHolder(const AlgorithmHolder&) = delete;
    AlgorithmHolder& operator=(const AlgorithmHolder&) = delete;
    BCRYPT_ALG_HANDLE* Address() { return &m_handle; }
    BCRYPT_ALG_HANDLE Get() const { return m_handle; }

private:
    BCRYPT_ALG_HANDLE m_handle = nullptr;
};

class HashHolder
{
public:
    HashHolder() = default;
    ~HashHolder()
    {
        if (m_handle)
            BCryptDestroyHash(m_handle);
    }
    HashHolder(const HashHolder&) = delete;
    HashHolder& operator=(const HashHolder&) = delete;
    BCRYPT_HASH_HANDLE* Address() { return &m_handle; }
    BCRYPT_HASH_HANDLE Get() const { return m_handle; }

private:
    BCRYPT_HASH_HANDLE m_handle = nullptr;
};

} // namespace

HRESULT Sha256Hex(const void* data, size_t size, std::string* hex)
{
    if (!hex || (!data && size > 0))
        return E_POINTER;
    AlgorithmHolder algorithm;
    HRESULT hr = FromNtStatus(
        BCryptOpenAlgorithmProvider(algorithm.Address(), BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    if (FAILED(hr))
        return hr;
    HashHolder hash;
    hr = FromNtStatus(BCryptCreateHash(algorithm.Get(), hash.Address(), nullptr, 0, nullptr, 0, 0));
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
