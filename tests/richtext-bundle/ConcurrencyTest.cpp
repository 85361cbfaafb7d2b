// Many threads building documents through the same builders at once, while others look
// services up and the code-element bundle stops and starts under them. Run under
// ThreadSanitizer by scripts/tsan; here it checks that every build still completes.
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/host/DeclarativeServices.hpp>
#include <richmarkup/test/RecordCapture.hpp>
#include <richmarkup/test/RunningFramework.hpp>

#include <foundation/json/Parser.hpp>
#include <vx/zero/Model.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#ifdef CODE_BUNDLE_FILE
namespace {

using richmarkup::build::json::NodeBuilder;

std::string document(int variant) {
    std::string const run = R"({"className":"RichTextNode","text":"t)" + std::to_string(variant) + R"(","bold":true})";
    std::string const paragraph = R"({"className":"RichTextParagraphNode","children":[)" + run +
                                  R"(,{"className":"HyperlinkNode","hyperlink":{"target":"x"},"children":[)" + run +
                                  "]}]}";
    return R"([{"className":"HeadingNode","level":2,"children":[)" + run + "]}," + paragraph +
           R"(,{"className":"ListParagraph","type":"ordered","children":[{"className":"ListItem","children":[)" + run +
           R"(]}]},{"className":"TableNode","children":[{"className":"TableRowNode","children":[)" +
           R"({"className":"TableCellNode","children":[)" + paragraph + "]}]}]}]";
}

TEST(Concurrency, BuildsLookupsAndABundleRestartingAtOnce) {
    richmarkup::test::RunningFramework fw({CODE_BUNDLE_FILE, RICHTEXT_BUNDLE_FILE});
    if (fw.context().GetProperty(richmarkup::host::DeclarativeServices::builtInProperty).Empty()) {
        // CppMicroServices throws for a service that goes away between its listing and its
        // use, and that error reaches the builds, as any framework error does.
        GTEST_SKIP() << "a bundle restarting under builds is a case of the bundled runtime";
    }
    richmarkup::test::RecordCapture capture; // records on: the logger's lock is on every path
    std::atomic<bool> stop{false};
    std::atomic<int> built{0};
    std::atomic<int> failed{0};

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            auto const elements = foundation::json::parse(document(t));
            for (int round = 0; round < 25; ++round) {
                vx::zero::Model model;
                auto const builders = fw.services<NodeBuilder>();
                for (auto const& element : elements.asArray()) {
                    bool done = false;
                    for (auto const& builder : builders) {
                        if (builder->canBuild(element)) {
                            done = static_cast<bool>(builder->build(model, element));
                            break;
                        }
                    }
                    (done ? built : failed).fetch_add(1);
                }
            }
        });
    }
    threads.emplace_back([&] {
        while (!stop.load()) {
            (void)fw.context().GetServiceReferences<NodeBuilder>("(test_id=Table*)");
        }
    });
    threads.emplace_back([&] {
        cppmicroservices::Bundle code = fw.bundles().front();
        for (int i = 0; i < 10 && !stop.load(); ++i) {
            code.Stop();
            code.Start();
        }
    });
    for (std::size_t i = 0; i < 4; ++i) {
        threads[i].join();
    }
    stop.store(true);
    for (std::size_t i = 4; i < threads.size(); ++i) {
        threads[i].join();
    }
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(built.load(), 4 * 25 * 4);
    EXPECT_EQ(fw.services<NodeBuilder>("(test_id=CodeExampleBlockBuilderImpl)").size(), 1u);
}

} // namespace
#endif
