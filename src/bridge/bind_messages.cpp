// Bindings of the message interfaces, and the "message" detail of out objects that are messages.
#include "bridge/Binding.h"

#include "tavi/GPMessage.h"
#include "tavi/GPValue.h"

namespace tavigp {

namespace {

// An out object answering IGPMessage also carries {"type", "code", "description"}, so a script sees a verdict
// without three more calls.
void DescribeMessage(IUnknown* object, Json& description) {
    auto message = tavi::QueryAs<IGPMessage>(object);
    if (!message)
        return;
    int32_t type = 0, code = 0;
    tavi::BStr text;
    message->get_Type(&type);
    message->get_ErrorCode(&code);
    message->get_Description(text.Out());
    description["message"] = {{"type", type}, {"code", code}, {"description", Narrow(text.view())}};
}

} // namespace

void BindMessageFamily(BindingTable& t) {
    t.Describe(&DescribeMessage);

    BIND(t, IGPMessage, get_Type);
    BIND(t, IGPMessage, put_Type);
    BIND(t, IGPMessage, get_ErrorCode);
    BIND(t, IGPMessage, put_ErrorCode);
    BIND(t, IGPMessage, get_Description);
    BIND(t, IGPMessage, put_Description);
    BIND(t, IGPMessage, IsGood);
    BIND(t, IGPMessage, IsWarning);
    BIND(t, IGPMessage, IsError);
    BIND(t, IGPMessage, IsInformational);

    BIND(t, IGPErrorMessage, MakeError);
    BIND(t, IGPErrorMessage, MakeErrorWithText);

    BIND(t, IGPMessages, get_Count);
    BIND(t, IGPMessages, GetMessage);
    BIND(t, IGPMessages, Clear);
    BIND(t, IGPMessages, AddMessage);
    BIND(t, IGPMessages, Remove);

    BIND(t, IGPMessageMaker, MakeResultMessage);
    BIND(t, IGPMessageMaker, MakeInvalidValueMessage);
    BIND(t, IGPValueResolver, ResolveValue);
}

} // namespace tavigp
