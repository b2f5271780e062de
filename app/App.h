#pragma once

#include "framework/gui/Application.h"

// The application object; all its behaviour is the framework's default.
class App : public fw::Application {
public:
    static const fw::ClassInfo& ClassDescription();
    const fw::ClassInfo& classInfo() const override { return ClassDescription(); }
    virtual void Constructor() { }
};
