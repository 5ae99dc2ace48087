// The value resolver.
#include "host/ValueResolver.h"

namespace tavi {

namespace {

// Deep enough for any real chain of variables, small enough to stop a loop at once.
constexpr int kMaxIndirection = 32;

// The value held by a variable or parameter; false when `value` is neither.
bool HeldValue(IGPValue* value, ComPtr<IGPValue>* held, HRESULT* hr) {
    if (auto variable = QueryAs<IGPVariable>(value)) {
        *hr = variable->get_Value(held->Out());
        return true;
    }
    if (auto parameter = QueryAs<IGPParameter>(value)) {
        *hr = parameter->get_Value(held->Out());
        return true;
    }
    return false;
}

} // namespace

HRESULT ResolveValue(IGPValue* value, IGPValue** actual) {
    if (HRESULT hr = ClearOut(actual); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&] {
        ComPtr<IGPValue> current(value);
        for (int depth = 0; depth <= kMaxIndirection; ++depth) {
            ComPtr<IGPValue> held;
            HRESULT hr = S_OK;
            if (!HeldValue(current.Get(), &held, &hr)) {
                *actual = current.Detach();
                return S_OK;
            }
            if (FAILED(hr))
                return hr;
            if (!held)
                return E_FAIL;
            current = std::move(held);
        }
        return E_FAIL;
    });
}

HRESULT GPValueResolver::ResolveValue(IGPValue* value, IUnknown*, IGPValue** actual) {
    return tavi::ResolveValue(value, actual);
}

} // namespace tavi
