// Bindings of the message interfaces, and the "message" detail of out objects that are messages.
#include "Binding.h"

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

    t.Bind("IGPMessage.get_Type", &IGPMessage::get_Type);
    t.Bind("IGPMessage.put_Type", &IGPMessage::put_Type);
    t.Bind("IGPMessage.get_ErrorCode", &IGPMessage::get_ErrorCode);
    t.Bind("IGPMessage.put_ErrorCode", &IGPMessage::put_ErrorCode);
    t.Bind("IGPMessage.get_Description", &IGPMessage::get_Description);
    t.Bind("IGPMessage.put_Description", &IGPMessage::put_Description);
    t.Bind("IGPMessage.IsGood", &IGPMessage::IsGood);
    t.Bind("IGPMessage.IsWarning", &IGPMessage::IsWarning);
    t.Bind("IGPMessage.IsError", &IGPMessage::IsError);
    t.Bind("IGPMessage.IsInformational", &IGPMessage::IsInformational);

    t.Bind("IGPErrorMessage.MakeError", &IGPErrorMessage::MakeError);
    t.Bind("IGPErrorMessage.MakeErrorWithText", &IGPErrorMessage::MakeErrorWithText);

    t.Bind("IGPMessages.get_Count", &IGPMessages::get_Count);
    t.Bind("IGPMessages.GetMessage", &IGPMessages::GetMessage);
    t.Bind("IGPMessages.Clear", &IGPMessages::Clear);
    t.Bind("IGPMessages.AddMessage", &IGPMessages::AddMessage);
    t.Bind("IGPMessages.Remove", &IGPMessages::Remove);

    t.Bind("IGPMessageMaker.MakeResultMessage", &IGPMessageMaker::MakeResultMessage);
    t.Bind("IGPMessageMaker.MakeInvalidValueMessage", &IGPMessageMaker::MakeInvalidValueMessage);
    t.Bind("IGPValueResolver.ResolveValue", &IGPValueResolver::ResolveValue);
}

} // namespace tavigp
