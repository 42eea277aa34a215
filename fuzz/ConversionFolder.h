#pragma once

// A folder of its own for one fuzzing process, holding the input file a target converts and
// an existing output. After every run it checks what a user relies on: a failed conversion
// leaves the existing output as it was, and no run leaves anything else behind (no
// temporary file of the safe writer), and a KML file it wrote is well-formed XML whatever the
// input held. A broken promise aborts, so that libFuzzer keeps the input.

#include <dirent.h>
#include <expat.h>
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

namespace orvane::fuzz {

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWhole(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::abort();
    }
}

// A number drawn from the input's bytes, for the options of a run: any file is a seed, and
// a mutation of it may run with other options.
inline std::uint32_t OptionsOf(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash;
}

class ConversionFolder {
  public:
    static constexpr std::string_view kExistingOutput = "an existing output\n";

    explicit ConversionFolder(const std::string& inputName = "input.txt",
                              const std::string& outputName = "output.kml") {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder_ = pattern;
        input_ = folder_ + "/" + inputName;
        output_ = folder_ + "/" + outputName;
    }
    ~ConversionFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ConversionFolder(const ConversionFolder&) = delete;
    ConversionFolder& operator=(const ConversionFolder&) = delete;

    const std::string& input() const { return input_; }
    const std::string& output() const { return output_; }

    // The input of this run, and an output that exists before it.
    void Prepare(const std::uint8_t* data, std::size_t size) {
        WriteWhole(input_, std::string_view(reinterpret_cast<const char*>(data), size));
        if (input_ != output_) {
            WriteWhole(output_, kExistingOutput);
        }
    }

    // After a run: a failed one left the output holding `before` (the existing output, or
    // for a file that is input and output at once, the input); a KML output is well-formed;
    // no run left a stray file.
    void Check(bool failed, std::string_view before = kExistingOutput) const {
        if (failed && ReadWhole(output_) != before) {
            std::fputs("a failed run changed the existing output\n", stderr);
            std::abort();
        }
        if (!failed && output_.ends_with(".kml") && !IsWellFormed(ReadWhole(output_))) {
            std::fputs("a run wrote KML that is not well-formed XML\n", stderr);
            std::abort();
        }
        const std::set<std::string> expected = {input_, output_};
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            if (!expected.contains(entry.path().string())) {
                std::fprintf(stderr, "a run left %s behind\n", entry.path().c_str());
                std::abort();
            }
        }
    }

  private:
    static bool IsWellFormed(const std::string& xml) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        const bool wellFormed =
            XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
        XML_ParserFree(parser);
        return wellFormed;
    }

    std::string folder_;
    std::string input_;
    std::string output_;
};

}  // namespace orvane::fuzz
