#pragma once

#include "framework/core/ClassRegistry.h"

#include <string>
#include <string_view>

namespace fw {

// The byte encoding of initial properties: entries back to back, each the
// key, one blank, then the value in the declared type's encoding: Boolean one
// byte, Int32 four bytes big-endian, String a four-byte big-endian length and
// the UTF-8 bytes, Color three bytes (red, green, blue).
class PropertyList {
public:
    PropertyList& Boolean(std::string_view key, bool value);
    PropertyList& Int32(std::string_view key, std::int32_t value);
    PropertyList& String(std::string_view key, std::string_view value);
    PropertyList& ColorValue(std::string_view key, Color value);

    const std::string& bytes() const { return mBytes; }
    operator const std::string&() const { return mBytes; }

private:
    void key(std::string_view k);
    std::string mBytes;
};

// Applies a property list to target, in list order. Each key is resolved
// against the target's class chain without regard to letter case. A key that
// names no property, or a list that ends inside a value, raises
// RuntimeException: every list is a constant, so that is a programming error.
void _SetProperties(Object& target, const ClassInfo& cls, std::string_view list);

}
