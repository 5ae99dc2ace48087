import tavi


def value_of(class_name, text):
    value = tavi.create(class_name)
    value.SetAsText(text)
    return value


def test_coded_value_domain_membership():
    domain = tavi.create("GPCodedValueDomain")
    for code, name in [("1", "Paved"), ("2", "Gravel")]:
        domain.AddCode(value_of("GPLong", code), name)
    assert domain.get_CodeCount() == 2
    assert domain.FindName(value_of("GPLong", "2")) == "Gravel"
    assert domain.IGPDomain.MemberOf(value_of("GPLong", "1")).IsGood()
    outside = domain.IGPDomain.MemberOf(value_of("GPLong", "3"))
    assert outside.IsError()


def test_range_domain_takes_variants():
    domain = tavi.create("RangeDomain")
    domain.IRangeDomain.put_MinValue(0.5)
    domain.IRangeDomain.put_MaxValue(10)
    assert domain.IRangeDomain.get_MinValue() == 0.5
    assert domain.IRangeDomain.get_MaxValue() == 10


def test_the_catalogue():
    types = {row["name"]: row for row in tavi.types()}
    assert {"GPLong", "GPLinearUnit", "GPString", "GPFeatureLayer"} <= types.keys()
    assert types["GPLong"]["display_name"] == "Long"
    factory = tavi.create("GPDataTypeFactory")
    long_type = factory.GetDataType("GPLong")
    assert long_type.get_Name() == "GPLong"
    value = long_type.CreateValue("17")
    assert value.class_name == "GPLong" and str(value) == "17"
