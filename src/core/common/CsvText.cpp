#include "common/CsvText.h"

#include "common/Errors.h"
#include "common/SafeFile.h"

namespace orvane {

namespace {

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

}  // namespace

void AppendCsvLine(std::string& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        AppendCsvField(out, fields[i]);
    }
    out += "\r\n";
}

void WriteCsvFile(const std::string& path, std::string_view text) {
    AtomicFileWriter writer(path);
    writer.Write(text);
    if (!writer.ok() || !writer.Commit()) {
        throw CannotCreateFileError(path);
    }
}

}  // namespace orvane
