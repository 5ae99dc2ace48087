// Bindings of the field info family: the entries and their settings by position, the further settings, entries built
// from a table, and the property object of the XML form. The tool tip and document version support are bound with
// their own families.
#include "bridge/Binding.h"

#include "tavi/GPFieldInfo.h"

namespace tavigp {

void BindFieldInfoFamily(BindingTable& t) {
    BIND(t, IGPFieldInfo, get_Count);
    BIND(t, IGPFieldInfo, get_Name);
    BIND(t, IGPFieldInfo, put_Name);
    BIND(t, IGPFieldInfo, get_NewName);
    BIND(t, IGPFieldInfo, put_NewName);
    BIND(t, IGPFieldInfo, get_FieldIndex);
    BIND(t, IGPFieldInfo, put_FieldIndex);
    BIND(t, IGPFieldInfo, get_Visible);
    BIND(t, IGPFieldInfo, put_Visible);
    BIND(t, IGPFieldInfo, get_SplitRule);
    BIND(t, IGPFieldInfo, put_SplitRule);
    BIND(t, IGPFieldInfo, get_HasError);
    BIND(t, IGPFieldInfo, put_HasError);
    BIND(t, IGPFieldInfo, AddField);
    BIND(t, IGPFieldInfo, RemoveField);
    BIND(t, IGPFieldInfo, RemoveAll);
    BIND(t, IGPFieldInfo, FindField);

    BIND(t, IGPFieldInfo2, get_SourceAlias);
    BIND(t, IGPFieldInfo2, put_SourceAlias);
    BIND(t, IGPFieldInfo2, get_SourceTable);
    BIND(t, IGPFieldInfo2, put_SourceTable);

    BIND(t, IGPFieldInfo3, get_FieldType);
    BIND(t, IGPFieldInfo3, put_FieldType);
    BIND(t, IGPFieldInfo3, get_FieldLength);
    BIND(t, IGPFieldInfo3, put_FieldLength);
    BIND(t, IGPFieldInfo3, get_FieldPrecision);
    BIND(t, IGPFieldInfo3, put_FieldPrecision);

    BIND(t, IGPFieldInfo4, SetFromTable);
    BIND(t, IGPFieldInfo4, SetFromCatalogPath);

    BIND(t, IGPFieldInfoProperty, get_Index);
    BIND(t, IGPFieldInfoProperty, put_Index);
    BIND(t, IGPFieldInfoProperty, get_Name);
    BIND(t, IGPFieldInfoProperty, put_Name);
    BIND(t, IGPFieldInfoProperty, get_Alias);
    BIND(t, IGPFieldInfoProperty, put_Alias);
    BIND(t, IGPFieldInfoProperty, get_SplitRule);
    BIND(t, IGPFieldInfoProperty, put_SplitRule);
    BIND(t, IGPFieldInfoProperty, get_Visible);
    BIND(t, IGPFieldInfoProperty, put_Visible);
    BIND(t, IGPFieldInfoProperty, get_HasError);
    BIND(t, IGPFieldInfoProperty, put_HasError);
    BIND(t, IGPFieldInfoProperty, get_SourceAlias);
    BIND(t, IGPFieldInfoProperty, put_SourceAlias);
    BIND(t, IGPFieldInfoProperty, get_SourceTable);
    BIND(t, IGPFieldInfoProperty, put_SourceTable);
    BIND(t, IGPFieldInfoProperty, get_FieldType);
    BIND(t, IGPFieldInfoProperty, put_FieldType);
    BIND(t, IGPFieldInfoProperty, get_FieldLength);
    BIND(t, IGPFieldInfoProperty, put_FieldLength);
    BIND(t, IGPFieldInfoProperty, get_FieldPrecision);
    BIND(t, IGPFieldInfoProperty, put_FieldPrecision);
}

} // namespace tavigp
