"""The HTML page's equations as a browser shows them: richmarkup-build's `--math` modes loaded in a
headless Chromium, the DOM read back after the page's own scripts ran.

Each page is written and loaded once (a module's fixtures hold them); the pages of a document are
loaded side by side.
"""
import json
import re
import struct
import zlib
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path

import pytest

from conftest import EXAMPLES, parse_html

# Where each scripted mode loads its library from by default: the page may load scripts from there
# and nowhere else.
LIBRARY_BASE = {
    "katex": "file:///usr/share/javascript/katex/",
    "mathjax": "file:///usr/share/javascript/mathjax/",
}
MODES = ("mathml", "katex", "mathjax")

# Markup a browser shows nobody: equations' sources kept for machines and the pages' own code.
HIDDEN_TAGS = {"annotation", "annotation-xml", "script", "style", "title", "head"}
HIDDEN_CLASSES = {"katex-mathml", "MJX_Assistive_MathML", "MathJax_Preview"}


def hidden(element):
    return element.tag in HIDDEN_TAGS or any(c in HIDDEN_CLASSES for c in element.classes)


@dataclass
class Equation:
    pointer: str
    tex: str
    display: bool
    alt: str
    encoding: str


def equations_of(value, pointer=""):
    """The document's equations in document order, each with its JSON pointer."""
    if isinstance(value, dict):
        if value.get("className") == "EquationNode":
            yield Equation(pointer, value.get("texString", ""), value.get("displayStyle") is True,
                           value.get("altTextString"), value.get("encoding"))
        for key, child in value.items():
            yield from equations_of(child, f"{pointer}/{key}")
    elif isinstance(value, list):
        for index, child in enumerate(value):
            yield from equations_of(child, f"{pointer}/{index}")


@dataclass
class Page:
    mode: str
    run: object  # the tool's run: status, stderr, output path
    written: object  # the page as the tool wrote it, parsed
    dom: object = None  # the DOM after load, parsed
    dumped: str = None  # the same as Chromium wrote it
    uncaught: list = None  # the errors the page's scripts left uncaught
    screenshot: Path = None


def make_pages(tool, chromium, source, folder, modes, screenshot_dir=None):
    """Writes `source` as a page in every mode and loads the scripted ones in Chromium."""
    pages = {}
    for mode in modes:
        out = folder / f"{Path(source).stem}-{mode}.html"
        run = tool(source, out, "--math", mode)
        assert run.status == 0, f"richmarkup-build {source} -t html --math {mode}: {run.stderr}"
        pages[mode] = Page(mode, run, parse_html(out.read_text(encoding="utf-8")))
    browsed = [m for m in modes if m != "plain"]
    with ThreadPoolExecutor(max_workers=3) as pool:
        futures = {}
        for mode in browsed:
            page = pages[mode]
            if screenshot_dir:
                page.screenshot = screenshot_dir / f"{Path(source).stem}-{mode}.png"
                page.screenshot.unlink(missing_ok=True)
            futures[mode] = pool.submit(chromium, page.run.output, page.screenshot)
        for mode, future in futures.items():
            loaded = future.result()
            pages[mode].dom = parse_html(loaded.dom)
            pages[mode].dumped = loaded.dom
            pages[mode].uncaught = loaded.uncaught()
    return pages


def visible_text(root):
    """What a reader sees of the page as text: everything outside hidden markup."""
    parts = []

    def walk(element):
        for child in element.children:
            if isinstance(child, str):
                parts.append(child)
            elif not hidden(child):
                walk(child)

    walk(root)
    return "".join(parts)


def tex_words(tex):
    """The TeX's control sequences (`\\frac`, `\\,`): none of them belongs in a reader's text."""
    return set(re.findall(r"\\(?:[A-Za-z]+|.)", tex))


URL_ATTRIBUTES = {"href", "xlink:href", "src", "srcset", "action", "formaction", "data", "poster"}


def references(root):
    """Every address the page may load or lead to: URL attributes and CSS url()/@import."""
    found = []
    for element in root.iter():
        found += [v for k, v in element.attrs.items() if k in URL_ATTRIBUTES and v]
        css = element.attrs.get("style") or ""
        if element.tag == "style":
            css += element.text()
        found += re.findall(r"""url\(\s*['"]?([^'")\s]+)|@import\s+['"]([^'"]+)""", css)
    return [r if isinstance(r, str) else "".join(r) for r in found]


def network_references(root):
    return sorted(r for r in references(root) if re.match(r"\s*(https?:)?//", r, re.I))


