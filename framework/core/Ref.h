#pragma once

#include <memory>

namespace fw {
[[noreturn]] void ThrowNilObjectException();
}

namespace fw {

// Objects are reference counted and shared; a Ref is one owner.
template<typename T>
using Ref = std::shared_ptr<T>;

// A reference that reads empty once the object is gone.
template<typename T>
using WeakRef = std::weak_ptr<T>;

// The object a reference names; a member used through none raises
// NilObjectException instead of crashing.
template<typename T>
T& Checked(const Ref<T>& ref)
{
    if (!ref)
        ThrowNilObjectException();
    return *ref;
}

template<typename T, typename... Args>
Ref<T> make(Args&&... args)
{
    return std::make_shared<T>(std::forward<Args>(args)...);
}

}
