// The Value(name) and Contents(name) members that the Session and
// Application objects share, as scripts call them through IDispatch.
#pragma once

#include "asp/AspObject.h"
#include "asp/ValueStore.h"

#include <string>

// Value(name) and Contents(name), get and put, over a store.
template <class Object>
HRESULT CallValue(Object& object, ValueStore& store, const CallArgs& args, VARIANT* result)
{
    std::wstring name;
    if (args.Count() < 1 || !VariantToText(args[0], name))
        return object.Failure(DISP_E_BADPARAMCOUNT, L"The name of a value is missing.");
    if (const VARIANT* put = args.PutValue())
        return store.Put(name, *put);
    return store.Get(name, result);
}
