#pragma once

#include "framework/core/Object.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace fw {

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    std::uint32_t rgb() const { return (std::uint32_t(red) << 16) | (std::uint32_t(green) << 8) | blue; }
    static Color FromRGB(std::uint32_t v) { return { std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v) }; }
    bool operator==(const Color&) const = default;
};

using PropertyValue = std::variant<bool, std::int32_t, std::string, Color>;

// One declared property: its name, its type text ("b", "i4", "s", "c", or an
// Int32-based enumeration "i4<...>") and how it is assigned.
struct PropertyDecl {
    std::string name;
    std::string type;
    std::function<void(Object&, const PropertyValue&)> set;
};

// One member record: name, signature text, virtual or not, and attributes
// such as ("__Scope", "Public") or ("Hidden", "").
struct MemberRecord {
    std::string name;
    std::string signature;
    bool isVirtual = false;
    std::vector<std::pair<std::string, std::string>> attributes;

    bool HasAttribute(std::string_view key) const;
    std::string Attribute(std::string_view key) const;
};

// The description of one class: built once per process and never changed.
struct ClassInfo {
    std::string name;
    const ClassInfo* parent = nullptr;
    std::string scope = "Public";
    std::vector<std::string> operations; // own virtual operations, in order
    std::vector<std::string> declaredEvents;
    std::vector<std::string> implementedEvents;
    std::vector<std::string> interfaces;
    std::vector<MemberRecord> members;
    std::vector<PropertyDecl> properties;
    std::function<Ref<Object>()> factory;

    // The whole operation table: the parent's operations first, then this
    // class's own; an own operation that overrides an inherited one keeps
    // the inherited place.
    std::vector<std::string> AllOperations() const;
    // The property a key names, in this class or a parent, letter case ignored.
    const PropertyDecl* FindProperty(std::string_view key) const;
    bool IsA(const ClassInfo& other) const;
    const MemberRecord* FindMember(std::string_view memberName) const;
};

// Declares a property of class C whose value is assigned by f(C&, value).
template<typename C, typename V, typename F>
PropertyDecl DeclareProperty(std::string name, std::string type, F f)
{
    return { std::move(name), std::move(type),
        [f](Object& o, const PropertyValue& v) { f(static_cast<C&>(o), std::get<V>(v)); } };
}

// A member record with its scope and, where given, the "Hidden" attribute.
MemberRecord Member(std::string name, std::string signature, bool isVirtual, std::string scope, bool hidden = false);

// Registers each class once per process. Registering a name again returns
// the existing record untouched.
class ClassRegistry {
public:
    static const ClassInfo& Register(const std::string& name, const std::function<void(ClassInfo&)>& build);
    static const ClassInfo* Lookup(std::string_view name);
    static std::vector<const ClassInfo*> All();
};

}
