// Bindings of the component model's root interfaces: identity, factories, singletons, class identifiers and error
// information.
#include "bridge/Binding.h"

namespace tavigp {

void BindUnknownFamily(BindingTable& t) {
    // AddRef and Release are left out: the session owns the references it holds.
    BIND(t, IUnknown, QueryInterface);

    BIND(t, IClassFactory, CreateInstance);
    BIND(t, IClassFactory, LockServer);
    BIND(t, ISingleton, ReleaseSingleton);

    BIND(t, IClassID, get_ClassID);
    BIND(t, IClassID, get_ProgID);

    BIND(t, ISupportErrorInfo, InterfaceSupportsErrorInfo);
    BIND(t, IErrorInfo, GetGUID);
    BIND(t, IErrorInfo, GetSource);
    BIND(t, IErrorInfo, GetDescription);
    BIND(t, IErrorInfo, GetHelpFile);
    BIND(t, IErrorInfo, GetHelpContext);
    BIND(t, ICreateErrorInfo, SetGUID);
    BIND(t, ICreateErrorInfo, SetSource);
    BIND(t, ICreateErrorInfo, SetDescription);
    BIND(t, ICreateErrorInfo, SetHelpFile);
    BIND(t, ICreateErrorInfo, SetHelpContext);
}

} // namespace tavigp
