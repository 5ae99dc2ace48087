// Bindings of the component model's root interfaces: identity, factories, singletons, class identifiers and error
// information.
#include "Binding.h"

namespace tavigp {

void BindUnknownFamily(BindingTable& t) {
    // AddRef and Release are left out: the session owns the references it holds.
    t.Bind("IUnknown.QueryInterface", &IUnknown::QueryInterface);

    t.Bind("IClassFactory.CreateInstance", &IClassFactory::CreateInstance);
    t.Bind("IClassFactory.LockServer", &IClassFactory::LockServer);
    t.Bind("ISingleton.ReleaseSingleton", &ISingleton::ReleaseSingleton);

    t.Bind("IClassID.get_ClassID", &IClassID::get_ClassID);
    t.Bind("IClassID.get_ProgID", &IClassID::get_ProgID);

    t.Bind("ISupportErrorInfo.InterfaceSupportsErrorInfo", &ISupportErrorInfo::InterfaceSupportsErrorInfo);
    t.Bind("IErrorInfo.GetGUID", &IErrorInfo::GetGUID);
    t.Bind("IErrorInfo.GetSource", &IErrorInfo::GetSource);
    t.Bind("IErrorInfo.GetDescription", &IErrorInfo::GetDescription);
    t.Bind("IErrorInfo.GetHelpFile", &IErrorInfo::GetHelpFile);
    t.Bind("IErrorInfo.GetHelpContext", &IErrorInfo::GetHelpContext);
    t.Bind("ICreateErrorInfo.SetGUID", &ICreateErrorInfo::SetGUID);
    t.Bind("ICreateErrorInfo.SetSource", &ICreateErrorInfo::SetSource);
    t.Bind("ICreateErrorInfo.SetDescription", &ICreateErrorInfo::SetDescription);
    t.Bind("ICreateErrorInfo.SetHelpFile", &ICreateErrorInfo::SetHelpFile);
    t.Bind("ICreateErrorInfo.SetHelpContext", &ICreateErrorInfo::SetHelpContext);
}

} // namespace tavigp
