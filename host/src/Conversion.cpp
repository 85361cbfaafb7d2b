#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/DocumentHost.hpp>

namespace richmarkup::host {

Conversion DocumentHost::convert(std::string_view json, std::string name, std::size_t firstLine) const {
    return convert(json, std::move(name), firstLine, ConversionOptions());
}

Conversion DocumentHost::convert(std::string_view json, std::string name, std::size_t firstLine,
                                 ConversionOptions const& options) const {
    ConversionPipeline pipeline(options);
    if (auto error = pipeline.add(json, std::move(name), firstLine)) {
        Conversion out;
        out.model = std::make_unique<vx::zero::Model>();
        out.diagnostics.push_back(std::move(*error));
        return out;
    }
    return pipeline.run(*this);
}

} // namespace richmarkup::host
