import os
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def readme_blocks(section, language):
    text = (ROOT / "README.md").read_text(encoding="utf-8")
    body = text.split(f"\n## {section}\n", 1)[1].split("\n## ", 1)[0]
    return re.findall(rf"```{language}\n(.*?)```", body, re.S)


def test_the_readme_shows_the_examples_as_they_are():
    assert readme_blocks("Use from C++", "cpp") == [(ROOT / "examples/linear_unit/main.cpp").read_text()]
    assert readme_blocks("Use from Python", "python") == [(ROOT / "examples/python/linear_unit.py").read_text()]


def test_the_python_example_prints_what_the_readme_says():
    run = subprocess.run(
        [sys.executable, str(ROOT / "examples/python/linear_unit.py")],
        capture_output=True,
        text=True,
        env=dict(os.environ),
        check=True,
    )
    assert [run.stdout] == readme_blocks("Use from Python", "text")
