#include "framework/core/Dictionary.h"

#include "framework/core/RuntimeException.h"

namespace fw {

const Variant& Dictionary::Value(const Variant& key) const
{
    auto it = mMap.find(key);
    if (it == mMap.end())
        throw KeyNotFoundException();
    return it->second;
}

}
