#pragma once

// The inputs a fuzz target must keep passing: its seed corpus (fuzz/corpus/TARGET) and every
// input that once broke it (fuzz/regressions/TARGET), each named by its file.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace reliability {

struct FuzzInput {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

inline std::vector<FuzzInput> FuzzInputs(const std::string& target) {
    std::vector<FuzzInput> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        const std::filesystem::path dir = std::filesystem::path(VANTOR_FUZZ_DIR) / folder / target;
        if (!std::filesystem::is_directory(dir)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (!entry.is_regular_file()) {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            FuzzInput input;
            input.name =
                std::string(folder) + "/" + target + "/" + entry.path().filename().string();
            input.bytes.assign(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
            inputs.push_back(std::move(input));
        }
    }
    std::sort(inputs.begin(), inputs.end(),
              [](const FuzzInput& a, const FuzzInput& b) { return a.name < b.name; });
    return inputs;
}

}  // namespace reliability
