#include "framework/core/Object.h"

namespace fw {

Object::Object() = default;
Object::~Object() = default;

Ref<Delegate> Object::DelegateFor(int event) const
{
    for (auto& h : mHandlers)
        if (h.event == event)
            return h.delegate;
    return nullptr;
}

bool Object::RaiseEvent(int event)
{
    for (auto& h : mHandlers) {
        if (h.event == event) {
            EventStub stub = h.stub;
            stub(self());
            return true;
        }
    }
    return false;
}

Ref<Delegate> RuntimeCreateDelegate(Delegate::Invoker invoker, Delegate::Method handler,
    const Ref<Object>& target, std::string signature, int flag)
{
    auto d = make<Delegate>();
    d->invoker = invoker;
    d->handler = handler;
    d->signature = std::move(signature);
    d->flag = flag;
    if (flag == 1)
        d->mWeakTarget = target;
    else
        d->mTarget = target;
    return d;
}

void RuntimeAddEventHandler(Object& source, int event, Ref<Delegate> delegate, EventStub stub)
{
    for (auto& h : source.mHandlers) {
        if (h.event == event) {
            h.stub = stub;
            h.delegate = std::move(delegate);
            return;
        }
    }
    source.mHandlers.push_back({ event, stub, std::move(delegate) });
}

}
