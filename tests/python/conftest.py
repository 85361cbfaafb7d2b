"""What every test of the Python module shares: the reference tool, the examples, the generator.

The module is held to richmarkup-build: whatever it converts, the tool run on the same bytes must
write the same. The environment names the tool and the folders (ctest sets them); without it the
build tree beside this source tree is used.
  RICHMARKUP_TOOL      the richmarkup-build to compare with
  RICHMARKUP_EXAMPLES  the examples folder
  RICHMARKUP_GENDOC    richmarkup-gendoc, for generated corpora (tests that need it skip without it)
"""
import os
import subprocess
from pathlib import Path

import pytest

SOURCE_DIR = Path(__file__).resolve().parents[2]

# The writer formats, and the tool's arguments for each. The module's pandoc AST defaults to 1.23
# whatever pandoc is installed; the tool's follows the pandoc on PATH, so it is told.
FORMATS = {
    "html": ["-t", "html"],
    "markdown": ["-t", "markdown"],
    "json": ["-t", "json"],
    "tree": ["-t", "tree"],
    "richtext": ["-t", "richtext"],
    "pandoc": ["-t", "pandoc", "--pandoc-api", "1.23"],
}


def _path_from_env(var, default):
    value = os.environ.get(var)
    return Path(value) if value else default


TOOL = _path_from_env("RICHMARKUP_TOOL", SOURCE_DIR / "build" / "bin" / "richmarkup-build")
EXAMPLES = _path_from_env("RICHMARKUP_EXAMPLES", SOURCE_DIR / "examples")
GENDOC = _path_from_env("RICHMARKUP_GENDOC", SOURCE_DIR / "build" / "bin" / "richmarkup-gendoc")
MARKDOWN_SEEDS = SOURCE_DIR / "fuzz" / "seeds" / "markdown"
PANDOC_SEEDS = SOURCE_DIR / "fuzz" / "seeds" / "pandoc"


def python_env():
    """The environment for a child /usr/bin/python3 that imports the module under test, wherever
    it runs."""
    import richmarkup
    site = str(Path(richmarkup.__file__).resolve().parents[1])
    path = os.environ.get("PYTHONPATH")
    return dict(os.environ, PYTHONPATH=site + os.pathsep + path if path else site, PYTHONWARNINGS="")


class ToolRun:
    def __init__(self, completed):
        self.status = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr.decode()

    @property
    def lines(self):
        """Standard error, one diagnostic a line."""
        return self.stderr.splitlines()

    def first_error(self):
        return next(line for line in self.lines if line.startswith("error: "))

    def warnings(self):
        return [line for line in self.lines if line.startswith("warning: ")]


def run_tool(*args, cwd=None, stdin=None):
    completed = subprocess.run([str(TOOL), *map(str, args)], cwd=cwd, input=stdin,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    return ToolRun(completed)


def example_files():
    return sorted(EXAMPLES.glob("*.json"))


def markdown_files():
    """Markdown inputs: the fuzz seeds and the examples' own Markdown."""
    return sorted(MARKDOWN_SEEDS.glob("*.md")) + sorted((EXAMPLES / "expected").glob("*.md"))


@pytest.fixture(scope="session")
def tool():
    if not TOOL.is_file():
        pytest.fail(f"no reference tool at {TOOL} (set RICHMARKUP_TOOL)")
    return run_tool


@pytest.fixture(scope="session")
def gendoc():
    if not GENDOC.is_file():
        pytest.skip(f"no richmarkup-gendoc at {GENDOC}")

    def generate(*args):
        return subprocess.run([str(GENDOC), *map(str, args)], check=True, stdout=subprocess.PIPE,
                              timeout=60).stdout

    return generate


@pytest.fixture(scope="session")
def showcase():
    return (EXAMPLES / "showcase.json").read_text(encoding="utf-8")


def pytest_configure(config):
    # The tests that look at warnings record them; elsewhere the examples' warnings are only noise.
    config.addinivalue_line("filterwarnings", "ignore::richmarkup.ConversionWarning")
