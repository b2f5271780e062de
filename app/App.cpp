#include "app/App.h"

using namespace fw;

const ClassInfo& App::ClassDescription()
{
    return ClassRegistry::Register("App", [](ClassInfo& c) {
        c.parent = &Application::ClassDescription();
        c.operations = { "Constructor" };
        c.members = { Member("Constructor", "%%", true, "Public") };
        c.factory = [] { return make<App>(); };
    });
}
