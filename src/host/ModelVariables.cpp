// Model variables in text, and the host's variable manager.
#include "host/ModelVariables.h"

#include "host/CreateInstance.h"
#include "platform/BStr.h"

#include <algorithm>

namespace tavi {

namespace modelvariables {

namespace {

constexpr char16_t kMark = u'%';

// Calls `span(name, begin, end)` for every "%name%" of `text` with a non-empty name, [begin, end) covering the marks.
template <class Span> void ForEachSpan(std::u16string_view text, Span&& span) {
    size_t at = 0;
    while (at < text.size()) {
        size_t open = text.find(kMark, at);
        if (open == std::u16string_view::npos)
            return;
        size_t close = text.find(kMark, open + 1);
        if (close == std::u16string_view::npos)
            return;
        if (close == open + 1) { // "%%" names nothing; its second mark may open the next span
            at = close;
            continue;
        }
        span(text.substr(open + 1, close - open - 1), open, close + 1);
        at = close + 1;
    }
}

} // namespace

std::vector<String> NamesIn(std::u16string_view text) {
    std::vector<String> names;
    ForEachSpan(text, [&](std::u16string_view name, size_t, size_t) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
    });
    return names;
}

String Substitute(std::u16string_view text, IGPVariableManager* manager) {
    String out;
    size_t copied = 0;
    ForEachSpan(text, [&](std::u16string_view name, size_t begin, size_t end) {
        ComPtr<IGPVariable> variable;
        if (!manager || FAILED(manager->FindVariable(String(name).c_str(), variable.Out())) || !variable)
            return;
        ComPtr<IGPValue> value;
        BStr valueText;
        if (SUCCEEDED(variable->get_Value(value.Out())) && value)
            value->GetAsText(valueText.Out());
        out.append(text.substr(copied, begin - copied));
        out.append(valueText.view());
        copied = end;
    });
    out.append(text.substr(copied));
    return out;
}

HRESULT HandOutNamesIn(std::u16string_view text, IUnknown** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IBStringArray> list;
        if (FAILED(
                AfCreateInstance(CLSID_EnumBSTR, nullptr, CLSCTX_INPROC_SERVER, IBStringArray::iid, list.OutVoid())) ||
            !list)
            return E_FAIL;
        for (const String& name : NamesIn(text))
            if (HRESULT hr = list->Add(BStr(name).Get()); FAILED(hr))
                return hr;
        *names = list.Detach();
        return S_OK;
    });
}

} // namespace modelvariables

GPVariableManager::GPVariableManager() : variables_(MakeObject<ObjectArray>()) {}

HRESULT GPVariableManager::FindVariable(const OLECHAR* name, IGPVariable** variable) {
    if (HRESULT hr = ClearOut(variable); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        variables_->get_Count(&count);
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> element;
            variables_->get_Element(i, element.Out());
            auto candidate = QueryAs<IGPVariable>(element.Get());
            BStr candidateName;
            if (candidate && SUCCEEDED(candidate->get_Name(candidateName.Out())) &&
                EqualsNoCase(candidateName.view(), name)) {
                *variable = candidate.Detach();
                return S_OK;
            }
        }
        return E_FAIL;
    });
}

} // namespace tavi
