#include "CodeElementBuilderServicesProviderImpl.hpp"
#include "RecordWriter.hpp"

#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::code::CodeElementBuilder;
using richmarkup::build::json::code::CodeElementBuilderServicesProviderImpl;
using richmarkup::build::json::code::RecordWriter;
using richmarkup::test::RecordCapture;
using Messages = std::vector<std::string>;

namespace {

// Accepts the elements whose "className" is its name (and any element when `all`); a
// "className" of "Throw" makes it throw. Writes one record per question asked.
class FakeBuilder : public CodeElementBuilder {
public:
    explicit FakeBuilder(std::string name, bool all = false) : name_(std::move(name)), all_(all) {}
    bool canBuild(foundation::json::Value const& element) override {
        RecordWriter::write([&](auto& s) { s << "asked " << name_; });
        std::string const& className = element["className"].asString();
        if (className == "Throw") {
            throw std::runtime_error("canBuild failed");
        }
        return all_ || className == name_;
    }
    document::vxzero::Node build(vx::zero::Model const&, foundation::json::Value const&) override { return {}; }

private:
    std::string name_;
    bool all_;
};

class CodeElementBuilderServicesProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        framework_.Init();
        framework_.Start();
        foundation::cppmicroservices::setFramework(std::make_shared<cppmicroservices::Framework>(framework_));
    }
    void TearDown() override {
        foundation::cppmicroservices::setFramework(nullptr);
        framework_.Stop();
        framework_.WaitForStop(std::chrono::milliseconds(0));
    }
    std::shared_ptr<FakeBuilder> add(std::string const& name, bool all = false) {
        auto builder = std::make_shared<FakeBuilder>(name, all);
        registrations_.push_back(framework_.GetBundleContext().RegisterService<CodeElementBuilder>(builder));
        return builder;
    }

    cppmicroservices::Framework framework_ = cppmicroservices::FrameworkFactory().NewFramework();
    std::vector<cppmicroservices::ServiceRegistration<CodeElementBuilder>> registrations_;
    CodeElementBuilderServicesProviderImpl provider_;
};

Messages found(std::vector<std::string> const& asked) {
    Messages m{"Attempting to find an applicable code element builder"};
    for (auto const& a : asked) {
        m.push_back(a);
    }
    m.push_back("An applicable code element builder was found. Returning builder.");
    return m;
}

} // namespace

TEST_F(CodeElementBuilderServicesProviderTest, GathersOnceThenAsksInFrameworkOrderUntilOneAccepts) {
    auto a = add("A");
    auto b = add("B");
    auto c = add("C");
    RecordCapture capture;
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"B"})")), b);
    Messages expected{"Attempting to find an applicable code element builder", "Found 3 code element builders",
                      "asked A", "asked B", "An applicable code element builder was found. Returning builder."};
    EXPECT_EQ(capture.messages(), expected);

    capture.clear();
    add("D"); // too late: the cache is filled
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"C"})")), c);
    EXPECT_EQ(capture.messages(), found({"asked A", "asked B", "asked C"}));

    capture.clear();
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"D"})")), nullptr);
    EXPECT_EQ(capture.messages(),
              (Messages{"Attempting to find an applicable code element builder", "asked A", "asked B", "asked C",
                        "No applicable code element builder was found. Returning null."}));
}

TEST_F(CodeElementBuilderServicesProviderTest, FirstOfTwoAcceptorsWinsAndEndedRegistrationsStayCached) {
    auto first = add("any", true);
    add("X");
    RecordCapture capture;
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"X"})")), first);
    EXPECT_EQ(capture.messages().at(2), "asked any");
    EXPECT_EQ(capture.messages().size(), 4u); // the second acceptor was not asked

    registrations_.front().Unregister();
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"X"})")), first);
}

TEST_F(CodeElementBuilderServicesProviderTest, EmptyGatheringsAreRepeatedUntilABuilderIsFound) {
    RecordCapture capture;
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"A"})")), nullptr);
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"A"})")), nullptr);
    Messages const none{"Attempting to find an applicable code element builder", "Found 0 code element builders",
                        "No applicable code element builder was found. Returning null."};
    Messages twice = none;
    twice.insert(twice.end(), none.begin(), none.end());
    EXPECT_EQ(capture.messages(), twice);

    auto a = add("A");
    capture.clear();
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"A"})")), a);
    EXPECT_EQ(capture.messages().at(1), "Found 1 code element builders");
}

TEST_F(CodeElementBuilderServicesProviderTest, WithoutAFrameworkNothingIsFound) {
    add("A");
    foundation::cppmicroservices::setFramework(nullptr);
    RecordCapture capture;
    EXPECT_EQ(provider_.findApplicableBuilder(parse(R"({"className":"A"})")), nullptr);
    EXPECT_EQ(capture.messages().at(1), "Found 0 code element builders");
}

TEST_F(CodeElementBuilderServicesProviderTest, ABuilderErrorLeavesWithoutAClosingRecord) {
    add("A");
    add("B");
    RecordCapture capture;
    try {
        provider_.findApplicableBuilder(parse(R"({"className":"Throw"})"));
        FAIL() << "no error";
    } catch (std::runtime_error const& e) {
        EXPECT_STREQ(e.what(), "canBuild failed");
    }
    EXPECT_EQ(capture.messages(), (Messages{"Attempting to find an applicable code element builder",
                                            "Found 2 code element builders", "asked A"}));
}

TEST_F(CodeElementBuilderServicesProviderTest, ConcurrentFirstCallsGatherOnce) {
    for (int i = 0; i < 8; ++i) {
        add("B" + std::to_string(i));
    }
    RecordCapture capture;
    std::atomic<int> waiting{4};
    std::atomic<int> hits{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            --waiting;
            while (waiting.load() > 0) {
                std::this_thread::yield(); // start together, to make the race likely
            }
            for (int i = 0; i < 50; ++i) {
                hits += provider_.findApplicableBuilder(parse(R"({"className":"B7"})")) != nullptr;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(hits.load(), 200);
    int gatherings = 0;
    for (auto const& m : capture.messages()) {
        gatherings += m.rfind("Found ", 0) == 0;
    }
    EXPECT_EQ(gatherings, 1);
}
