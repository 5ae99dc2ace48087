// Model variables in text: a value's text may name the variables of a running model as "%name%", which are found in
// a variable manager and replaced by their values' texts. The host's variable manager is a plain list of the
// variables a host puts in it.
#pragma once

#include "host/ObjectArray.h"
#include "host/String.h"
#include "platform/Object.h"
#include "tavi/GPValue.h"

#include <vector>

namespace tavi {

namespace modelvariables {
// The names that "%name%" spans in `text` name, in order of first appearance, each once. A "%" without a partner,
// and "%%", name nothing.
std::vector<String> NamesIn(std::u16string_view text);
// `text` with every "%name%" whose variable `manager` finds replaced by the text of that variable's value (an empty
// text for a variable without a value); other spans stay as they are.
String Substitute(std::u16string_view text, IGPVariableManager* manager);
// The names of NamesIn(text) as a new string list (IBStringArray) in *names, for IGPValueExpression::GetVariableNames.
HRESULT HandOutNamesIn(std::u16string_view text, IUnknown** names);
} // namespace modelvariables

// The host's variable manager: FindVariable searches the variables put in through IArray (elements that are no
// variables are skipped) for the first whose name equals the one asked for, without regard to case.
class GPVariableManager final : public Object<GPVariableManager, IGPVariableManager, IArray, IArray2> {
public:
    static constexpr CLSID kClassId = CLSID_GPVariableManager;
    static constexpr const char16_t* kClassName = u"GPVariableManager";

    GPVariableManager();

    // IGPVariableManager
    HRESULT FindVariable(const OLECHAR* name, IGPVariable** variable) override;

    // IArray, IArray2: the variables, as the object array keeps them.
    HRESULT get_Count(int32_t* count) override { return variables_->get_Count(count); }
    HRESULT get_Element(int32_t index, IUnknown** element) override { return variables_->get_Element(index, element); }
    HRESULT Add(IUnknown* element) override { return variables_->Add(element); }
    HRESULT Insert(int32_t index, IUnknown* element) override { return variables_->Insert(index, element); }
    HRESULT Remove(int32_t index) override { return variables_->Remove(index); }
    HRESULT RemoveAll() override { return variables_->RemoveAll(); }
    HRESULT Replace(int32_t index, IUnknown* element) override { return variables_->Replace(index, element); }

private:
    ComPtr<ObjectArray> variables_;
};

} // namespace tavi