def scripts(root):
    return root.find_all(lambda e: e.tag == "script")


def outermost(root, predicate):
    """The elements matching `predicate` that are not inside another one."""
    return [e for e in root.find_all(predicate) if not any(predicate(a) for a in e.ancestors())]


def annotation_tex(element):
    notes = element.find_all(lambda e: e.tag == "annotation"
                             and e.attrs.get("encoding") == "application/x-tex")
    return [n.text() for n in notes]


# --- The showcase ---------------------------------------------------------------------------------

SHOWCASE = EXAMPLES / "showcase.json"


@pytest.fixture(scope="module")
def showcase_equations():
    found = list(equations_of(json.loads(SHOWCASE.read_text(encoding="utf-8"))))
    assert found, "the showcase has no equation to look at"
    return found


@pytest.fixture(scope="module")
def showcase(tool, chromium, tmp_path_factory, out_dir):
    return make_pages(tool, chromium, SHOWCASE, tmp_path_factory.mktemp("showcase"),
                      ("plain", *MODES), screenshot_dir=out_dir)


def test_mathml_page_has_a_math_element_per_equation_and_shows_no_tex(showcase, showcase_equations):
    page = showcase["mathml"]
    maths = page.dom.find_all(lambda e: e.tag == "math")
    assert len(maths) == len(showcase_equations), [m.attrs for m in maths]
    for math, equation in zip(maths, showcase_equations):
        assert math.has_class("equation"), math
        assert math.attrs.get("display") == ("block" if equation.display else "inline"), math
        if equation.alt:
            assert math.attrs.get("alttext") == equation.alt, math
        assert math.attrs.get("data-encoding") == equation.encoding, math
        assert annotation_tex(math) == [equation.tex], math
        # The presentation is there beside the source: something to show.
        assert math.find_all(lambda e: e.tag in {"mi", "mn", "mo"}), math

    seen = visible_text(page.dom)
    for equation in showcase_equations:
        assert equation.tex not in seen
        leaked = [w for w in tex_words(equation.tex) if w in seen]
        assert not leaked, f"TeX of {equation.pointer} shown as text: {leaked}"

    # MathML needs no script, and nothing from the network beyond what the document links itself.
    assert not scripts(page.written) and not scripts(page.dom)
    assert network_references(page.dom) == network_references(showcase["plain"].written)


def png_size_and_colours(path):
    """Width, height and whether the picture has more than one colour in it."""
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is no PNG"
    width, height = struct.unpack(">II", data[16:24])
    chunks, offset = [], 8
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        if kind == b"IDAT":
            chunks.append(data[offset + 8:offset + 8 + length])
        offset += 12 + length
    pixels = zlib.decompress(b"".join(chunks))
    return width, height, len(set(pixels)) > 8


@pytest.mark.parametrize("mode", MODES)
def test_screenshot_of_each_page_is_left_for_people(showcase, mode, capsys):
    shot = showcase[mode].screenshot
    assert shot.is_file(), f"Chromium wrote no screenshot {shot}"
    assert shot.stat().st_size > 5000, f"{shot} is only {shot.stat().st_size} bytes"
    width, height, varied = png_size_and_colours(shot)
    assert (width, height) == (1000, 1600) and varied, (shot, width, height)
    with capsys.disabled():
        print(f"\nscreenshot: {shot}")


def test_katex_page_renders_each_equation_once(showcase, showcase_equations):
    page = showcase["katex"]
    hrefs = [e.attrs.get("href") for e in page.written.find_all(lambda e: e.tag == "link")]
    sources = [e.attrs.get("src") for e in scripts(page.written)]
    assert LIBRARY_BASE["katex"] + "katex.min.css" in hrefs, hrefs
    assert LIBRARY_BASE["katex"] + "katex.min.js" in sources, sources

    roots = outermost(page.dom, lambda e: e.has_class("katex"))
    assert len(roots) == len(showcase_equations), roots
    for root, equation in zip(roots, showcase_equations):
        in_display = any(a.has_class("katex-display") for a in root.ancestors())
        assert in_display == equation.display, (equation.pointer, root)
        assert any(a.has_class("math") and a.has_class("equation") for a in root.ancestors()), root
        assert [t.strip() for t in annotation_tex(root)] == [equation.tex.strip()], equation.pointer
    assert not page.dom.find_all(lambda e: e.has_class("katex-error"))
    assert_shows_no_tex(page, showcase_equations)


