import copy
import pickle

import pytest

import tavi


@pytest.mark.parametrize(
    "class_name, text, shown",
    [
        ("GPString", "hello, world", "hello, world"),
        ("GPLong", "42", "42"),
        ("GPDouble", "2.5", "2.5"),
        ("GPBoolean", "true", "true"),
        ("GPLinearUnit", "5 meters", "5 Meters"),
        ("GPString", "Grüße 北京", "Grüße 北京"),
    ],
)
def test_text_in_and_out(class_name, text, shown):
    value = tavi.create(class_name)
    assert value.SetAsText(text).IsGood()  # the message says the text was read as typed
    assert str(value) == shown
    assert value.IGPValue.GetAsText() == shown
    assert repr(value) == f"<tavi.{class_name} {shown!r}>"


def test_numbers_cross_as_python_numbers():
    long_value = tavi.create("GPLong")
    long_value.IGPLong.put_Value(-7)
    assert long_value.IGPLong.get_Value() == -7
    unit = tavi.create("GPLinearUnit")
    unit.SetAsText("1 kilometers")
    assert unit.IGPLinearUnit.get_Value() == 1.0
    assert unit.IGPLinearUnit.get_ConvertedValue(9) == pytest.approx(1000.0)  # 9: meters
    assert unit.IsEmpty() == 0  # a VARIANT_BOOL comes back as its number


def test_variants_cross_as_python_values():
    variant = tavi.create("GPVariant")
    for value in [None, True, 12, 2**40, 1.5, "text", [1, "two", 3.0]]:
        variant.IGPVariant.put_Value(value)
        assert variant.IGPVariant.get_Value() == value
    inner = tavi.create("GPString")
    variant.IGPVariant.put_Value(inner)
    assert variant.IGPVariant.get_Value().same(inner)


def test_equality_copy_and_pickle():
    unit = tavi.create("GPLinearUnit")
    unit.SetAsText("3.25 feet")
    clone = copy.copy(unit)
    assert clone == unit and not clone.same(unit)
    clone.SetAsText("4 feet")
    assert clone != unit
    restored = pickle.loads(pickle.dumps(unit))
    assert restored == unit and restored.class_name == "GPLinearUnit"
    assert str(copy.deepcopy(unit)) == "3.25 Feet"


def test_objects_as_arguments_and_results():
    array = tavi.create("Array")
    first, second = tavi.create("GPString"), tavi.create("GPLong")
    array.Add(first)
    array.Add(second)
    assert array.get_Count() == 2
    assert array.get_Element(1).same(second)
    assert array.get_Element(0).class_name == "GPString"
    assert array.get_Element(0) == first


def test_interfaces_and_operations_are_attributes():
    unit = tavi.create("GPLinearUnit")
    assert unit.answers("IGPValue") and not unit.answers("IArray")
    assert "IGPValue" in dir(unit) and "SetAsText" in dir(unit)
    assert "SetAsText" in dir(unit.IGPValue)
    assert unit.IGPValue.SetAsText.signature == "text, out object"
    with pytest.raises(AttributeError, match="does not answer IArray"):
        unit.IArray
    with pytest.raises(AttributeError, match="no attribute or operation 'Frobnicate'"):
        unit.Frobnicate
    with pytest.raises(AttributeError, match="ambiguous"):
        unit.put_Units  # IGPLinearUnit and IGPLinearUnit2 both have it
    unit.IGPLinearUnit2.put_Units(9)


def test_result_code_and_null_outs():
    unit = tavi.create("GPLinearUnit")
    code, message = unit.SetAsText("2 inches", result_code=True)
    assert code == 0 and message.IsGood()
    with pytest.raises(tavi.ComError) as failure:
        unit.IGPValue.GetAsText(nullout=[0])  # the out argument as a null pointer, which the library refuses
    assert failure.value.name == "E_POINTER"


def test_classes_by_name_programmatic_identifier_or_class_identifier():
    for which in ["GPLinearUnit", "taviGeoprocessing.GPLinearUnit", "{842DE5C7-80FB-4C41-8621-69DEAD3CC024}"]:
        assert tavi.create(which).class_name == "GPLinearUnit"
    assert tavi.create("Array").answers("IArray")  # one of the host's own classes


def test_objects_live_as_long_as_python_holds_them():
    import gc

    values = [tavi.create("GPString") for _ in range(50)]
    held = values[7].IGPValue  # an interface view holds its object too
    assert tavi.object_count() >= 50
    del values
    gc.collect()
    assert tavi.object_count() >= 1
    del held
    gc.collect()
    assert tavi.object_count() == 0
