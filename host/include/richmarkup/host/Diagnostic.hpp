#pragma once

#include <richmarkup/host/Export.hpp>

#include <cstddef>
#include <string>

namespace richmarkup::host {

/// One thing a build says about its input, located: where in which file, and what.
struct RICHMARKUP_HOST_EXPORT Diagnostic {
    enum class Severity { Warning, Error };

    Severity severity = Severity::Warning;
    /// The input as named ("<stdin>" for standard input).
    std::string file;
    /// Where the value concerned starts, counted from 1; the column in bytes. Line 0: the input
    /// has no lines to show (an AST pandoc made of a Word file): the pointer places it.
    std::size_t line = 1;
    std::size_t column = 1;
    /// RFC 6901 pointer into the input: the value concerned, or the object that lacks a key.
    std::string pointer;
    std::string message;
    /// The text is no JSON (or not all of it), or the input is no JSON at all (Markdown): the
    /// place is a line and column only, no pointer.
    bool malformed = false;

    /// "warning: FILE:LINE:COL: POINTER: message" (the whole document's pointer shown as "/";
    /// malformed text: "error: FILE:LINE:COL: message"; line 0: "warning: FILE: POINTER: message"): one line of
    /// printable UTF-8, whatever the input's names, keys and text hold. Control characters are written as C escapes
    /// (`\n`, `\x1b`), bytes that are no UTF-8 as `\xNN`; a backslash in the file name or the
    /// pointer is doubled, and the message's own escapes stand as they are.
    std::string toString() const;
};

} // namespace richmarkup::host
