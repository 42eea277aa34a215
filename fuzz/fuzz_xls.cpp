// .xls files from any bytes. FreeXL reads from a path, so the input goes through a file.

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ReadAll.h"
#include "workbooks/XlsFormulaResults.h"
#include "workbooks/XlsWorkbook.h"

namespace {

// One scratch file per fuzzing process, removed when it ends.
class ScratchFile {
  public:
    ScratchFile() {
        std::string pattern = "/tmp/orvane-fuzz-xls-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            std::abort();
        }
        ::close(fd);
        path_ = pattern;
    }
    ~ScratchFile() { ::unlink(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Write(const std::uint8_t* data, std::size_t size) const {
        FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr || std::fwrite(data, 1, size, file) != size) {
            std::abort();
        }
        std::fclose(file);
        return path_;
    }

  private:
    std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The record reader runs in this process; FreeXL, in a child process, is slow to fuzz,
    // so only every fourth input goes through the whole reader.
    orvane::ReadXlsFormulaResults(bytes);
    if (size % 4 != 0) {
        return 0;
    }
    static const ScratchFile scratch;
    const std::string& path = scratch.Write(data, size);
    try {
        orvane::XlsWorkbook workbook(path,
                                     std::string_view(reinterpret_cast<const char*>(data), size));
        orvane::fuzz::ReadAll(workbook);
    } catch (const orvane::Error&) {
    }
    return 0;
}
