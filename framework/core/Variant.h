#pragma once

#include "framework/core/Object.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

namespace fw {

// A boxed value: nothing, a Boolean, an integer, a double, a text or an object.
// Integers compare by value whatever their width.
class Variant {
public:
    Variant() = default;
    Variant(bool v) : mValue(v) { }
    Variant(std::int32_t v) : mValue(static_cast<std::int64_t>(v)) { }
    Variant(std::int64_t v) : mValue(v) { }
    Variant(double v) : mValue(v) { }
    Variant(std::string v) : mValue(std::move(v)) { }
    Variant(const char* v) : mValue(std::string(v)) { }
    Variant(Ref<Object> v) : mValue(std::move(v)) { }

    bool IsNil() const { return std::holds_alternative<std::monostate>(mValue); }
    std::int32_t Int32Value() const;
    std::int64_t Int64Value() const;
    std::string StringValue() const;
    Ref<Object> ObjectValue() const;

    bool operator==(const Variant& other) const { return mValue == other.mValue; }
    std::size_t Hash() const;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, Ref<Object>> mValue;
};

struct VariantHash {
    std::size_t operator()(const Variant& v) const { return v.Hash(); }
};

}
