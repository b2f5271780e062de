#include "framework/core/Variant.h"

#include "framework/core/RuntimeException.h"
#include "framework/core/Text.h"

#include <functional>

namespace fw {

std::int64_t Variant::Int64Value() const
{
    if (auto* i = std::get_if<std::int64_t>(&mValue))
        return *i;
    if (auto* b = std::get_if<bool>(&mValue))
        return *b ? 1 : 0;
    if (auto* d = std::get_if<double>(&mValue))
        return static_cast<std::int64_t>(*d);
    return 0;
}

std::int32_t Variant::Int32Value() const
{
    return static_cast<std::int32_t>(Int64Value());
}

std::string Variant::StringValue() const
{
    if (auto* s = std::get_if<std::string>(&mValue))
        return *s;
    if (auto* i = std::get_if<std::int64_t>(&mValue))
        return Str(*i);
    if (auto* b = std::get_if<bool>(&mValue))
        return *b ? "True" : "False";
    return {};
}

Ref<Object> Variant::ObjectValue() const
{
    if (auto* o = std::get_if<Ref<Object>>(&mValue))
        return *o;
    return nullptr;
}

std::size_t Variant::Hash() const
{
    return std::visit(
        [](const auto& v) -> std::size_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return 0;
            else
                return std::hash<T> {}(v);
        },
        mValue);
}

}
