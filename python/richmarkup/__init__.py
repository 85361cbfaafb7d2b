"""Rich-text JSON documents built into a typed document model, and written as HTML, Markdown,
model JSON, an outline, rich text again or pandoc's AST.

    >>> import richmarkup
    >>> doc = '{"className": "HeadingNode", "level": 1, "children": [{"className": "RichTextNode", "text": "Hi"}]}'
    >>> print(richmarkup.convert(doc, to="markdown"), end="")
    # Hi

convert() writes a document in another format, exactly as richmarkup-build does; parse() gives
a Document to walk and write; convert_lines() converts JSON Lines, one document a line. Threads
may convert at once: the work is done without the GIL. Warnings are issued as ConversionWarning;
input that cannot be converted raises InputError or BuildError, both ValueErrors carrying the
located Diagnostic.
"""

from ._richmarkup import Diagnostic, Document, Node, convert, convert_lines, parse

__all__ = [
    "BuildError",
    "ConversionWarning",
    "Diagnostic",
    "Document",
    "Error",
    "InputError",
    "Node",
    "convert",
    "convert_lines",
    "parse",
]


class Error(ValueError):
    """A document that could not be converted; ``diagnostic`` says where and why, and str() of
    the error is str() of the diagnostic: the line richmarkup-build prints."""

    def __init__(self, diagnostic: Diagnostic) -> None:
        # The diagnostic is the only argument, so that the error pickles and unpickles whole.
        super().__init__(diagnostic)
        self.diagnostic = diagnostic

    def __str__(self) -> str:
        return str(self.diagnostic)


class InputError(Error):
    """The input cannot be read: malformed JSON, Markdown or pandoc AST, or a text that is no
    document (neither an element nor an array of them)."""


class BuildError(Error):
    """A builder failed on an element, or a warning came under strict=True."""


class ConversionWarning(UserWarning):
    """Something of the input was left out, or stored or written otherwise than it was written.
    The message is str() of the Diagnostic."""
