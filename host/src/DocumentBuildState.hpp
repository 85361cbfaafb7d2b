#pragma once

#include <richmarkup/host/DocumentBuild.hpp>

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <memory>
#include <string>
#include <vector>

namespace richmarkup::host {

struct DocumentBuild::State {
    vx::zero::Model const* model = nullptr;
    std::vector<std::shared_ptr<richmarkup::build::json::NodeBuilder>> builders;
    WarningHandler onWarning;
    BuildResult result;
    std::size_t added = 0;

    void warn(std::string message);
};

} // namespace richmarkup::host
