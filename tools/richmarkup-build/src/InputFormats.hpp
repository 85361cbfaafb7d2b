#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::tool {

/// richtext: each input is one document; jsonl: each line of each input is one; markdown and
/// pandoc (its JSON AST) are read by the tool's own readers; any other format pandoc reads
/// (docx, odt, html, latex, ...) goes through pandoc to its AST first.
enum class InputFormat { RichText, JsonLines, Markdown, PandocAst, ThroughPandoc };

/// How one input is read.
struct InputChoice {
    InputFormat format = InputFormat::RichText;
    /// pandoc's name of the format (ThroughPandoc).
    std::string pandocName;
};

/// The names -f takes and the extensions an input is known by.
class InputFormats {
public:
    /// By a name -f takes, in any case; a name the tool does not know is pandoc's, for pandoc
    /// to read (whether it can is asked when it runs).
    static InputChoice named(std::string name);
    /// By the extension of an input's path: Markdown, pandoc's formats (docx, odt, epub, html,
    /// tex, rst, ...); anything else, standard input included, is rich text.
    static InputChoice forPath(std::string const& path);
    /// For --help.
    static std::string_view help();
    /// What messages call the format: "markdown", "docx", ...
    static std::string nameOf(InputChoice const& choice);
};

} // namespace richmarkup::tool
