"""convert() and Document's writers write byte for byte what richmarkup-build writes for the same
text, options and input format, and say the same warnings."""
import os
import subprocess
import warnings

import pytest
import richmarkup

from conftest import FORMATS, PANDOC_SEEDS, example_files, markdown_files


def convert_recording(text, **kwargs):
    """The output and the warnings' messages, in the order they were issued."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        output = richmarkup.convert(text, **kwargs)
    assert all(issubclass(w.category, richmarkup.ConversionWarning) for w in caught)
    return output, [str(w.message) for w in caught]


@pytest.mark.parametrize("to", sorted(FORMATS))
@pytest.mark.parametrize("path", example_files(), ids=lambda p: p.name)
def test_every_example_in_every_format_is_the_tools_output(tool, path, to):
    # The name is the path the tool is given: the HTML title falls back on it, and the warnings
    # name it.
    expected = tool(*FORMATS[to], path)
    assert expected.status == 0, expected.stderr
    text = path.read_text(encoding="utf-8")

    output, said = convert_recording(text, to=to, name=str(path))
    assert output.encode() == expected.stdout
    assert said == expected.warnings()

    # The same text given as bytes, and through a parsed Document's writer.
    assert richmarkup.convert(path.read_bytes(), to=to, name=str(path)) == output
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        document = richmarkup.parse(text, name=str(path))
        assert getattr(document, "to_" + to)() == output


@pytest.mark.parametrize("path", markdown_files(), ids=lambda p: f"{p.parent.name}/{p.name}")
def test_markdown_input_is_read_as_the_tool_reads_it(tool, path):
    text = path.read_text(encoding="utf-8")
    for to in ("tree", "richtext", "html"):
        expected = tool("-f", "markdown", *FORMATS[to], path)
        assert expected.status == 0, expected.stderr
        output, said = convert_recording(text, to=to, from_="markdown", name=str(path))
        assert output.encode() == expected.stdout, to
        assert said == expected.warnings(), to


@pytest.mark.parametrize("path", sorted(PANDOC_SEEDS.glob("*.json")), ids=lambda p: p.name)
def test_pandoc_ast_input_is_read_as_the_tool_reads_it(tool, path):
    expected = tool("-f", "pandoc", "-t", "richtext", path)
    output, said = convert_recording(path.read_bytes(), to="richtext", from_="pandoc", name=str(path))
    assert output.encode() == expected.stdout
    assert said == expected.warnings()


@pytest.mark.parametrize("options, arguments", [
    ({"title": "A <title> & more"}, ["--title", "A <title> & more"]),
    ({"fragment": True}, ["--fragment"]),
    ({"css": "style/site.css"}, ["--css", "style/site.css"]),
    ({"title": "T", "fragment": False, "css": "https://example.org/a.css"},
     ["--title", "T", "--css", "https://example.org/a.css"]),
    ({"math": "mathml"}, ["--math", "mathml"]),
    ({"math": "katex=https://cdn.example/katex/"}, ["--math", "katex=https://cdn.example/katex/"]),
    ({"math": "MathJax"}, ["--math", "MathJax"]),
    ({"math": "plain"}, ["--math", "plain"]),
])
def test_html_options_are_the_tools(tool, options, arguments):
    path = example_files()[0]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        output = richmarkup.convert(path.read_text(encoding="utf-8"), to="html", name=str(path), **options)
    assert output.encode() == tool("-t", "html", *arguments, path).stdout


def test_html_title_falls_back_on_the_file_name_of_name(tool, tmp_path):
    # No heading: the title is the input's file name, without its folders.
    text = '[{"className": "RichTextParagraphNode", "children": [{"className": "RichTextNode", "text": "x"}]}]'
    (tmp_path / "notes").mkdir()
    (tmp_path / "notes" / "page one.json").write_text(text)
    expected = tool("-t", "html", "notes/page one.json", cwd=tmp_path).stdout
    output = richmarkup.convert(text, to="html", name="notes/page one.json")
    assert output.encode() == expected
    assert "<title>page one.json</title>" in output
    assert richmarkup.parse(text, name="notes/page one.json").to_html() == output


@pytest.mark.parametrize("to", ["json", "richtext"])
def test_compact_is_the_tools(tool, to, showcase):
    path = next(p for p in example_files() if p.name == "showcase.json")
    output = richmarkup.convert(showcase, to=to, compact=True)
    assert output.encode() == tool("-t", to, "-c", path).stdout
    assert "\n" not in output.rstrip("\n")
    assert getattr(richmarkup.parse(showcase), "to_" + to)(compact=True) == output


@pytest.mark.parametrize("api", ["1.22", "1.23"])
def test_pandoc_api_versions_are_the_tools(tool, api, showcase):
    path = next(p for p in example_files() if p.name == "showcase.json")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        output = richmarkup.convert(showcase, to="pandoc", api=api)
        assert richmarkup.parse(showcase).to_pandoc(api=api) == output
    assert output.encode() == tool("-t", "pandoc", "--pandoc-api", api, path).stdout


def test_the_defaults_and_the_alias(showcase):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        assert richmarkup.convert(showcase) == richmarkup.convert(showcase, to="html", from_="richtext")
        assert richmarkup.convert(showcase, to="md") == richmarkup.convert(showcase, to="markdown")


@pytest.mark.parametrize("kwargs, error", [
    ({"to": "docx"}, ValueError),
    ({"to": "HTML "}, ValueError),
    ({"from_": "docx"}, ValueError),
    ({"from_": "jsonl"}, ValueError),
    ({"to": "markdown", "title": "x"}, TypeError),
    ({"to": "json", "fragment": True}, TypeError),
    ({"to": "tree", "compact": True}, TypeError),
    ({"to": "html", "api": "1.23"}, TypeError),
    ({"to": "html", "colour": "red"}, TypeError),
    ({"to": "pandoc", "api": "1.21"}, ValueError),
    ({"to": "html", "math": "webtex"}, ValueError),
    ({"to": "html", "math": "katex=javascript:alert(1)"}, ValueError),
    ({"to": "html", "math": 1}, TypeError),
])
def test_a_format_or_option_that_does_not_exist_is_refused(kwargs, error, showcase):
    with pytest.raises(error):
        richmarkup.convert(showcase, **kwargs)


def test_an_input_that_is_neither_text_nor_bytes_is_a_type_error():
    for value in (None, 42, ["[]"], {"className": "HeadingNode"}):
        with pytest.raises(TypeError):
            richmarkup.convert(value)
        with pytest.raises(TypeError):
            richmarkup.parse(value)


def test_without_a_converter_mathml_is_an_error_and_the_default_warns_once(tmp_path):
    # A process of its own: the module looks for pandoc once.
    script = tmp_path / "no_pandoc.py"
    script.write_text("""
import warnings, richmarkup
text = '{"className": "RichTextParagraphNode", "children": [{"className": "EquationNode", "texString": "x"}]}'
with warnings.catch_warnings(record=True) as said:
    warnings.simplefilter("always")
    pages = [richmarkup.convert(text), richmarkup.parse(text).to_html()]
assert all('<code class="tex">x</code>' in page for page in pages), pages
assert [str(w.message) for w in said] == [
    "equations are written as TeX: no TeX-to-MathML converter (apt-get install pandoc; "
    'math="plain" chooses TeX without this warning)'], [str(w.message) for w in said]
try:
    richmarkup.convert(text, math="mathml")
except RuntimeError as e:
    assert "apt-get install pandoc" in str(e), e
else:
    raise AssertionError("math='mathml' without pandoc")
""")
    env = dict(os.environ, PATH="/nonexistent")
    result = subprocess.run(["/usr/bin/python3", str(script)], env=env, capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
