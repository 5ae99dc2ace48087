import pytest

import tavi


def test_failed_operations_raise_com_error_with_code_and_name():
    array = tavi.create("Array")
    with pytest.raises(tavi.ComError) as failure:
        array.get_Element(3)
    assert failure.value.hr == 0x80004005 and failure.value.name == "E_FAIL"
    assert "IArray.get_Element failed: 0x80004005 E_FAIL" in str(failure.value)


def test_a_failure_is_described_by_its_code_when_the_object_keeps_no_error_information():
    utilities = tavi.create("GPUtilities")
    assert not utilities.answers("ISupportErrorInfo")
    with pytest.raises(tavi.ComError) as failure:
        utilities.OpenDataElementFromText("/no/such/folder/roads.shp")
    assert failure.value.name == "STG_E_FILENOTFOUND" and failure.value.description == ""


def test_arguments_of_the_wrong_kind_or_count():
    array = tavi.create("Array")
    with pytest.raises(TypeError, match="expected int, got str"):
        array.get_Element("0")
    with pytest.raises(TypeError, match=r"takes 1 argument\(s\) \(number, out object\), 0 given"):
        array.get_Element()
    with pytest.raises(TypeError, match="expected a tavi.Object"):
        array.Add("not an object")
    with pytest.raises(TypeError):
        array.get_Count(colour=1)
    with pytest.raises(ValueError, match="no class named 'NoSuchClass'"):
        tavi.create("NoSuchClass")
    with pytest.raises(ValueError):
        array.get_Element(2**40)  # beyond the parameter's 32 bits


def test_text_a_value_cannot_read_gives_an_error_message():
    unit = tavi.create("GPLinearUnit")
    message = unit.SetAsText("five meters")
    assert isinstance(message, tavi.Message)
    assert message.IsError() and message.code == 799
    assert "expected a number" in message.description
    assert str(unit) == ""  # a failed read leaves the value as it was: empty
