#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::fuzz {

/// Reads what the HTML writer gave as a browser reads its markup, and finds what the writer
/// cannot have meant: an element it never writes, an event handler attribute, an href or src
/// whose scheme may run script, a '<' that its escaping should have caught.
class HtmlPageCheck {
public:
    /// The first such thing in `html`, described with where it is, or nothing. `mathml`: the page's
    /// equations are MathML, whose presentation elements it may hold too.
    static std::optional<std::string> markupProblem(std::string_view html, bool mathml = false);

    /// `text` as the writer escapes a text or an attribute value: & < > " ' as references,
    /// control characters other than tab, line feed and carriage return as U+FFFD.
    static std::string escaped(std::string_view text);
    /// Whether `text` holds a control character that the escaping replaces.
    static bool hasReplacedControl(std::string_view text);

private:
    static bool writersElement(std::string_view name);
    static bool mathmlElement(std::string_view name);
    /// What is wrong with an href's or a src's value as written in the page, or nothing.
    static std::optional<std::string> addressProblem(std::string_view attribute, std::string_view value);
};

} // namespace richmarkup::fuzz
