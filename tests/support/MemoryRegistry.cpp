// The in-memory registry behind native tests and fuzzing.
#include "support/MemoryRegistry.h"

#include <algorithm>

namespace {

const char16_t* const kRootShortNames[] = {u"HKCR", u"HKCU", u"HKLM", u"HKU",
                                           u"HKPD", u"HKDD", u"HKCC"};

char16_t Fold(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

std::u16string Text(LPCWSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

std::vector<std::u16string> SplitPath(const std::u16string& path)
{
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find(u'\\', start);
        parts.push_back(path.substr(start, end - start));
        if (end == std::u16string::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

bool MemoryRegistry::NameLess::operator()(const std::u16string& a, const std::u16string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return Fold(x) < Fold(y); });
}

MemoryRegistry::MemoryRegistry()
{
    for (size_t i = 0; i < 7; ++i) {
        m_roots[i] = std::make_shared<Node>();
        m_roots[i]->name = kRootShortNames[i];
    }
}

MemoryRegistry::~MemoryRegistry() = default;

RegKey MemoryRegistry::Root(RegRoot root)
{
    return reinterpret_cast<RegKey>(static_cast<uintptr_t>(root) + 1);
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::NodeOf(RegKey key) const
{
    const auto id = reinterpret_cast<uintptr_t>(key);
    if (id >= 1 && id <= 7)
        return m_roots[id - 1];
    const auto found = m_handles.find(id);
    if (found == m_handles.end())
        return nullptr;
    return found->second;
}

LONG MemoryRegistry::LiveNodeOf(RegKey key, std::shared_ptr<Node>& node) const
{
    node = NodeOf(key);
    if (!node)
        return kInvalidHandle;
    return node->deleted ? kKeyDeleted : 0;
}

RegKey MemoryRegistry::NewHandle(const std::shared_ptr<Node>& node)
{
    const uintptr_t id = m_nextHandle++;
    m_handles[id] = node;
    return reinterpret_cast<RegKey>(id);
}

LONG MemoryRegistry::OpenKey(RegKey parent, LPCWSTR name, DWORD, RegKey* key)
{
    *key = nullptr;
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(parent, node))
        return error;
    if (!name || !*name) {
        *key = NewHandle(node);
        return 0;
    }
    const auto child = node->children.find(Text(name));
    if (child == node->children.end())
        return kRegNotFound;
    *key = NewHandle(child->second);
    return 0;
}

LONG MemoryRegistry::CreateKey(RegKey parent, LPCWSTR name, RegKey* key)
{
    *key = nullptr;
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(parent, node))
        return error;
    if (!name || !*name)
        return 87;
    auto& child = node->children[Text(name)];
    if (!child) {
        child = std::make_shared<Node>();
        child->name = Text(name);
    }
    *key = NewHandle(child);
    return 0;
}

LONG MemoryRegistry::SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size)
{
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(key, node))
        return error;
    if (m_failWrites != 0)
        return m_failWrites;
    Value& value = node->values[Text(name)];
    value.type = type;
    value.data.assign(data, data + size);
    return 0;
}

LONG MemoryRegistry::DeleteValue(RegKey key, LPCWSTR name)
{
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(key, node))
        return error;
    return node->values.erase(Text(name)) ? 0 : kRegNotFound;
}

LONG MemoryRegistry::DeleteKey(RegKey parent, LPCWSTR name)
{
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(parent, node))
        return error;
    if (!name || !*name)
        return DeleteItself(node);
    const auto child = node->children.find(Text(name));
    if (child == node->children.end())
        return kRegNotFound;
    if (!child->second->children.empty())
        return kRegAccessDenied;
    child->second->deleted = true;
    node->children.erase(child);
    return 0;
}

// An empty subkey name deletes the key itself, as the platform does.
LONG MemoryRegistry::DeleteItself(const std::shared_ptr<Node>& node)
{
    if (!node->children.empty())
        return kRegAccessDenied;
    for (const auto& root : m_roots) {
        if (root == node)
            return kRegAccessDenied;
        if (Unlink(*root, node))
            return 0;
    }
    return kRegNotFound;
}

bool MemoryRegistry::Unlink(Node& parent, const std::shared_ptr<Node>& node)
{
    for (auto it = parent.children.begin(); it != parent.children.end(); ++it) {
        if (it->second == node) {
            node->deleted = true;
            parent.children.erase(it);
            return true;
        }
        if (Unlink(*it->second, node))
            return true;
    }
    return false;
}

LONG MemoryRegistry::EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity)
{
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(key, node))
        return error;
    if (node->children.empty())
        return kRegNoMoreItems;
    const std::u16string& first = node->children.begin()->first;
    if (first.size() + 1 > capacity)
        return 234;
    std::copy(first.begin(), first.end(), name);
    name[first.size()] = 0;
    return 0;
}

LONG MemoryRegistry::CountSubkeys(RegKey key, DWORD* count)
{
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(key, node))
        return error;
    *count = static_cast<DWORD>(node->children.size());
    return 0;
}

LONG MemoryRegistry::CloseKey(RegKey key)
{
    return m_handles.erase(reinterpret_cast<uintptr_t>(key)) ? 0 : 6;
}

const MemoryRegistry::Node* MemoryRegistry::FindPath(const std::u16string& path) const
{
    const auto parts = SplitPath(path);
    const Node* node = nullptr;
    for (size_t i = 0; i < 7; ++i) {
        if (parts[0] == kRootShortNames[i])
            node = m_roots[i].get();
    }
    for (size_t i = 1; node && i < parts.size(); ++i) {
        const auto child = node->children.find(parts[i]);
        node = child == node->children.end() ? nullptr : child->second.get();
    }
    return node;
}

bool MemoryRegistry::KeyExists(const std::u16string& path) const
{
    return FindPath(path) != nullptr;
}

void MemoryRegistry::CreatePath(const std::u16string& path)
{
    const auto parts = SplitPath(path);
    RegRoot root = RegRoot::ClassesRoot;
    for (size_t i = 0; i < 7; ++i) {
        if (parts[0] == kRootShortNames[i])
            root = static_cast<RegRoot>(i);
    }
    std::shared_ptr<Node> node = m_roots[static_cast<size_t>(root)];
    for (size_t i = 1; i < parts.size(); ++i) {
        auto& child = node->children[parts[i]];
        if (!child) {
            child = std::make_shared<Node>();
            child->name = parts[i];
        }
        node = child;
    }
}

const MemoryRegistry::Value* MemoryRegistry::FindValue(const std::u16string& path,
                                                       const std::u16string& name) const
{
    const Node* node = FindPath(path);
    if (!node)
        return nullptr;
    const auto value = node->values.find(name);
    return value == node->values.end() ? nullptr : &value->second;
}

void MemoryRegistry::DumpNode(const Node& node, const std::u16string& path,
                              std::vector<std::u16string>* lines)
{
    lines->push_back(path);
    for (const auto& [name, value] : node.values) {
        std::u16string line = path + u" [" + name + u"] " + char16_t(u'0' + value.type) + u":";
        for (BYTE b : value.data)
            line += static_cast<char16_t>(u'a' + (b >> 4)),
                line += static_cast<char16_t>(u'a' + (b & 15));
        lines->push_back(line);
    }
    for (const auto& [name, child] : node.children)
        DumpNode(*child, path + u"\\" + child->name, lines);
}

std::vector<std::u16string> MemoryRegistry::Dump() const
{
    std::vector<std::u16string> lines;
    for (const auto& root : m_roots) {
        if (!root->children.empty() || !root->values.empty())
            DumpNode(*root, root->name, &lines);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}
