import copy

import tavi

unit = tavi.create("GPLinearUnit")  # by class name, or by class identifier "{...}"
message = unit.SetAsText("5 meters")  # the same as unit.IGPValue.SetAsText("5 meters")
print(unit, bool(message.IsGood()))
print(unit.IGPLinearUnit.get_ConvertedValue(3))  # 3: in feet
twice = copy.copy(unit)
twice.SetAsText("10 meters")
print(twice == unit, repr(twice))
try:
    tavi.create("Array").get_Element(0)
except tavi.ComError as error:
    print(error.name, hex(error.hr))
