"""convert_lines: the lines `richmarkup-build -f jsonl -t json -j 1` writes, one a document, in
order, failures in their place, warnings told as they come, and no more input read than needed."""
import itertools
import warnings

import pytest
import richmarkup

# Hand-made lines, each a case the generator never writes.
HAND_MADE = [
    b"",                                                              # blank: no output, a line all the same
    b"   \t",                                                         # blank too
    b'{"className": "HeadingNode", "level": 1, "children": [}',       # malformed
    b'[{"className":"RichTextNode","text":"x"}]',                     # a warning; an empty model
    b'[{"className":"HeadingNode","level":"2","children":[]}]\r',     # a build failure; CRLF ending
    b"xyz",                                                           # no JSON at all
    b"42",                                                            # JSON, but no document
    b"[]",
    b'[{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"\xff"}]}]',
    b"[" * 600,                                                       # nested too deep
    b'[{"className":"RichTextNode","text":"x"},{"className":"RichTextParagraphNode","children":'
    b'[{"className":"RichTextNode","text":1}]}]',                     # a warning, then a failure
    b'{"className":"RichTextParagraphNode","alignment":"centre","children":'
    b'[{"className":"RichTextNode","text":"\xc3\xa9t\xc3\xa9 \xf0\x9f\x99\x82"}]}',
]


@pytest.fixture(scope="module")
def corpus(gendoc, tmp_path_factory):
    """A file of JSON Lines: generated documents with the hand-made lines among them."""
    generated = gendoc("--jsonl", 12, "--units", 4, "--seed", 9).splitlines()
    lines = []
    for i, line in enumerate(generated):
        lines.append(line)
        if i < len(HAND_MADE):
            lines.append(HAND_MADE[i])
    lines += HAND_MADE[len(generated):]
    folder = tmp_path_factory.mktemp("lines")
    (folder / "corpus.jsonl").write_bytes(b"\n".join(lines) + b"\n")
    return folder


def tool_lines(tool, corpus, *options, name="corpus.jsonl"):
    run = tool(*options, "-f", "jsonl", "-j", "1", name, cwd=corpus)
    assert run.status in (0, 1), run.stderr
    return run.stdout.decode().splitlines(), run


def read_lines(corpus, name="corpus.jsonl"):
    with open(corpus / name, "rb") as f:
        return list(f)


@pytest.mark.parametrize("to", ["json", "richtext"])
def test_the_lines_are_the_tools(tool, corpus, to):
    expected, run = tool_lines(tool, corpus, "-t", to)
    heard = []
    output = list(richmarkup.convert_lines(read_lines(corpus), to=to, name="corpus.jsonl", on_warning=heard.append))
    assert output == expected
    assert all(isinstance(d, richmarkup.Diagnostic) for d in heard)
    assert [str(d) for d in heard] == run.warnings()
    assert any(line.startswith('{"error": ') for line in output)


def test_json_is_the_default_and_lines_may_be_text(tool, corpus):
    # Text lines, with or without their ends: the same as the bytes. (The corpus without its line
    # that is no UTF-8, which no str can hold.)
    valid = [line for line in read_lines(corpus) if b"\xff" not in line]
    (corpus / "valid.jsonl").write_bytes(b"".join(valid))
    expected, _ = tool_lines(tool, corpus, "-t", "json", name="valid.jsonl")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        as_text = [line.decode() for line in valid]
        assert list(richmarkup.convert_lines(as_text, name="valid.jsonl")) == expected
        bare = [line.rstrip(b"\n") for line in valid]
        assert list(richmarkup.convert_lines(bare, name="valid.jsonl")) == expected
        crlf = [line.rstrip(b"\r\n") + b"\r\n" for line in valid]
        assert list(richmarkup.convert_lines(crlf, name="valid.jsonl")) == expected


def test_strict_makes_every_warning_a_failing_line(tool, corpus):
    expected, _ = tool_lines(tool, corpus, "--strict", "-t", "json")
    heard = []
    output = list(richmarkup.convert_lines(read_lines(corpus), name="corpus.jsonl", strict=True,
                                           on_warning=heard.append))
    assert output == expected
    assert heard == []


def test_without_a_handler_warnings_are_conversion_warnings(tool, corpus):
    _, run = tool_lines(tool, corpus, "-t", "json")
    with pytest.warns(richmarkup.ConversionWarning) as caught:
        list(richmarkup.convert_lines(read_lines(corpus), name="corpus.jsonl"))
    assert [str(w.message) for w in caught] == run.warnings()


def test_first_line_numbers_a_stream_taken_from_the_middle(tool, corpus):
    lines = read_lines(corpus)
    expected, _ = tool_lines(tool, corpus, "-t", "json")
    skip = 7
    # The outputs of the first lines: one for each line that is not blank.
    skipped = sum(1 for line in lines[:skip] if line.strip())
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        output = list(richmarkup.convert_lines(lines[skip:], name="corpus.jsonl", first_line=skip + 1))
    assert output == expected[skipped:]


def test_the_output_comes_as_the_lines_come():
    consumed = []

    def source():
        for i in itertools.count(1):
            consumed.append(i)
            if i > 3:
                raise RuntimeError("the source broke")
            yield '[{"className":"HeadingNode","level":%d,"children":[]}]\n' % i

    output = richmarkup.convert_lines(source(), to="richtext")
    assert consumed == []  # nothing read before the first line is asked for
    first_three = list(itertools.islice(output, 3))
    assert ['"level":%d' % i in line for i, line in enumerate(first_three, 1)] == [True] * 3
    assert len(consumed) <= 4
    # The source's own error reaches the caller, where the next line is asked for.
    with pytest.raises(RuntimeError, match="the source broke"):
        next(output)


def test_an_endless_source_gives_its_first_lines():
    endless = itertools.cycle(['[]\n', '\n', '[{"className":"RichTextParagraphNode","children":[]}]\n'])
    output = list(itertools.islice(richmarkup.convert_lines(endless), 4))
    assert output[0] == "[]" and output[2] == "[]" and len(output) == 4


def test_unnamed_lines_are_named_lines_and_counted_from_one():
    output = list(richmarkup.convert_lines(["", "[]", "[}"]))
    assert output == ["[]", '{"error": "<lines>:3:2: unexpected character \'}\'"}']


def test_what_the_lines_cannot_be_is_refused():
    with pytest.raises(ValueError):
        list(richmarkup.convert_lines(["[]"], to="html"))
    with pytest.raises(TypeError):
        list(richmarkup.convert_lines(["[]", 42]))
    with pytest.raises(TypeError):
        list(richmarkup.convert_lines(None))


def test_a_handler_that_raises_stops_the_stream():
    def refuse(diagnostic):
        raise LookupError(diagnostic.message)

    lines = ['[]', '[{"className":"RichTextNode","text":"x"}]', '[]']
    output = richmarkup.convert_lines(lines, on_warning=refuse)
    assert next(output) == "[]"
    with pytest.raises(LookupError, match="no builder"):
        next(output)
