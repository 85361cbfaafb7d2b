"""The README's Python example runs and prints what the README says it prints."""
import re
import subprocess

from conftest import SOURCE_DIR, python_env


def readme_blocks():
    """The first ```python block under "## Python" and the ```text block after it."""
    readme = (SOURCE_DIR / "README.md").read_text(encoding="utf-8")
    section = readme[readme.index("\n## Python\n"):]
    program = re.search(r"^```python\n(.*?)^```$", section, re.S | re.M)
    output = re.compile(r"^```text\n(.*?)^```$", re.S | re.M).search(section, program.end())
    return program.group(1), output.group(1)


def test_the_readme_example_prints_its_output(tmp_path):
    program, expected = readme_blocks()
    (tmp_path / "example.py").write_text(program, encoding="utf-8")
    run = subprocess.run(["/usr/bin/python3", "example.py"], cwd=tmp_path, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, text=True, timeout=60, env=python_env())
    assert run.returncode == 0, run.stderr
    assert run.stdout == expected
