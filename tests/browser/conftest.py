"""What the browser tests share: the tool, a headless Chromium that loads a page and gives back its
DOM after the page's scripts ran, and a small DOM read back from that text.

The environment names the programs and folders (ctest sets them); without it the build tree beside
this source tree is used.
  RICHMARKUP_TOOL          the richmarkup-build that writes the pages
  RICHMARKUP_EXAMPLES      the examples folder
  RICHMARKUP_CHROMIUM      the browser (default /usr/bin/chromium; the tests skip without it)
  RICHMARKUP_BROWSER_OUT   where screenshots are left for people to look at
"""
import os
import signal
import subprocess
import tempfile
from html.parser import HTMLParser
from pathlib import Path

import pytest

SOURCE_DIR = Path(__file__).resolve().parents[2]


def _path_from_env(var, default):
    value = os.environ.get(var)
    return Path(value) if value else default


TOOL = _path_from_env("RICHMARKUP_TOOL", SOURCE_DIR / "build" / "bin" / "richmarkup-build")
EXAMPLES = _path_from_env("RICHMARKUP_EXAMPLES", SOURCE_DIR / "examples")
CHROMIUM = _path_from_env("RICHMARKUP_CHROMIUM", Path("/usr/bin/chromium"))
OUT_DIR = _path_from_env("RICHMARKUP_BROWSER_OUT", SOURCE_DIR / "build" / "tests" / "browser" / "screenshots")

# Each launch starts from a fresh profile and does nothing in the background. Every host name
# fails to resolve: a page that needs the network to show its equations fails here as it would
# offline. The virtual time budget lets the page's scripts (and the fonts they load) finish before
# the DOM is dumped, without waiting that long in real time.
CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--host-resolver-rules=MAP * ~NOTFOUND", "--virtual-time-budget=5000",
    # The page's console on standard error, to see its scripts' uncaught errors.
    "--enable-logging=stderr", "--v=0",
]
CHROMIUM_TIMEOUT = 60


class Loaded:
    def __init__(self, dom, console):
        self.dom = dom  # the DOM after load, as Chromium serialises it
        self.console = console  # the page's console messages, one a line

    def uncaught(self):
        return [line for line in self.console if "Uncaught" in line]


def load_page(page, screenshot=None):
    """Loads the page; with `screenshot`, also writes a PNG of a 1000x1600 window there (one
    launch does both)."""
    with tempfile.TemporaryDirectory(prefix="richmarkup-chromium-") as profile:
        args = [str(CHROMIUM), *CHROMIUM_FLAGS, f"--user-data-dir={profile}"]
        if screenshot:
            args += [f"--screenshot={screenshot}", "--window-size=1000,1600"]
        args += ["--dump-dom", Path(page).resolve().as_uri()]
        # Its own session, so that a hung browser is ended with all its helper processes.
        child = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=profile,
                                 start_new_session=True)
        try:
            out, err = child.communicate(timeout=CHROMIUM_TIMEOUT)
        except subprocess.TimeoutExpired:
            os.killpg(child.pid, signal.SIGKILL)
            child.communicate()
            pytest.fail(f"Chromium did not finish {page} within {CHROMIUM_TIMEOUT} s")
    if child.returncode != 0 or not out.strip():
        pytest.fail(f"Chromium failed on {page} (status {child.returncode}):\n{err.decode(errors='replace')}")
    console = [line for line in err.decode(errors="replace").splitlines() if ":CONSOLE" in line]
    return Loaded(out.decode("utf-8"), console)


class ToolRun:
    def __init__(self, completed, output):
        self.status = completed.returncode
        self.stderr = completed.stderr.decode()
        self.output = output

    def warnings(self):
        return [line for line in self.stderr.splitlines() if line.startswith("warning: ")]


def write_html(source, out, *options):
    """Runs the tool on `source` to the HTML page `out`."""
    completed = subprocess.run([str(TOOL), str(source), "-t", "html", *options, "-o", str(out)],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    return ToolRun(completed, Path(out))


# --- The DOM, read back ---------------------------------------------------------------------------

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
        "track", "wbr"}


class Element:
    def __init__(self, tag, attrs, parent):
        self.tag = tag
        self.attrs = dict(attrs)
        self.parent = parent
        self.children = []  # Elements and strings, in document order

    @property
    def classes(self):
        return (self.attrs.get("class") or "").split()

    def has_class(self, name):
        return name in self.classes

    def iter(self):
        """This element and every element under it, in document order."""
        yield self
        for child in self.children:
            if isinstance(child, Element):
                yield from child.iter()

    def find_all(self, predicate):
        return [e for e in self.iter() if predicate(e)]

    def ancestors(self):
        node = self.parent
        while node is not None:
            yield node
            node = node.parent

    def text(self, skip=()):
        """The text under this element, leaving out the elements whose tag is in `skip`."""
        parts = []
        for child in self.children:
            if isinstance(child, str):
                parts.append(child)
            elif child.tag not in skip:
                parts.append(child.text(skip))
        return "".join(parts)

    def __repr__(self):
        return f"<{self.tag} {self.attrs}>"


class _TreeBuilder(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Element("#document", {}, None)
        self.open = [self.root]

    def handle_starttag(self, tag, attrs):
        element = Element(tag, attrs, self.open[-1])
        self.open[-1].children.append(element)
        if tag not in VOID:
            self.open.append(element)

    def handle_startendtag(self, tag, attrs):
        element = Element(tag, attrs, self.open[-1])
        self.open[-1].children.append(element)

    def handle_endtag(self, tag):
        # Chromium's serialisation closes every element it opened; a stray end tag is ignored.
        for depth in range(len(self.open) - 1, 0, -1):
            if self.open[depth].tag == tag:
                del self.open[depth:]
                return

    def handle_data(self, data):
        self.open[-1].children.append(data)


def parse_html(text):
    builder = _TreeBuilder()
    builder.feed(text)
    builder.close()
    return builder.root


@pytest.fixture(scope="session")
def chromium():
    if not os.access(CHROMIUM, os.X_OK):
        pytest.skip(f"no Chromium at {CHROMIUM} (set RICHMARKUP_CHROMIUM)")
    return load_page


@pytest.fixture(scope="session")
def tool():
    if not TOOL.is_file():
        pytest.fail(f"no richmarkup-build at {TOOL} (set RICHMARKUP_TOOL)")
    return write_html


@pytest.fixture(scope="session")
def out_dir():
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    return OUT_DIR
