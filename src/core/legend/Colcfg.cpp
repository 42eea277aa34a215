#include "legend/Colcfg.h"

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <pugixml.hpp>
#include <sstream>

#include "common/Encoding.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/SafeFile.h"
#include "common/TextFile.h"

namespace orvane {

namespace {

constexpr char kRoot[] = "ORVANE_Config_File";
constexpr char kScheme[] = "ColorConfig";
constexpr char kGrade[] = "STYLE";

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return upper;
}

// The encoding named by the XML declaration, upper case; empty when none is declared.
std::string DeclaredEncoding(std::string_view bytes) {
    if (!bytes.starts_with("<?xml")) {
        return {};
    }
    const std::string_view prolog = bytes.substr(0, bytes.find("?>"));
    const size_t key = prolog.find("encoding");
    if (key == std::string_view::npos) {
        return {};
    }
    const size_t open = prolog.find_first_of("\"'", key);
    if (open == std::string_view::npos) {
        return {};
    }
    const size_t close = prolog.find(prolog[open], open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return AsciiUpper(prolog.substr(open + 1, close - open - 1));
}

std::string DecodeXmlBytes(std::string bytes) {
    const std::string encoding = DeclaredEncoding(bytes);
    if (encoding.starts_with("GB")) {
        return DecodeGb18030(bytes);
    }
    return DecodeText(std::move(bytes));
}

pugi::xml_document ParseDocument(const std::string& bytes, const std::string& path) {
    const std::string text = DecodeXmlBytes(bytes);
    pugi::xml_document document;
    // Whitespace between elements carries nothing; a cell text of blanks alone is kept.
    const pugi::xml_parse_result result = document.load_buffer(
        text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
        pugi::encoding_utf8);
    if (!result) {
        throw Error("The XML file " + path + " is not well-formed: " + result.description() +
                    " (at character " + std::to_string(result.offset) + ")");
    }
    return document;
}

pugi::xml_document ReadDocument(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    return ParseDocument(bytes, path);
}

pugi::xml_node FindScheme(const pugi::xml_document& document, std::string_view name) {
    for (const pugi::xml_node scheme : document.document_element().children()) {
        if (scheme.type() == pugi::node_element && scheme.attribute("Name").value() == name) {
            return scheme;
        }
    }
    return {};
}

void ReadGrade(const pugi::xml_node grade, LegendEntry& row) {
    for (const pugi::xml_node cell : grade.children()) {
        const std::string_view cellName = cell.name();
        if (cellName == "Color") {
            row.color = cell.child_value();
        } else if (cellName == "LeftValue") {
            row.left = cell.child_value();
        } else if (cellName == "RightValue") {
            row.right = cell.child_value();
        }
    }
}

// The rows of a scheme whose "ItemCount" is `count` (held within 2 to 100; new rows blank);
// every cell the scheme holds is overwritten, others keep their text.
void FillRows(const pugi::xml_node scheme, std::int32_t count, std::vector<LegendEntry>& rows) {
    rows.resize(static_cast<size_t>(std::clamp<std::int32_t>(count, MinGradeCount, MaxGradeCount)));
    size_t row = 0;
    for (const pugi::xml_node grade : scheme.children()) {
        if (grade.type() != pugi::node_element) {
            continue;
        }
        if (row == rows.size()) {
            break;
        }
        ReadGrade(grade, rows[row]);
        ++row;
    }
}

void AppendTextElement(pugi::xml_node parent, const char* name, const std::string& text) {
    pugi::xml_node element = parent.append_child(name);
    if (!text.empty()) {
        element.append_child(pugi::node_pcdata).set_value(text.c_str());
    }
}

void AppendScheme(pugi::xml_node root, const ColourScheme& scheme) {
    pugi::xml_node element = root.append_child(kScheme);
    element.append_attribute("Name").set_value(scheme.name.c_str());
    element.append_attribute("ItemCount").set_value(std::to_string(scheme.entries.size()).c_str());
    for (size_t i = 0; i < scheme.entries.size(); ++i) {
        const LegendEntry& entry = scheme.entries[i];
        pugi::xml_node grade = element.append_child(kGrade);
        grade.append_attribute("Name").set_value(std::to_string(i + 1).c_str());
        AppendTextElement(grade, "Color", entry.color);
        AppendTextElement(grade, "LeftValue", entry.left);
        AppendTextElement(grade, "RightValue", entry.right);
    }
}

void SetGb2312Declaration(pugi::xml_document& document) {
    for (pugi::xml_node node = document.first_child(); node;) {
        const pugi::xml_node next = node.next_sibling();
        if (node.type() == pugi::node_declaration) {
            document.remove_child(node);
        }
        node = next;
    }
    pugi::xml_node declaration = document.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("GB2312");
}

std::string Serialize(const pugi::xml_document& document, SchemeLayout layout) {
    std::ostringstream out;
    const unsigned flags =
        layout == SchemeLayout::Indented ? pugi::format_indent : pugi::format_raw;
    document.save(out, "  ", flags, pugi::encoding_utf8);
    return out.str();
}

}  // namespace

std::vector<std::string> ListSchemeNames(const std::string& path) {
    const pugi::xml_document document = ReadDocument(path);
    std::vector<std::string> names;
    for (const pugi::xml_node scheme : document.document_element().children()) {
        if (scheme.type() == pugi::node_element) {
            names.emplace_back(scheme.attribute("Name").value());
        }
    }
    return names;
}

bool LoadScheme(const std::string& path, std::string_view name, std::vector<LegendEntry>& rows) {
    const pugi::xml_document document = ReadDocument(path);
    const pugi::xml_node scheme = FindScheme(document, name);
    if (!scheme) {
        return false;
    }
    FillRows(scheme, ParseInteger(scheme.attribute("ItemCount").value()), rows);
    return true;
}

std::optional<std::vector<LegendEntry>> ReadSchemeRows(const std::string& path,
                                                       std::string_view name) {
    const pugi::xml_document document = ReadDocument(path);
    const pugi::xml_node scheme = FindScheme(document, name);
    if (!scheme) {
        return std::nullopt;
    }
    const std::string context = "Colour scheme '" + std::string(name) + "'";
    const char* const itemCount = scheme.attribute("ItemCount").value();
    const auto count = TryParseInteger(itemCount);
    if (!count) {
        throw Error(context + ": " + InvalidIntegerError(itemCount).what());
    }
    std::vector<LegendEntry> rows;
    FillRows(scheme, *count, rows);
    const auto where = [&](size_t i) { return context + ", row " + std::to_string(i + 1) + ": "; };
    // In the order a conversion reads them: every bound, then every colour.
    for (size_t i = 0; i < rows.size(); ++i) {
        for (const std::string* bound : {&rows[i].left, &rows[i].right}) {
            if (!TryParseNumber(*bound)) {
                throw Error(where(i) + InvalidFloatError(*bound).what());
            }
        }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!TryParseInteger(rows[i].color)) {
            throw Error(where(i) + InvalidIntegerError(rows[i].color).what());
        }
    }
    return rows;
}