def test_mathjax_page_typesets_each_equation_once(showcase, showcase_equations):
    page = showcase["mathjax"]
    roots = outermost(page.dom, lambda e: e.has_class("mjx-chtml") or e.has_class("MathJax_CHTML"))
    assert len(roots) == len(showcase_equations), roots
    for root, equation in zip(roots, showcase_equations):
        assert root.has_class("MJXc-display") == equation.display, (equation.pointer, root)
    # MathJax keeps each source in a script of its own type, in order.
    kept = [s.text().strip() for s in scripts(page.dom) if s.attrs.get("type", "").startswith("math/tex")]
    assert kept == [e.tex.strip() for e in showcase_equations]
    assert not page.dom.find_all(lambda e: e.has_class("mjx-merror") or e.tag == "merror")
    assert_shows_no_tex(page, showcase_equations)


def assert_shows_no_tex(page, equations):
    seen = visible_text(page.dom)
    assert "\\(" not in seen and "\\[" not in seen, f"{page.mode}: math delimiters left as text"
    for equation in equations:
        leaked = [w for w in tex_words(equation.tex) if w in seen]
        assert not leaked, f"{page.mode}: TeX of {equation.pointer} shown as text: {leaked}"


@pytest.mark.parametrize("mode", ("katex", "mathjax"))
def test_scripted_pages_load_only_local_libraries(showcase, mode):
    page = showcase[mode]
    assert network_references(page.dom) == network_references(showcase["plain"].written)
    for script in scripts(page.written) + scripts(page.dom):
        src = script.attrs.get("src")
        assert src is None or src.startswith(LIBRARY_BASE[mode]), src


# --- Hostile TeX ----------------------------------------------------------------------------------

# Each would run script, or lead to it, if the page took the TeX or alt text for markup; the
# plain text beside them is no equation and must stay text whatever the math library looks for.
PWN = "document.documentElement.setAttribute('data-pwned','{}')"
HOSTILE_ALT = f'"><script>{PWN.format("alt")}</script>'
HOSTILE = [
    (f"</math><script>{PWN.format('script')}</script>", False, None),
    ("\\href{javascript:alert(1)}{click}", False, None),
    ("\\unknowncommand{x}", False, None),
    ("\\frac{", False, HOSTILE_ALT),
    ("\\frac{", True, HOSTILE_ALT),
    (f"</span><img src=x onerror=\"{PWN.format('img')}\">", True, None),
    ("x \\) + \\( y", False, None),
]
# A TeX that holds the inline closing delimiter: still one equation.
DELIMITED = len(HOSTILE) - 1
PLAIN_TEXT = "Not math: \\(1+1\\) nor \\[2\\] nor $3$."


def hostile_document():
    inline = [{"className": "RichTextNode", "text": PLAIN_TEXT}]
    blocks = [{"className": "RichTextParagraphNode", "children": inline}]
    for tex, display, alt in HOSTILE:
        node = {"className": "EquationNode", "texString": tex, "displayStyle": display, "encoding": "latex"}
        if alt:
            node["altTextString"] = alt
        blocks.append({"className": "RichTextParagraphNode",
                       "children": [{"className": "RichTextNode", "text": "Before "}, node,
                                    {"className": "RichTextNode", "text": " after."}]})
    return blocks


@pytest.fixture(scope="module")
def hostile(tool, chromium, tmp_path_factory):
    folder = tmp_path_factory.mktemp("hostile")
    source = folder / "hostile.json"
    source.write_text(json.dumps(hostile_document(), indent=1), encoding="utf-8")
    equations = list(equations_of(hostile_document()))
    assert len(equations) == len(HOSTILE)
    return make_pages(tool, chromium, source, folder, MODES), equations


def javascript_url(value):
    # Browsers drop whitespace and control characters inside a scheme.
    return re.sub(r"[\x00-\x20]", "", value).lower().startswith("javascript:")


def in_mathjax_holder(page, tex):
    # MathJax keeps a source as the text of a script of its own type; a serialised script's text is
    # written raw, so a `</script>` in the TeX cuts it short when read back: look in the dump.
    holder = r'<script type="math/tex[^"]*"[^>]*>' + re.escape(tex) + "</script>"
    return page.mode == "mathjax" and re.search(holder, page.dumped) is not None


