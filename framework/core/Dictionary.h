#pragma once

#include "framework/core/Object.h"
#include "framework/core/Variant.h"

#include <unordered_map>

namespace fw {

// A map of boxed keys to boxed values. Text keys are equal only when their
// bytes are equal: file names on Linux are case-sensitive.
class Dictionary : public Object {
public:
    bool HasKey(const Variant& key) const { return mMap.find(key) != mMap.end(); }
    // Raises KeyNotFoundException for a key that is not there.
    const Variant& Value(const Variant& key) const;
    void SetValue(const Variant& key, Variant value) { mMap.insert_or_assign(key, std::move(value)); }
    std::int64_t Count() const { return static_cast<std::int64_t>(mMap.size()); }
    void Reserve(std::size_t n) { mMap.reserve(n); }

private:
    std::unordered_map<Variant, Variant, VariantHash> mMap;
};

}
