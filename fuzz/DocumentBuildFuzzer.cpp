// JSON text built through the started bundles into a model, as the host does: whatever the
// document holds, a build either finishes or throws a std::exception; nothing crashes.
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/test/RunningFramework.hpp>

#include <foundation/json/Parser.hpp>
#include <vx/zero/Model.hpp>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

using richmarkup::build::json::NodeBuilder;

struct Bundles {
    richmarkup::test::RunningFramework framework{{CODE_BUNDLE_FILE, RICHTEXT_BUNDLE_FILE}};
    std::vector<std::shared_ptr<NodeBuilder>> builders = framework.services<NodeBuilder>();
};

Bundles& bundles() {
    static Bundles* instance = new Bundles(); // lives until exit: builders stay valid for every input
    return *instance;
}

void buildElement(vx::zero::Model const& model, foundation::json::Value const& element) {
    for (auto const& builder : bundles().builders) {
        if (builder->canBuild(element)) {
            (void)builder->build(model, element);
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    foundation::json::Value document;
    try {
        document = foundation::json::parse(text);
    } catch (foundation::json::ParseError const&) {
        return 0;
    }
    vx::zero::Model model;
    auto const each = [&](foundation::json::Value const& element) {
        try {
            buildElement(model, element);
        } catch (std::exception const&) {
            // a conversion or model error ends this element's build, as it would the host's
        }
    };
    if (document.isArray()) {
        for (auto const& element : document.asArray()) {
            each(element);
        }
    } else {
        each(document);
    }
    return 0;
}
