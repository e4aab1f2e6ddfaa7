// The recording registry. Keys live in one list in creation order; a key's
// subkeys are found by their paths, which is plenty for the few dozen keys
// that a module's registration makes. A handle is an index into the handle
// list plus one, so that no handle is null.
#include "RecordingRegistry.h"

#include <cstdint>

bool SameRegistryName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

RecordingRegistry::Handle* RecordingRegistry::Lookup(RegKey key)
{
    const auto number = reinterpret_cast<uintptr_t>(key);
    if (number == 0 || number > m_handles.size())
        return nullptr;
    Handle& handle = m_handles[number - 1];
    if (!handle.open)
        return nullptr;
    if (handle.index != kRootHandle && m_keys[handle.index].deleted)
        return nullptr;
    return &handle;
}

RegKey RecordingRegistry::NewHandle(RegRoot root, size_t index)
{
    m_handles.push_back({root, index, true});
    return reinterpret_cast<RegKey>(static_cast<uintptr_t>(m_handles.size()));
}

std::wstring RecordingRegistry::ChildPath(const Handle& parent, LPCWSTR name) const
{
    std::wstring path = parent.index == kRootHandle ? std::wstring() : m_keys[parent.index].path;
    if (!name || !*name)
        return path;
    if (!path.empty())
        path += L'\\';
    return path + name;
}

size_t RecordingRegistry::Find(RegRoot root, const std::wstring& path) const
{
    for (size_t i = 0; i < m_keys.size(); ++i) {
        const Key& key = m_keys[i];
        if (!key.deleted && key.root == root && SameRegistryName(key.path, path))
            return i;
    }
    return kRootHandle;
}

std::vector<size_t> RecordingRegistry::Children(RegRoot root, const std::wstring& path) const
{
    std::vector<size_t> children;
    const size_t prefix = path.empty() ? 0 : path.size() + 1;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        const Key& key = m_keys[i];
        if (key.deleted || key.root != root || key.path.size() <= prefix)
            continue;
        if (prefix && (!SameRegistryName(key.path.substr(0, path.size()), path) ||
                       key.path[path.size()] != L'\\'))
            continue;
        if (key.path.find(L'\\', prefix) == std::wstring::npos)
            children.push_back(i);
    }
    return children;
}

bool RecordingRegistry::HasSubkeys(size_t index) const
{
    return !Children(m_keys[index].root, m_keys[index].path).empty();
}

RegKey RecordingRegistry::Root(RegRoot root)
{
    return NewHandle(root, kRootHandle);
}

LONG RecordingRegistry::OpenKey(RegKey parent, LPCWSTR name, DWORD, RegKey* key)
{
    *key = nullptr;
    const Handle* handle = Lookup(parent);
    if (!handle)
        return kRegNotFound;
    const std::wstring path = ChildPath(*handle, name);
    if (path.empty()) {
        *key = NewHandle(handle->root, kRootHandle);
        return 0;
    }
    const size_t found = Find(handle->root, path);
    if (found == kRootHandle)
        return kRegNotFound;
    *key = NewHandle(handle->root, found);
    return 0;
}

LONG RecordingRegistry::CreateKey(RegKey parent, LPCWSTR name, RegKey* key)
{
    *key = nullptr;
    const Handle* handle = Lookup(parent);
    if (!handle)
        return kRegNotFound;
    const RegRoot root = handle->root;
    const std::wstring path = ChildPath(*handle, name);
    if (path.empty()) {
        *key = NewHandle(root, kRootHandle);
        return 0;
    }
    // Every missing key on the way is made, as the platform does.
    size_t end = 0;
    size_t found = kRootHandle;
    do {
        end = path.find(L'\\', end + 1);
        const std::wstring prefix = path.substr(0, end);
        found = Find(root, prefix);
        if (found == kRootHandle) {
            m_keys.push_back({root, prefix, {}, false});
            found = m_keys.size() - 1;
        }
    } while (end != std::wstring::npos);
    *key = NewHandle(root, found);
    return 0;
}

LONG RecordingRegistry::SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size)
{
    const Handle* handle = Lookup(key);
    if (!handle || handle->index == kRootHandle)
        return kRegAccessDenied;
    Value value{name ? name : L"", type, std::vector<BYTE>(data, data + size)};
    for (Value& existing : m_keys[handle->index].values) {
        if (SameRegistryName(existing.name, value.name)) {
            existing = std::move(value);
            return 0;
        }
    }
    m_keys[handle->index].values.push_back(std::move(value));
    return 0;
}

LONG RecordingRegistry::DeleteValue(RegKey key, LPCWSTR name)
{
    const Handle* handle = Lookup(key);
    if (!handle || handle->index == kRootHandle)
        return kRegNotFound;
    std::vector<Value>& values = m_keys[handle->index].values;
    const std::wstring wanted = name ? name : L"";
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameRegistryName(it->name, wanted)) {
            values.erase(it);
            return 0;
        }
    }
    return kRegNotFound;
}

LONG RecordingRegistry::DeleteKey(RegKey parent, LPCWSTR name)
{
    const Handle* handle = Lookup(parent);
    if (!handle || !name || !*name)
        return kRegNotFound;
    const size_t found = Find(handle->root, ChildPath(*handle, name));
    if (found == kRootHandle)
        return kRegNotFound;
    if (HasSubkeys(found))
        return kRegAccessDenied;
    m_keys[found].deleted = true;
    return 0;
}

LONG RecordingRegistry::EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity)
{
    const Handle* handle = Lookup(key);
    if (!handle)
        return kRegNotFound;
    const std::wstring path = handle->index == kRootHandle ? L"" : m_keys[handle->index].path;
    const std::vector<size_t> children = Children(handle->root, path);
    if (children.empty())
        return kRegNoMoreItems;
    const std::wstring& child = m_keys[children.front()].path;
    const std::wstring last = child.substr(child.rfind(L'\\') + 1);
    if (last.size() + 1 > capacity)
        return 234; // more data
    last.copy(name, last.size());
    name[last.size()] = 0;
    return 0;
}

LONG RecordingRegistry::CountSubkeys(RegKey key, DWORD* count)
{
    const Handle* handle = Lookup(key);
    if (!handle)
        return kRegNotFound;
    const std::wstring path = handle->index == kRootHandle ? L"" : m_keys[handle->index].path;
    *count = static_cast<DWORD>(Children(handle->root, path).size());
    return 0;
}

LONG RecordingRegistry::CloseKey(RegKey key)
{
    const auto number = reinterpret_cast<uintptr_t>(key);
    if (number == 0 || number > m_handles.size() || !m_handles[number - 1].open)
        return 6; // invalid handle
    m_handles[number - 1].open = false;
    return 0;
}

LONG RecordingRegistry::WriteString(RegRoot root, const std::wstring& path,
                                    const std::wstring& name, const std::wstring& text)
{
    RegKeyRef key(*this);
    RegKeyRef top(*this);
    *top.Put() = Root(root);
    LONG error = CreateKey(top.Get(), path.c_str(), key.Put());
    if (error)
        return error;
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    const auto size = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
    return SetValue(key.Get(), name.empty() ? nullptr : name.c_str(), kRegString, bytes, size);
}
