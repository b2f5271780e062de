#include "framework/core/PropertyList.h"

#include "framework/core/RuntimeException.h"

namespace fw {

void PropertyList::key(std::string_view k)
{
    mBytes.append(k);
    mBytes.push_back(' ');
}

static void appendBigEndian32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

PropertyList& PropertyList::Boolean(std::string_view k, bool value)
{
    key(k);
    mBytes.push_back(value ? '\x01' : '\x00');
    return *this;
}

PropertyList& PropertyList::Int32(std::string_view k, std::int32_t value)
{
    key(k);
    appendBigEndian32(mBytes, static_cast<std::uint32_t>(value));
    return *this;
}

PropertyList& PropertyList::String(std::string_view k, std::string_view value)
{
    key(k);
    appendBigEndian32(mBytes, static_cast<std::uint32_t>(value.size()));
    mBytes.append(value);
    return *this;
}

PropertyList& PropertyList::ColorValue(std::string_view k, Color value)
{
    key(k);
    mBytes.push_back(static_cast<char>(value.red));
    mBytes.push_back(static_cast<char>(value.green));
    mBytes.push_back(static_cast<char>(value.blue));
    return *this;
}

namespace {
class Reader {
public:
    explicit Reader(std::string_view s) : mS(s) { }
    bool atEnd() const { return mPos >= mS.size(); }
    std::string_view take(std::size_t n)
    {
        if (n > mS.size() - mPos)
            throw RuntimeException("property list ends inside a value");
        auto v = mS.substr(mPos, n);
        mPos += n;
        return v;
    }
    std::uint32_t u32()
    {
        auto b = take(4);
        std::uint32_t v = 0;
        for (char c : b)
            v = (v << 8) | static_cast<unsigned char>(c);
        return v;
    }
    std::string_view key()
    {
        auto blank = mS.find(' ', mPos);
        if (blank == std::string_view::npos)
            throw RuntimeException("property list ends inside a key");
        auto k = mS.substr(mPos, blank - mPos);
        mPos = blank + 1;
        return k;
    }

private:
    std::string_view mS;
    std::size_t mPos = 0;
};
}

void _SetProperties(Object& target, const ClassInfo& cls, std::string_view list)
{
    Reader r(list);
    while (!r.atEnd()) {
        std::string_view k = r.key();
        const PropertyDecl* p = cls.FindProperty(k);
        if (!p)
            throw RuntimeException("no property " + std::string(k) + " in " + cls.name);
        PropertyValue value;
        if (p->type == "b")
            value = r.take(1)[0] != 0;
        else if (p->type.starts_with("i4"))
            value = static_cast<std::int32_t>(r.u32());
        else if (p->type == "s")
            value = std::string(r.take(r.u32()));
        else if (p->type == "c") {
            auto b = r.take(3);
            value = Color { static_cast<std::uint8_t>(b[0]), static_cast<std::uint8_t>(b[1]), static_cast<std::uint8_t>(b[2]) };
        } else
            throw RuntimeException("property " + p->name + " has an unknown type " + p->type);
        if (p->set)
            p->set(target, value);
    }
}

}
