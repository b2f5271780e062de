#pragma once

#include "framework/core/ClassRegistry.h"
#include "framework/core/Object.h"

#include <string>
#include <vector>

namespace fw {

// A document type. Converting it to String registers it with the framework
// (once); changing a property first deregisters it; destroying a registered
// type deregisters it.
class FileType : public Object {
public:
    ~FileType() override;
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    const std::string& Name() const { return mName; }
    const std::string& Extensions() const { return mExtensions; }
    const std::string& MacType() const { return mMacType; }
    const std::string& MacCreator() const { return mMacCreator; }
    void SetName(std::string v);
    void SetExtensions(std::string v);
    void SetMacType(std::string v);
    void SetMacCreator(std::string v);

    std::string Operator_Convert();
    bool Registered() const { return mRegistered; }

    struct Registration {
        std::string name, extensions, macType, macCreator;
    };
    // Every type registered now, in order of registration.
    static std::vector<Registration> RegisteredTypes();
    // A record of registrations ("register NAME") and deregistrations
    // ("deregister NAME"), in order, since the framework last started.
    static std::vector<std::string>& RegistrationLog();

private:
    void deregister();
    std::string mName, mExtensions, mMacType, mMacCreator;
    bool mRegistered = false;
};

}
