#pragma once

#include <richmarkup/formats/PandocWriter.hpp>
#include <richmarkup/pandoc/Export.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::pandoc {

/// pandoc, run as a child process: the formats read and written through it (Word, ODT, EPUB,
/// LaTeX, PDF, ...) pass as pandoc's JSON AST on its standard input or output. Safe to use from
/// several threads at once.
class RICHMARKUP_PANDOC_EXPORT Pandoc {
public:
    /// What a run gave: its exit status (-1: killed by a signal), standard output and error.
    struct Run {
        int status = 0;
        std::string output;
        std::string errors;
    };

    /// `program`: --pandoc's path, or empty for "pandoc" on PATH. Nothing is run yet.
    explicit Pandoc(std::string program = {});

    /// The program's path, or nothing when there is no pandoc to run.
    std::optional<std::string> const& program() const noexcept { return path_; }
    /// The AST version it reads and writes, from what `pandoc --version` says of pandoc-types;
    /// 1.23 when that says nothing known.
    formats::PandocWriter::Api api() const;
    /// Whether `pandoc --list-output-formats` (or input formats) names `format`.
    bool writes(std::string_view format) const;
    bool reads(std::string_view format) const;

    /// Runs pandoc with `arguments`, `input` on its standard input. Throws std::runtime_error
    /// when it cannot be started.
    Run run(std::vector<std::string> const& arguments, std::string_view input = {}) const;

    /// pandoc's own warnings in what it wrote on standard error ("[WARNING] ..." with the lines
    /// that continue them), one a string; what a PDF engine says of pandoc's stylesheet is not
    /// among them.
    static std::vector<std::string> warningsIn(std::string_view errors);
    /// The message of a failed run: its standard error, on one line.
    static std::string failureOf(Run const& run);

private:
    std::vector<std::string> listed(char const* option) const;

    std::optional<std::string> path_;
};

/// A program's path as the shell would find it on PATH, or nothing.
RICHMARKUP_PANDOC_EXPORT std::optional<std::string> findOnPath(std::string const& name);

} // namespace richmarkup::pandoc