@pytest.mark.parametrize("mode", MODES)
def test_hostile_tex_runs_nothing_and_is_kept(hostile, showcase, mode):
    pages, equations = hostile
    page = pages[mode]
    elements = list(page.dom.iter())

    ran = [e for e in elements if "data-pwned" in e.attrs]
    assert not ran, f"{mode}: injected script ran: {ran}"
    handlers = [(e, k) for e in elements for k in e.attrs if k.startswith("on")]
    assert not handlers, f"{mode}: event handler attributes: {handlers}"
    links = [(e, k) for e in elements for k, v in e.attrs.items()
             if k in URL_ATTRIBUTES and v and javascript_url(v)]
    assert not links, f"{mode}: javascript: addresses: {links}"

    if mode == "mathml":
        assert not scripts(page.written) and not scripts(page.dom)
        assert not references(page.written), "a MathML page of equations alone refers to nothing"
    else:
        # The TeX adds no script to the page as written: the same as the showcase's page has.
        written = scripts(page.written)
        assert len(written) == len(scripts(showcase[mode].written)), written
        own_inline = [s.text() for s in written if "src" not in s.attrs]
        inline_after = []
        for script in scripts(page.dom):
            src = script.attrs.get("src")
            kind = script.attrs.get("type", "")
            if src is not None:
                assert src.startswith(LIBRARY_BASE[mode]), f"{mode}: script from {src}"
            elif mode == "mathjax" and kind.startswith("math/tex"):
                continue  # MathJax's own holder of a source; never run
            else:
                assert script.text() in own_inline, f"{mode}: script not the page's own: {script.text()!r}"
                inline_after.append(script)
        assert len(inline_after) <= len(own_inline)

    # Nothing is lost: every source still stands whole in the page, and the alt text too.
    text = page.dom.text()
    values = {v for e in elements for v in e.attrs.values() if v}
    for equation in equations[:DELIMITED]:
        kept = equation.tex in text or equation.tex in values or in_mathjax_holder(page, equation.tex)
        assert kept, f"{mode}: TeX of {equation.pointer} lost"
        if equation.alt:
            assert equation.alt in values, f"{mode}: alt text of {equation.pointer} lost"
    assert PLAIN_TEXT in visible_text(page.dom), f"{mode}: plain text taken for math"


def test_mathml_keeps_rejected_tex_as_code_and_warns(hostile):
    pages, equations = hostile
    page = pages["mathml"]
    marks = outermost(page.dom, lambda e: e.has_class("equation"))
    assert len(marks) == len(equations), marks
    warnings = page.run.warnings()
    for mark, equation in zip(marks, equations):
        # Loosely: the warning names the equation's place, or its TeX as it stands or JSON-escaped.
        names = (f"{equation.pointer}:", equation.tex, json.dumps(equation.tex)[1:-1])
        warned = [w for w in warnings if any(n in w for n in names)]
        if mark.tag == "math":
            assert mark.attrs.get("display") == ("block" if equation.display else "inline"), mark
            assert annotation_tex(mark) == [equation.tex], equation.pointer
            if equation.alt:
                assert mark.attrs.get("alttext") == equation.alt, mark
            # An unbalanced group is no equation; shown as an error it must still be said.
            assert equation.tex != "\\frac{" or warned, f"{equation.pointer}: \\frac{{ taken silently"
            if mark.find_all(lambda e: e.tag == "merror"):
                assert warned, f"{equation.pointer}: shown as an error without a warning"
        else:
            assert mark.tag == "span" and mark.has_class("display") == equation.display, mark
            codes = mark.find_all(lambda e: e.tag == "code" and e.has_class("tex"))
            assert [c.text() for c in codes] == [equation.tex], equation.pointer
            assert warned, f"{equation.pointer} kept as TeX without a warning: {warnings}"


@pytest.mark.parametrize("mode", ("katex", "mathjax"))
def test_tex_holding_a_closing_delimiter_stays_one_equation(hostile, mode):
    pages, equations = hostile
    page, equation = pages[mode], equations[DELIMITED]
    marks = outermost(page.dom, lambda e: e.has_class("equation"))
    assert len(marks) == len(equations), marks
    mark = marks[DELIMITED]
    if mode == "katex":
        roots = outermost(mark, lambda e: e.has_class("katex") or e.has_class("katex-error"))
        assert len(roots) == 1 and equation.tex in mark.text(), mark.text()
    else:
        held = [s.text() for s in scripts(mark) if s.attrs.get("type", "").startswith("math/tex")]
        assert held == [equation.tex], f"MathJax typeset {equation.tex!r} as {held}"


@pytest.mark.parametrize("mode", MODES)
def test_page_scripts_leave_no_error_uncaught(showcase, hostile, mode):
    # A script that stops half-way leaves the equations after it as they were written.
    for page in (showcase[mode], hostile[0][mode]):
        assert not page.uncaught, f"{mode}: {page.uncaught}"
