#include "framework/core/ClassRegistry.h"

#include "framework/core/Text.h"

#include <algorithm>
#include <map>
#include <memory>

namespace fw {

bool MemberRecord::HasAttribute(std::string_view key) const
{
    return std::any_of(attributes.begin(), attributes.end(), [&](auto& a) { return a.first == key; });
}

std::string MemberRecord::Attribute(std::string_view key) const
{
    for (auto& a : attributes)
        if (a.first == key)
            return a.second;
    return {};
}

std::vector<std::string> ClassInfo::AllOperations() const
{
    std::vector<std::string> table = parent ? parent->AllOperations() : std::vector<std::string> {};
    for (auto& op : operations)
        if (std::find(table.begin(), table.end(), op) == table.end())
            table.push_back(op);
    return table;
}

const PropertyDecl* ClassInfo::FindProperty(std::string_view key) const
{
    for (const ClassInfo* c = this; c; c = c->parent)
        for (auto& p : c->properties)
            if (RuntimeStringCompare(p.name, key) == 0)
                return &p;
    return nullptr;
}

bool ClassInfo::IsA(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->parent)
        if (c == &other)
            return true;
    return false;
}

const MemberRecord* ClassInfo::FindMember(std::string_view memberName) const
{
    for (auto& m : members)
        if (m.name == memberName)
            return &m;
    return nullptr;
}

MemberRecord Member(std::string name, std::string signature, bool isVirtual, std::string scope, bool hidden)
{
    MemberRecord m { std::move(name), std::move(signature), isVirtual, { { "__Scope", std::move(scope) } } };
    if (hidden)
        m.attributes.push_back({ "Hidden", "" });
    return m;
}

const ClassInfo& Object::ClassDescription()
{
    return ClassRegistry::Register("Object", [](ClassInfo&) { });
}

const ClassInfo& Object::classInfo() const
{
    return ClassDescription();
}

namespace {
struct Registry {
    std::map<std::string, std::unique_ptr<ClassInfo>, std::less<>> byName;
    std::vector<const ClassInfo*> inOrder;
};
Registry& registry()
{
    static Registry r;
    return r;
}
}

const ClassInfo& ClassRegistry::Register(const std::string& name, const std::function<void(ClassInfo&)>& build)
{
    auto& r = registry();
    if (auto it = r.byName.find(name); it != r.byName.end())
        return *it->second;
    auto info = std::make_unique<ClassInfo>();
    info->name = name;
    build(*info);
    const ClassInfo& ref = *info;
    r.byName.emplace(name, std::move(info));
    r.inOrder.push_back(&ref);
    return ref;
}

const ClassInfo* ClassRegistry::Lookup(std::string_view name)
{
    auto& r = registry();
    auto it = r.byName.find(name);
    return it == r.byName.end() ? nullptr : it->second.get();
}

std::vector<const ClassInfo*> ClassRegistry::All()
{
    return registry().inOrder;
}

}
