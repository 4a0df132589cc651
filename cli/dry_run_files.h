// The file layer of a dry run: sources are read from disk, outputs are counted and dropped.
#pragma once

#include "engine/file_layer.h"

namespace cli {

class DryRunFiles final : public engine::FileLayer {
public:
    explicit DryRunFiles(engine::FileLayer& sources) : sources_(sources) {}
    std::unique_ptr<engine::InputFile> openInput(const std::filesystem::path& path) override {
        return sources_.openInput(path);
    }
    // Fails as a run would: when the output's folder is missing or (on POSIX systems) cannot
    // be written, or the output is a folder; creates nothing.
    std::unique_ptr<engine::OutputFile> createOutput(const std::filesystem::path& path,
                                                     const engine::InputFile& source) override;

private:
    engine::FileLayer& sources_;
};

}  // namespace cli
