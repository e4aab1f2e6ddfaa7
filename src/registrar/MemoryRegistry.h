// A registry kept in memory, with the behaviour of the real one where the
// script interpreter can tell: names compare without regard to case, a key
// with subkeys cannot be deleted, handles of a deleted key fail, and every
// handle must be closed. Native tests and the fuzzer run scripts against it
// (tests read back what was written and count the handles left open), and
// registry-rows walks what registration would have written.
#pragma once

#include "registrar/RegistryAccess.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class MemoryRegistry final : public RegistryAccess
{
public:
    struct Value
    {
        DWORD type = 0;
        std::vector<BYTE> data;
    };

    // A key below a root, as ForEachKey reports it.
    struct KeyView
    {
        RegRoot root = RegRoot::ClassesRoot;
        std::u16string path; // below the root, segments joined by a backslash
        // Name ("" for the default value) and value, in name order.
        std::vector<std::pair<std::u16string, const Value*>> values;
        bool hasSubkeys = false;
    };

    MemoryRegistry();
    ~MemoryRegistry() override = default;

    RegKey Root(RegRoot root) override;
    LONG OpenKey(RegKey parent, LPCWSTR name, DWORD rights, RegKey* key) override;
    LONG CreateKey(RegKey parent, LPCWSTR name, RegKey* key) override;
    LONG SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size) override;
    LONG DeleteValue(RegKey key, LPCWSTR name) override;
    LONG DeleteKey(RegKey parent, LPCWSTR name) override;
    LONG EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity) override;
    LONG CountSubkeys(RegKey key, DWORD* count) override;
    LONG CloseKey(RegKey key) override;

    // Test helpers. Paths name one key per segment, separated by a
    // backslash, starting with the root's short name ("HKCR\Foo\Bar").
    bool KeyExists(const std::u16string& path) const;
    void CreatePath(const std::u16string& path);
    // Creates the key at path as CreatePath does and sets one value there.
    void SetPathValue(const std::u16string& path, const std::u16string& name, const Value& value);
    // Null when the key or value does not exist; an empty name is the
    // default value.
    const Value* FindValue(const std::u16string& path, const std::u16string& name) const;
    // Every key and value below the roots as sorted lines, for comparing
    // whole registries.
    std::vector<std::u16string> Dump() const;
    // Calls visit for every key, the roots first (with an empty path), each
    // key before its subkeys, siblings in name order.
    void ForEachKey(const std::function<void(const KeyView&)>& visit) const;
    size_t OpenHandles() const { return m_handles.size(); }
    // Makes every later SetValue fail with `error` (0 lets them succeed).
    void FailWrites(LONG error) { m_failWrites = error; }
    // Makes every later DeleteKey fail with `error` (0 lets them succeed).
    void FailDeletes(LONG error) { m_failDeletes = error; }

private:
    struct NameLess
    {
        bool operator()(const std::u16string& a, const std::u16string& b) const;
    };
    struct Node
    {
        Node(std::u16string keyName, Node* parentNode)
            : name(std::move(keyName)), parent(parentNode)
        {}
        std::u16string name;
        Node* parent = nullptr; // null for a root
        bool deleted = false;
        std::map<std::u16string, std::shared_ptr<Node>, NameLess> children;
        std::map<std::u16string, Value, NameLess> values;
    };

    std::shared_ptr<Node> NodeOf(RegKey key) const;
    // The node of an open key that has not been deleted; otherwise the
    // platform's error for a bad handle (6) or a deleted key (1018).
    LONG LiveNodeOf(RegKey key, std::shared_ptr<Node>& node) const;
    static constexpr LONG kInvalidHandle = 6;
    static constexpr LONG kKeyDeleted = 1018;
    RegKey NewHandle(const std::shared_ptr<Node>& node);
    // The named subkey of parent, made when missing.
    static std::shared_ptr<Node> Child(Node& parent, const std::u16string& name);
    const Node* FindPath(const std::u16string& path) const;
    // The node at path, made with every missing key on the way.
    Node& MakePath(const std::u16string& path);
    static void VisitNode(const Node& node, KeyView& view,
                          const std::function<void(const KeyView&)>& visit);
    static void DumpNode(const Node& node, const std::u16string& path,
                         std::vector<std::u16string>* lines);

    std::shared_ptr<Node> m_roots[7];
    std::map<uintptr_t, std::shared_ptr<Node>> m_handles;
    uintptr_t m_nextHandle = 0x100;
    LONG m_failWrites = 0;
    LONG m_failDeletes = 0;
};
