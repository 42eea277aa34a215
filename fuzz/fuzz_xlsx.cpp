// .xlsx files from any bytes. An input starting with "PK" is taken as the whole file; any
// other input becomes the first sheet's XML inside a small valid package (stored, not
// compressed), so that the fuzzer reaches the XML handling without having to deflate.

#include <zip.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "ReadAll.h"
#include "workbooks/XlsxWorkbook.h"

namespace {

constexpr const char* kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::map<std::string, std::string> PackageAround(std::string sheet) {
    const std::string rels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    std::map<std::string, std::string> parts;
    parts["_rels/.rels"] = rels + R"(<Relationship Id="rId1" Type=")" + kRelationships +
                           R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)";
    parts["xl/workbook.xml"] =
        R"(<workbook xmlns:r="r"><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)";
    parts["xl/_rels/workbook.xml.rels"] =
        rels + R"(<Relationship Id="rId1" Type=")" + kRelationships +
        R"(worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type=")" +
        kRelationships +
        R"(sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type=")" +
        kRelationships + R"(styles" Target="styles.xml"/></Relationships>)";
    parts["xl/sharedStrings.xml"] = "<sst><si><t>a</t></si><si><r><t>b</t></r></si></sst>";
    parts["xl/styles.xml"] =
        R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="yyyy"/></numFmts>)"
        R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/></cellXfs></styleSheet>)";
    parts["xl/worksheets/sheet1.xml"] = std::move(sheet);
    return parts;
}

std::string Zip(const std::map<std::string, std::string>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        std::abort();
    }
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, 0);
        if (index < 0 || zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                                  ZIP_CM_STORE, 0) != 0) {
            std::abort();
        }
    }
    if (zip_close(archive) != 0 || zip_source_open(buffer) != 0) {
        std::abort();
    }
    std::string bytes;
    char piece[4096];
    zip_int64_t got = 0;
    while ((got = zip_source_read(buffer, piece, sizeof piece)) > 0) {
        bytes.append(piece, static_cast<size_t>(got));
    }
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string file = input.starts_with("PK") ? std::move(input) : Zip(PackageAround(input));
    try {
        orvane::XlsxWorkbook workbook("fuzz.xlsx", std::move(file));
        orvane::fuzz::ReadAll(workbook);
    } catch (const orvane::Error&) {
    }
    return 0;
}
