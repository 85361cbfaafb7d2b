"""Errors and warnings: located as the tool locates them, said in its words, raised as the right
exception, never lost."""
import warnings

import pytest
import richmarkup

from conftest import example_files

MALFORMED = b'[{"className": "HeadingNode", "level": 1,\n  "children": [}]'
TEXT_NOT_A_STRING = b'[{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":3}]}]'
# Two warnings: a value ignored for its kind, and an inline element at the top of the document.
WARNED = (b'[{"className":"RichTextParagraphNode","alignment":3,\n'
          b' "children":[{"className":"RichTextNode","text":"a","bold":true}]},\n'
          b' {"className":"RichTextNode","text":"x"}]')

# What the tool refuses, with its exit status telling the exception: 2 an input error, 1 a build
# that failed.
FAILING = {
    "malformed": MALFORMED,
    "empty": b"",
    "blank": b" \n\t\n",
    "not-a-document": b"42",
    "utf-16": b"\xff\xfe[\x00]\x00",
    "invalid-utf-8": b'[{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"\xff"}]}]',
    "too-deep": b"[" * 600,
    "number-out-of-range": b"[1e999]",
    "trailing-text": b"[] []",
    "text-not-a-string": TEXT_NOT_A_STRING,
    "missing-level": b'[{"className": "HeadingNode", "children": []}]',
    "indent-too-wide": (b'{"className":"CodeExampleBlockNode","type":"c","children":[{"className":'
                        b'"CodeExampleLineNode","children":[{"className":"CodeIndentNode","width":300}]}]}'),
    "class-name-not-a-string": b'[{"className": 7, "children": []}]',
}


def write(folder, name, content):
    path = folder / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(content)
    return path


@pytest.mark.parametrize("case", sorted(FAILING))
def test_a_failing_text_raises_the_tools_error(tool, tmp_path, case):
    content = FAILING[case]
    write(tmp_path, case + ".json", content)
    expected = tool(case + ".json", cwd=tmp_path)
    assert expected.status in (1, 2), expected.stderr
    error_class = richmarkup.InputError if expected.status == 2 else richmarkup.BuildError

    for call in (lambda: richmarkup.convert(content, to="tree", name=case + ".json"),
                 lambda: richmarkup.parse(content, name=case + ".json")):
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            with pytest.raises(error_class) as raised:
                call()
        error = raised.value
        assert str(error) == expected.first_error()
        assert str(error) == str(error.diagnostic)
        assert error.diagnostic.severity == "error"
        assert error.diagnostic.file == case + ".json"


def test_malformed_json_is_an_input_error_at_its_place():
    with pytest.raises(richmarkup.InputError) as raised:
        richmarkup.parse(MALFORMED.decode(), name="doc.json")
    diagnostic = raised.value.diagnostic
    assert (diagnostic.file, diagnostic.line, diagnostic.column) == ("doc.json", 2, 16)
    assert diagnostic.pointer == ""
    assert diagnostic.message == "unexpected character '}'"
    assert str(diagnostic) == "error: doc.json:2:16: unexpected character '}'"


def test_an_unnamed_text_is_named_string():
    with pytest.raises(richmarkup.InputError) as raised:
        richmarkup.convert(MALFORMED)
    assert str(raised.value) == "error: <string>:2:16: unexpected character '}'"


def test_a_builders_failure_is_a_build_error_at_the_value(tool):
    with pytest.raises(richmarkup.BuildError) as raised:
        richmarkup.convert(TEXT_NOT_A_STRING, name="doc.json")
    diagnostic = raised.value.diagnostic
    assert diagnostic.pointer == "/0/children/0/text"
    assert (diagnostic.line, diagnostic.column) == (1, 86)
    assert "invalid conversion: double to string" in diagnostic.message


def test_the_exceptions_are_one_family_of_value_errors():
    assert issubclass(richmarkup.Error, ValueError)
    assert issubclass(richmarkup.InputError, richmarkup.Error)
    assert issubclass(richmarkup.BuildError, richmarkup.Error)
    assert not issubclass(richmarkup.InputError, richmarkup.BuildError)
    assert not issubclass(richmarkup.BuildError, richmarkup.InputError)
    assert issubclass(richmarkup.ConversionWarning, UserWarning)
    for content in (MALFORMED, TEXT_NOT_A_STRING):
        with pytest.raises(ValueError):
            richmarkup.convert(content)


def test_a_file_name_is_shown_escaped_as_the_tool_shows_it(tool, tmp_path):
    name = "od d/n\\a\x01me\n.json"
    write(tmp_path, name, b'{"a":1,}')
    expected = tool(name, cwd=tmp_path)
    with pytest.raises(richmarkup.InputError) as raised:
        richmarkup.convert(b'{"a":1,}', name=name)
    assert str(raised.value) == expected.first_error()
    assert raised.value.diagnostic.file == name
    assert "\n" not in str(raised.value)


