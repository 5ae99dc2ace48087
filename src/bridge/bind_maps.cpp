// Bindings of the values that name an item of a project document: the map (with its map type and further
// settings), the page layout and the report.
#include "bridge/Binding.h"

#include "tavi/GPMap.h"

namespace tavigp {

void BindMapFamily(BindingTable& t) {
    BIND(t, IGPMap, get_Path);
    BIND(t, IGPMap, put_Path);
    BIND(t, IGPMap, get_NameString);
    BIND(t, IGPMap, put_NameString);
    BIND(t, IGPMap, get_Setting);
    BIND(t, IGPMap, put_Setting);
    BIND(t, IGPMap, get_MapType);
    BIND(t, IGPMap, get_Setting2);
    BIND(t, IGPMap, put_Setting2);
    BIND(t, IGPMap, get_Setting3);
    BIND(t, IGPMap, put_Setting3);
    BIND(t, IGPMap, put_MapType);

    BIND(t, IGPLayout, get_Path);
    BIND(t, IGPLayout, put_Path);
    BIND(t, IGPLayout, get_NameString);
    BIND(t, IGPLayout, put_NameString);
    BIND(t, IGPLayout, get_Setting);
    BIND(t, IGPLayout, put_Setting);

    BIND(t, IGPReport, get_Path);
    BIND(t, IGPReport, put_Path);
    BIND(t, IGPReport, get_NameString);
    BIND(t, IGPReport, put_NameString);
    BIND(t, IGPReport, get_Setting);
    BIND(t, IGPReport, put_Setting);
}

} // namespace tavigp