void SaveScheme(const std::string& path, const ColourScheme& scheme, SchemeLayout layout) {
    pugi::xml_document document;
    if (std::filesystem::exists(path)) {
        document = ReadDocument(path);
        if (const pugi::xml_node old = FindScheme(document, scheme.name)) {
            document.document_element().remove_child(old);
        }
    } else {
        document.append_child(kRoot);
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    }
    SetGb2312Declaration(document);
    AppendScheme(document.document_element(), scheme);

    const std::string bytes = EncodeGbkWithCharacterReferences(Serialize(document, layout));
    // A character GBK lacks becomes a character reference, which XML allows in texts and
    // attribute values but not in names: a file whose element or attribute names hold one
    // (bytes of no character, read as U+FFFD) would not read back, and every scheme in it
    // would be lost.
    try {
        ParseDocument(bytes, path);
    } catch (const Error&) {
        throw Error(std::string(CannotCreateFileError(path).what()) +
                    ": its element or attribute names hold characters that GB2312 cannot "
                    "store");
    }
    AtomicFileWriter writer(path);
    writer.Write(bytes);
    if (!writer.Commit()) {
        throw CannotCreateFileError(path);
    }
}

std::string ColourConfigPath(const std::string& executableFolder,
                             const std::string& applicationDataFolder) {
    const std::filesystem::path executable(executableFolder);
    std::error_code ignored;
    const bool installed =
        executable.filename() == "bin" &&
        std::filesystem::is_directory(executable.parent_path() / "share" / "orvane", ignored);
    const bool portable = !installed && ::access(executableFolder.c_str(), W_OK) == 0;
    const std::filesystem::path folder =
        portable ? executable : std::filesystem::path(applicationDataFolder);
    return (folder / ColourConfigFileName).string();
}

std::string DefaultColourConfigPath() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        data = std::filesystem::path(home) / ".local" / "share";
    } else {
        data = std::filesystem::temp_directory_path();
    }
    return ColourConfigPath(error ? std::string() : executable.parent_path().string(),
                            (data / "orvane").string());
}

}  // namespace orvane
