#include "framework/gui/FileType.h"

#include <algorithm>

namespace fw {

namespace {
std::vector<FileType*>& registered()
{
    static std::vector<FileType*> r;
    return r;
}
}

const ClassInfo& FileType::ClassDescription()
{
    return ClassRegistry::Register("FileType", [](ClassInfo& c) {
        c.parent = &Object::ClassDescription();
        c.operations = { "Operator_Convert" };
        c.factory = [] { return make<FileType>(); };
    });
}

FileType::~FileType()
{
    deregister();
}

void FileType::deregister()
{
    if (!mRegistered)
        return;
    auto& r = registered();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    mRegistered = false;
    RegistrationLog().push_back("deregister " + mName);
}

void FileType::SetName(std::string v) { deregister(); mName = std::move(v); }
void FileType::SetExtensions(std::string v) { deregister(); mExtensions = std::move(v); }
void FileType::SetMacType(std::string v) { deregister(); mMacType = std::move(v); }
void FileType::SetMacCreator(std::string v) { deregister(); mMacCreator = std::move(v); }

std::string FileType::Operator_Convert()
{
    if (!mRegistered) {
        registered().push_back(this);
        mRegistered = true;
        RegistrationLog().push_back("register " + mName);
    }
    return mName;
}

std::vector<FileType::Registration> FileType::RegisteredTypes()
{
    std::vector<Registration> out;
    for (auto* t : registered())
        out.push_back({ t->mName, t->mExtensions, t->mMacType, t->mMacCreator });
    return out;
}

std::vector<std::string>& FileType::RegistrationLog()
{
    static std::vector<std::string> log;
    return log;
}

}
