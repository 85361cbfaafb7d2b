// Builds one paragraph with the installed bundles and prints its outline.
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/TreeWriter.hpp>

#include <foundation/json/Parser.hpp>

#include <exception>
#include <iostream>

int main() {
    try {
        richmarkup::host::DocumentHost host;
        vx::zero::Model model;
        auto document = foundation::json::parse(
            R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"installed"}]})");
        auto result = host.build(model, document);
        richmarkup::host::TreeWriter::write(std::cout, result.nodes);
        return result.warnings.empty() ? 0 : 1;
    } catch (std::exception const& e) {
        std::cerr << "consumer: " << e.what() << '\n';
        return 1;
    }
}
