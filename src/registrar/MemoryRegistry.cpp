// The in-memory registry behind native tests and fuzzing.
#include "registrar/MemoryRegistry.h"

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

// The index of a root by its short name; 7 when there is none.
size_t RootIndex(const std::u16string& shortName)
{
    return std::find(std::begin(kRootShortNames), std::end(kRootShortNames), shortName) -
           std::begin(kRootShortNames);
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
    for (size_t i = 0; i < 7; ++i)
        m_roots[i] = std::make_shared<Node>(kRootShortNames[i], nullptr);
}

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
    *key = NewHandle(Child(*node, Text(name)));
    return 0;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Child(Node& parent,
                                                            const std::u16string& name)
{
    auto& child = parent.children[name];
    if (!child)
        child = std::make_shared<Node>(name, &parent);
    return child;
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
    if (m_failDeletes != 0)
        return m_failDeletes;
    std::shared_ptr<Node> node;
    if (const LONG error = LiveNodeOf(parent, node))
        return error;
    // An empty subkey name deletes the key itself, as the platform does.
    if (name && *name) {
        const auto child = node->children.find(Text(name));
        if (child == node->children.end())
            return kRegNotFound;
        node = child->second;
    }
    // A root has no parent and cannot go.
    if (!node->children.empty() || !node->parent)
        return kRegAccessDenied;
    node->deleted = true;
    node->parent->children.erase(node->name);
    return 0;
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
    return m_handles.erase(reinterpret_cast<uintptr_t>(key)) ? 0 : kInvalidHandle;
}

const MemoryRegistry::Node* MemoryRegistry::FindPath(const std::u16string& path) const
{
    const auto parts = SplitPath(path);
    const size_t root = RootIndex(parts[0]);
    const Node* node = root < 7 ? m_roots[root].get() : nullptr;
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

MemoryRegistry::Node& MemoryRegistry::MakePath(const std::u16string& path)
{
    const auto parts = SplitPath(path);
    std::shared_ptr<Node> node = m_roots[RootIndex(parts[0]) % 7];
    for (size_t i = 1; i < parts.size(); ++i)
        node = Child(*node, parts[i]);
    return *node;
}

void MemoryRegistry::CreatePath(const std::u16string& path)
{
    MakePath(path);
}

void MemoryRegistry::SetPathValue(const std::u16string& path, const std::u16string& name,
                                  const Value& value)
{
    MakePath(path).values[name] = value;
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

void MemoryRegistry::VisitNode(const Node& node, KeyView& view,
                               const std::function<void(const KeyView&)>& visit)
{
    view.values.clear();
    for (const auto& [name, value] : node.values)
        view.values.emplace_back(name, &value);
    view.hasSubkeys = !node.children.empty();
    visit(view);
    const size_t length = view.path.size();
    for (const auto& [name, child] : node.children) {
        view.path.resize(length);
        if (length > 0)
            view.path += u'\\';
        view.path += child->name;
        VisitNode(*child, view, visit);
    }
    view.path.resize(length);
}

void MemoryRegistry::ForEachKey(const std::function<void(const KeyView&)>& visit) const
{
    for (size_t i = 0; i < 7; ++i) {
        KeyView view;
        view.root = static_cast<RegRoot>(i);
        VisitNode(*m_roots[i], view, visit);
    }
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
