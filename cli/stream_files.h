// The file named "-": read from standard input, its output written to standard output, as a
// filter does. Every other file goes to the layer below.
#pragma once

#include "engine/file_layer.h"

namespace cli {

inline constexpr const char* kStandardStreams = "-";

class StreamFiles final : public engine::FileLayer {
public:
    explicit StreamFiles(engine::FileLayer& files) : files_(files) {}
    std::unique_ptr<engine::InputFile> openInput(const std::filesystem::path& path) override;
    std::unique_ptr<engine::OutputFile> createOutput(const std::filesystem::path& path,
                                                     const engine::InputFile& source) override;
    void backUp(const std::filesystem::path& source, const std::filesystem::path& backup) override {
        files_.backUp(source, backup);
    }

private:
    engine::FileLayer& files_;
};

}  // namespace cli
