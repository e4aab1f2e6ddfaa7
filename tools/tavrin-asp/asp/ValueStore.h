// The named values of a session or of the application, safe to use from
// every worker thread at once.
#pragma once

#include "util/VariantHolder.h"

#include <map>
#include <mutex>
#include <string>

// Named VARIANT values, names in any letter case (Session.Contents,
// Application.Contents).
class ValueStore
{
public:
    // Copies the value of name into *value (Empty when there is none).
    HRESULT Get(const std::wstring& name, VARIANT* value);
    HRESULT Put(const std::wstring& name, const VARIANT& value);
    void RemoveAll();

private:
    std::mutex m_lock;
    std::map<std::wstring, VariantHolder> m_values; // by lower-case name
};
