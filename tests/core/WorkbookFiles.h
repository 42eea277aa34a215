#pragma once

// Small .xlsx archives built part by part, for the cases no spreadsheet program writes:
// damaged, hostile or unusual files.

#include <zip.h>

#include <map>
#include <stdexcept>
#include <string>

namespace orvane::test {

using Parts = std::map<std::string, std::string>;

// Writes the parts into a zip archive at `path` (deflated).
inline void WriteZip(const std::string& path, const Parts& parts) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (source == nullptr || zip_file_add(archive, name.c_str(), source, 0) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path);
    }
}

inline const char* kMainNamespace =
    R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";

// The parts of a workbook with one sheet named "S" whose sheetData is `sheetData`; shared
// strings and styles are added when given.
inline Parts MinimalWorkbook(const std::string& sheetData, const std::string& sharedStrings = "",
                             const std::string& styles = "", const std::string& workbookPr = "") {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    Parts parts;
    parts["_rels/.rels"] =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type=")" +
        rel + R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)";
    parts["xl/workbook.xml"] =
        std::string("<?xml version=\"1.0\"?><workbook ") + kMainNamespace + ">" + workbookPr +
        R"(<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    std::string rels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type=")" +
        rel + R"(worksheet" Target="worksheets/sheet1.xml"/>)";
    if (!sharedStrings.empty()) {
        rels += R"(<Relationship Id="rId2" Type=")" + rel +
                R"(sharedStrings" Target="/xl/sharedStrings.xml"/>)";
        parts["xl/sharedStrings.xml"] = std::string("<?xml version=\"1.0\"?><sst ") +
                                        kMainNamespace + ">" + sharedStrings + "</sst>";
    }
    if (!styles.empty()) {
        rels += R"(<Relationship Id="rId3" Type=")" + rel + R"(styles" Target="styles.xml"/>)";
        parts["xl/styles.xml"] = std::string("<?xml version=\"1.0\"?><styleSheet ") +
                                 kMainNamespace + ">" + styles + "</styleSheet>";
    }
    parts["xl/_rels/workbook.xml.rels"] = rels + "</Relationships>";
    parts["xl/worksheets/sheet1.xml"] = std::string("<?xml version=\"1.0\"?><worksheet ") +
                                        kMainNamespace + "><sheetData>" + sheetData +
                                        "</sheetData></worksheet>";
    return parts;
}

}  // namespace orvane::test
