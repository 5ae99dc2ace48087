import pathlib
import threading

import tavi


def test_threads_use_their_own_values_at_once():
    failures = []

    def work(number):
        try:
            for i in range(200):
                unit = tavi.create("GPLinearUnit")
                unit.SetAsText(f"{number}{i:03}.5 meters")
                if str(unit) != f"{number}{i:03}.5 Meters":
                    failures.append(str(unit))
        except Exception as error:  # noqa: BLE001 - any failure in a thread is the test's failure
            failures.append(repr(error))
        tavi.release_unused()  # the thread's own singletons go with it

    threads = [threading.Thread(target=work, args=(n,)) for n in range(1, 9)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []


def test_type_stubs_list_every_interface_and_operation():
    stubs = (pathlib.Path(tavi.__file__).parent / "__init__.pyi").read_text()
    assert "class _IGPValue(Interface):" in stubs
    assert "    def SetAsText(self, a0: str | None, /, *, nullout: list[int] = ..., result_code: bool = ...) -> Object | None: ..." in stubs
    assert "    IGPLinearUnit: _IGPLinearUnit" in stubs
    assert len([line for line in stubs.splitlines() if line.startswith("    def ")]) >= len(tavi.operations())
