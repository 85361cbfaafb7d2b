#include "WriterArguments.hpp"

#include "ErrorMapping.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/pandoc/PandocMath.hpp>

#include <stdexcept>

#include <algorithm>

namespace richmarkup::python {

namespace py = pybind11;

namespace {

std::string typeName(py::handle value) { return py::str(py::type::handle_of(value).attr("__name__")); }

std::optional<std::string> optionalText(char const* option, py::handle value) {
    if (value.is_none()) {
        return std::nullopt;
    }
    if (!py::isinstance<py::str>(value)) {
        throw py::type_error(std::string(option) + " must be a str or None, not " + typeName(value));
    }
    return value.cast<std::string>();
}

std::string listed(std::vector<std::string_view> const& options) {
    std::string out;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0) {
            out += i + 1 == options.size() ? " or " : ", ";
        }
        out += options[i];
    }
    return out;
}

// As richmarkup-build's --math: MathML by pandoc where it is, else the TeX, said once.
formats::HtmlMath htmlMath(std::optional<std::string> const& setting) {
    static pandoc::PandocMath const converter{pandoc::Pandoc()};
    static bool warned = false; // under the GIL
    std::string problem;
    auto choice = converter.choose(setting, problem);
    if (!choice) {
        throw py::value_error("math " + py::repr(py::str(*setting)).cast<std::string>() + ": " + problem);
    }
    using Outcome = pandoc::PandocMath::Choice::Outcome;
    if (choice->outcome == Outcome::NoConverter) {
        throw std::runtime_error("math=\"mathml\" needs a TeX-to-MathML converter: apt-get install " +
                                 std::string(pandoc::PandocMath::package) +
                                 " (or choose math=\"katex\", \"mathjax\" or \"plain\")");
    }
    if (choice->outcome == Outcome::FellBack && !warned) {
        warned = true;
        warn("equations are written as TeX: no TeX-to-MathML converter (apt-get install " +
             std::string(pandoc::PandocMath::package) + "; math=\"plain\" chooses TeX without this warning)");
    }
    return std::move(choice->math);
}

} // namespace

OutputFormat outputFormatNamed(std::string const& to) {
    if (auto const format = OutputWriter::named(to)) {
        return *format;
    }
    throw py::value_error("unknown output format " + py::repr(py::str(to)).cast<std::string>() + "; choose " +
                          OutputWriter::names());
}

WriterSettings writerSettings(OutputFormat format, py::kwargs const& options) {
    auto const& taken = OutputWriter::optionsOf(format);
    std::string const formatName(OutputWriter::nameOf(format));
    WriterSettings settings;
    std::optional<std::string> title;
    bool fragment = false;
    std::optional<std::string> css;
    std::optional<std::string> math;
    std::string api = "1.23";
    for (auto const& [key, value] : options) {
        std::string const option = py::str(key);
        if (std::find(taken.begin(), taken.end(), option) == taken.end()) {
            throw py::type_error("convert() got an unexpected keyword argument '" + option + "': to=\"" + formatName +
                                 "\" takes " + (taken.empty() ? std::string("no options") : listed(taken)));
        }
        if (option == "title") {
            title = optionalText("title", value);
        } else if (option == "css") {
            css = optionalText("css", value);
        } else if (option == "math") {
            math = optionalText("math", value);
        } else if (option == "fragment") {
            fragment = py::bool_(py::reinterpret_borrow<py::object>(value));
        } else if (option == "compact") {
            settings.compact = py::bool_(py::reinterpret_borrow<py::object>(value));
        } else if (option == "api") {
            if (!py::isinstance<py::str>(value)) {
                throw py::type_error("api must be a str, \"1.22\" or \"1.23\", not " + typeName(value));
            }
            api = value.cast<std::string>();
        }
    }
    if (format == OutputFormat::Html) {
        return htmlSettings(std::move(title), fragment, std::move(css), math);
    }
    if (format == OutputFormat::Pandoc) {
        return pandocSettings(api);
    }
    return settings;
}

WriterSettings htmlSettings(std::optional<std::string> title, bool fragment, std::optional<std::string> css,
                            std::optional<std::string> const& math) {
    // The page links it as it would a link in the document: the same schemes only.
    if (css && !formats::HtmlWriter::allowedLink(*css)) {
        throw py::value_error("css " + py::repr(py::str(*css)).cast<std::string>() +
                              ": not an address a page may link (http, https or a relative path)");
    }
    WriterSettings settings;
    settings.title = std::move(title);
    settings.fragment = fragment;
    settings.css = std::move(css);
    settings.math = htmlMath(math);
    return settings;
}

WriterSettings pandocSettings(std::string const& api) {
    WriterSettings settings;
    if (auto const version = OutputWriter::pandocApi(api)) {
        settings.api = *version;
        return settings;
    }
    throw py::value_error("api takes \"1.22\" (pandoc 2) or \"1.23\" (pandoc 3), not " +
                          py::repr(py::str(api)).cast<std::string>());
}

} // namespace richmarkup::python
