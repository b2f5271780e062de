#pragma once

#include "framework/core/Ref.h"

#include <string>
#include <vector>

namespace fw {

class Delegate;
class Object;
struct ClassInfo;

// Called by the framework with the object that raised an event; finds the
// delegate registered for that event and calls its invoker.
using EventStub = void (*)(const Ref<Object>& sender);

// Base of every framework object. It keeps the handlers registered for its
// events, one per event number.
class Object : public std::enable_shared_from_this<Object> {
public:
    Object();
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Ref<Object> self() { return shared_from_this(); }

    // The class description of this object's class.
    virtual const ClassInfo& classInfo() const;
    static const ClassInfo& ClassDescription();

    // The delegate registered for an event, or none.
    Ref<Delegate> DelegateFor(int event) const;

    // Raises an event: calls its stub with this object. Returns false when
    // nothing is registered for it.
    bool RaiseEvent(int event);

private:
    friend void RuntimeAddEventHandler(Object&, int, Ref<Delegate>, EventStub);
    struct Handler {
        int event;
        EventStub stub;
        Ref<Delegate> delegate;
    };
    std::vector<Handler> mHandlers;
};

// A bound event handler: an invoker, the handler it calls, its target and
// the signature text. With flag 1 the target is held weakly and reads empty
// once it is gone; with flag 0 it is held strongly (or is none).
class Delegate : public Object {
public:
    using Method = void (*)(Object& target, const Ref<Object>& sender);
    using Invoker = void (*)(Delegate& self, const Ref<Object>& sender);

    Invoker invoker = nullptr;
    Method handler = nullptr;
    // For a delegate of a plain routine (no target): the routine's entry.
    void* entry = nullptr;
    std::string signature;
    int flag = 0;

    Ref<Object> Target() const { return flag == 1 ? mWeakTarget.lock() : mTarget; }

private:
    friend Ref<Delegate> RuntimeCreateDelegate(Invoker, Method, const Ref<Object>&, std::string, int);
    Ref<Object> mTarget;
    WeakRef<Object> mWeakTarget;
};

Ref<Delegate> RuntimeCreateDelegate(Delegate::Invoker invoker, Delegate::Method handler,
    const Ref<Object>& target, std::string signature, int flag);

// Registers a delegate for one event of one object, replacing an earlier one.
void RuntimeAddEventHandler(Object& source, int event, Ref<Delegate> delegate, EventStub stub);

}