def test_text_that_cannot_be_utf_8_is_refused_not_mangled():
    with pytest.raises((UnicodeError, ValueError)):
        richmarkup.convert('[{"className":"RichTextParagraphNode","children":'
                           '[{"className":"RichTextNode","text":"\ud800"}]}]')


def test_warnings_are_issued_as_conversion_warnings_in_the_tools_words(tool, tmp_path):
    write(tmp_path, "warned.json", WARNED)
    expected = tool("warned.json", cwd=tmp_path)
    assert expected.status == 0 and len(expected.warnings()) == 2

    with pytest.warns(richmarkup.ConversionWarning) as caught:
        output = richmarkup.convert(WARNED, to="tree", name="warned.json")
    assert [str(w.message) for w in caught] == expected.warnings()
    assert output.encode() == expected.stdout


def test_a_documents_diagnostics_are_its_warnings_located(tool, tmp_path):
    write(tmp_path, "warned.json", WARNED)
    expected = tool("warned.json", cwd=tmp_path)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        document = richmarkup.parse(WARNED, name="warned.json")
    assert [str(d) for d in document.diagnostics] == expected.warnings()
    first = document.diagnostics[0]
    assert first.severity == "warning"
    assert (first.file, first.line, first.column, first.pointer) == ("warned.json", 1, 51, "/0/alignment")
    assert first.message == '"alignment" is ignored: it must be a string, not a double'
    assert "warned.json" in repr(first)
    # The element left out is gone from the model; the paragraph stays.
    assert [node.kind for node in document] == ["RichTextParagraphNode"]


def test_a_clean_document_has_no_diagnostics(showcase):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        document = richmarkup.parse(showcase, strict=True)
    assert document.diagnostics == []


@pytest.mark.parametrize("to", ["tree", "json", "markdown", "html"])
def test_strict_raises_the_first_warning_as_the_tool_does(tool, tmp_path, to):
    write(tmp_path, "warned.json", WARNED)
    expected = tool("--strict", "-t", to, "warned.json", cwd=tmp_path)
    assert expected.status == 1
    with warnings.catch_warnings():
        warnings.simplefilter("error")  # strict raises; it warns of nothing
        with pytest.raises(richmarkup.BuildError) as raised:
            richmarkup.convert(WARNED, to=to, name="warned.json", strict=True)
    assert str(raised.value) == expected.first_error()
    assert raised.value.diagnostic.severity == "error"

    with pytest.raises(richmarkup.BuildError):
        richmarkup.parse(WARNED, name="warned.json", strict=True)


def test_strict_raises_on_a_writers_warning(tool):
    # The showcase builds cleanly; its Markdown has an underline and a table it writes otherwise.
    path = next(p for p in example_files() if p.name == "showcase.json")
    expected = tool("--strict", "-t", "markdown", path)
    assert expected.status == 1
    with pytest.raises(richmarkup.BuildError) as raised:
        richmarkup.convert(path.read_text(encoding="utf-8"), to="markdown", name=str(path), strict=True)
    assert str(raised.value) == expected.first_error()


def test_markdown_warnings_are_located_in_its_lines(tool, tmp_path):
    markdown = b"# Title\n\n> quoted\n\n---\n"
    write(tmp_path, "notes.md", markdown)
    expected = tool("-f", "markdown", "-t", "tree", "notes.md", cwd=tmp_path)
    with pytest.warns(richmarkup.ConversionWarning) as caught:
        output = richmarkup.convert(markdown, from_="markdown", to="tree", name="notes.md")
    assert [str(w.message) for w in caught] == expected.warnings()
    assert output.encode() == expected.stdout
    with pytest.raises(richmarkup.BuildError):
        richmarkup.convert(markdown, from_="markdown", to="tree", strict=True)


def test_pandoc_input_that_is_no_ast_is_an_input_error(tool, tmp_path):
    write(tmp_path, "ast.json", b'{"x": 1}')
    expected = tool("-f", "pandoc", "ast.json", cwd=tmp_path)
    with pytest.raises(richmarkup.InputError) as raised:
        richmarkup.parse(b'{"x": 1}', from_="pandoc", name="ast.json")
    assert str(raised.value) == expected.first_error()


def test_warnings_can_be_turned_into_exceptions_by_the_caller():
    # The warnings machinery is Python's own: a filter that raises stops the conversion cleanly.
    with warnings.catch_warnings():
        warnings.simplefilter("error", richmarkup.ConversionWarning)
        with pytest.raises(richmarkup.ConversionWarning):
            richmarkup.convert(WARNED, to="tree")
    # ... and the module still works afterwards.
    assert richmarkup.convert(b"[]", to="tree") == ""
