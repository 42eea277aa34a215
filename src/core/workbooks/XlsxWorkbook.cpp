#include "workbooks/XlsxWorkbook.h"

#include <expat.h>
#include <zip.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <map>
#include <optional>
#include <thread>

#include "common/Kml_baseclass.h"
#include "workbooks/NumberFormats.h"

namespace orvane {

namespace {

// ---- Archive -----------------------------------------------------------------------------

class Archive {
  public:
    Archive(zip* archive, const std::string& path, std::uint64_t archiveSize)
        : archive_(archive), path_(path), archiveSize_(archiveSize) {}

    bool Has(const std::string& name) const { return Locate(name) >= 0; }

    // The most one entry may unpack to.
    std::uint64_t Allowance() const {
        return std::min(
            std::max(archiveSize_ * XlsxWorkbook::kMaxRatio, XlsxWorkbook::kMinEntryAllowance),
            XlsxWorkbook::kMaxUnpacked);
    }

    // The entry's declared unpacked size; 0 when unknown.
    std::uint64_t SizeOf(const std::string& name) const {
        zip_stat_t stat;
        zip_stat_init(&stat);
        const zip_int64_t index = Locate(name);
        return index >= 0 &&
                       zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
                       (stat.valid & ZIP_STAT_SIZE)
                   ? stat.size
                   : 0;
    }

    // Streams the entry's bytes to `sink` in pieces; refuses entries out of proportion.
    void Read(const std::string& name, const std::function<void(std::string_view)>& sink) const;

    std::string ReadWhole(const std::string& name) const {
        std::string bytes;
        // Only as much as Read lets through: a declared size may be hostile.
        bytes.reserve(std::min(SizeOf(name), Allowance()));
        Read(name, [&](std::string_view piece) { bytes.append(piece); });
        return bytes;
    }

  private:
    zip_int64_t Locate(const std::string& name) const {
        return zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
    }
    [[noreturn]] void Fail(std::string_view reason) const { throw WorkbookError(path_, reason); }

    zip* archive_;
    const std::string& path_;
    std::uint64_t archiveSize_;
};

void Archive::Read(const std::string& name,
                   const std::function<void(std::string_view)>& sink) const {
    const zip_int64_t index = Locate(name);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        Fail(std::string(kDamaged) + " (" + name + " is missing)");
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        Fail(kEncrypted);
    }
    const std::uint64_t allowance =
        std::max(archiveSize_ * XlsxWorkbook::kMaxRatio, XlsxWorkbook::kMinEntryAllowance);
    if (stat.size > allowance || stat.size > XlsxWorkbook::kMaxUnpacked) {
        Fail("its part " + name + " would unpack to " + std::to_string(stat.size) +
             " bytes, out of proportion to the file's size");
    }
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        const int code = zip_error_code_zip(zip_get_error(archive_));
        Fail(code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD ? kEncrypted : kDamaged);
    }
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, zip_fclose);
    std::string buffer(1 << 18, '\0');
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer.data(), buffer.size());
        if (got < 0) {
            Fail(std::string(kDamaged) + " (" + name + " cannot be unpacked)");
        }
        if (got == 0) {
            break;
        }
        total += static_cast<std::uint64_t>(got);
        // The declared size bounds what is unpacked, whatever the compressed data says.
        if (total > stat.size) {
            Fail(std::string(kDamaged) + " (" + name + " is longer than declared)");
        }
        sink(std::string_view(buffer.data(), static_cast<size_t>(got)));
    }
}

// ---- XML ---------------------------------------------------------------------------------

// Receives the elements of a part. Names come without their namespace prefix.
class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    virtual void Start(std::string_view name, const char** attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
};

std::string_view LocalName(const char* name) {
    const char* local = name;
    const char* end = name;
    for (; *end != '\0'; ++end) {
        if (*end == ':') {
            local = end + 1;
        }
    }
    return std::string_view(local, static_cast<size_t>(end - local));
}

const char* Attribute(const char** attributes, std::string_view name) {
    for (const char** a = attributes; *a != nullptr; a += 2) {
        if (LocalName(a[0]) == name) {
            return a[1];
        }
    }
    return nullptr;
}

class XmlParser {
  public:
    explicit XmlParser(XmlHandler& handler)
        : handler_(handler), parser_(XML_ParserCreate("UTF-8")) {
        if (parser_ == nullptr) {
            throw std::bad_alloc();
        }
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, OnStart, OnEnd);
        XML_SetCharacterDataHandler(parser_, OnText);
        // The parts of a workbook never declare a document type; refusing one keeps entity
        // expansion out altogether.
        XML_SetStartDoctypeDeclHandler(parser_, OnDoctype);
    }
    ~XmlParser() { XML_ParserFree(parser_); }
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Empty on success, else why the XML is malformed. What a handler throws is thrown on.
    std::string Feed(std::string_view piece, bool last) {
        if (XML_Parse(parser_, piece.data(), static_cast<int>(piece.size()), last ? 1 : 0) ==
            XML_STATUS_OK) {
            return {};
        }
        if (exception_) {
            std::rethrow_exception(exception_);
        }
        const std::string what = doctype_ ? "document type declarations are not allowed"
                                          : XML_ErrorString(XML_GetErrorCode(parser_));
        return what + ", line " + std::to_string(XML_GetCurrentLineNumber(parser_));
    }

  private:
    // Exceptions must not pass through expat's C frames: they are kept and thrown on after
    // the parser has stopped.
    template <typename Call>
    static void Guarded(void* data, Call call) {
        auto* self = static_cast<XmlParser*>(data);
        try {
            call(self->handler_);
        } catch (...) {
            self->exception_ = std::current_exception();
            XML_StopParser(self->parser_, XML_FALSE);
        }
    }
    static void XMLCALL OnStart(void* data, const char* name, const char** attributes) {
        Guarded(data, [&](XmlHandler& h) { h.Start(LocalName(name), attributes); });
    }
    static void XMLCALL OnEnd(void* data, const char* name) {
        Guarded(data, [&](XmlHandler& h) { h.End(LocalName(name)); });
    }
    static void XMLCALL OnText(void* data, const char* text, int length) {
        Guarded(data, [&](XmlHandler& h) {
            h.Text(std::string_view(text, static_cast<size_t>(length)));
        });
    }
    static void XMLCALL OnDoctype(void* data, const char*, const char*, const char*, int) {
        auto* self = static_cast<XmlParser*>(data);
        self->doctype_ = true;
        XML_StopParser(self->parser_, XML_FALSE);
    }

    XmlHandler& handler_;
    XML_Parser parser_;
    std::exception_ptr exception_;
    bool doctype_ = false;
};

// Parses one part of the archive with `handler`; malformed XML is a damaged workbook.
void ParsePart(const Archive& archive, const std::string& name, XmlHandler& handler,
               const std::string& path) {
    XmlParser parser(handler);
    std::string error;
    archive.Read(name, [&](std::string_view piece) {
        if (error.empty()) {
            error = parser.Feed(piece, false);
        }
    });
    if (error.empty()) {
        error = parser.Feed({}, true);
    }
    if (!error.empty()) {
        throw WorkbookError(
            path, std::string(kDamaged) + " (malformed XML in " + name + ": " + error + ")");
    }
}

// Parses a part already unpacked into memory.
void ParseBytes(std::string_view xml, const std::string& name, XmlHandler& handler,
                const std::string& path) {
    XmlParser parser(handler);
    std::string error;
    constexpr size_t kPiece = 1 << 20;
    for (size_t at = 0; error.empty() && at < xml.size(); at += kPiece) {
        error = parser.Feed(xml.substr(at, kPiece), false);
    }
    if (error.empty()) {
        error = parser.Feed({}, true);
    }
    if (!error.empty()) {
        throw WorkbookError(
            path, std::string(kDamaged) + " (malformed XML in " + name + ": " + error + ")");
    }
}

// ---- Package relationships ---------------------------------------------------------------

// The folder of a part name, with its final "/": "xl/workbook.xml" gives "xl/".
std::string FolderOf(std::string_view part) {
    const size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// Resolves a relationship target against the folder of its source part: "/xl/a.xml" is
// absolute, "worksheets/sheet1.xml" and "../b.xml" are relative.
std::string ResolveTarget(const std::string& folder, std::string_view target) {
    const std::string joined =
        target.starts_with('/') ? std::string(target) : folder + std::string(target);
    std::vector<std::string> segments;
    std::string_view remaining = joined;
    while (!remaining.empty()) {
        const std::string_view segment = CutToken(remaining, '/');
        if (segment.empty() || segment == ".") {
            continue;
        }
        if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
            continue;
        }
        segments.emplace_back(segment);
    }
    std::string resolved;
    for (const std::string& segment : segments) {
        if (!resolved.empty()) {
            resolved += '/';
        }
        resolved += segment;
    }
    return resolved;
}

struct Relationship {
    std::string type;    // the last segment of the type URI, such as "worksheet"
    std::string target;  // a part name
};

class RelationshipsHandler : public XmlHandler {
  public:
    explicit RelationshipsHandler(std::string folder) : folder_(std::move(folder)) {}
    std::map<std::string, Relationship> byId;

    void Start(std::string_view name, const char** attributes) override {
        if (name != "Relationship") {
            return;
        }
        const char* id = Attribute(attributes, "Id");
        const char* type = Attribute(attributes, "Type");
        const char* target = Attribute(attributes, "Target");
        const char* mode = Attribute(attributes, "TargetMode");
        if (id == nullptr || type == nullptr || target == nullptr ||
            (mode != nullptr && std::string_view(mode) == "External")) {
            return;
        }
        std::string_view t(type);
        t = t.substr(t.rfind('/') + 1);
        byId[id] = {std::string(t), ResolveTarget(folder_, target)};
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}

  private:
    std::string folder_;
};

// The relationships of a part ("xl/workbook.xml" has "xl/_rels/workbook.xml.rels").
std::map<std::string, Relationship> RelationshipsOf(const Archive& archive, const std::string& part,
                                                    const std::string& path) {
    const std::string folder = FolderOf(part);
    const std::string rels = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    RelationshipsHandler handler(folder);
    if (archive.Has(rels)) {
        ParsePart(archive, rels, handler, path);
    }
    return std::move(handler.byId);
}

std::string TargetOfType(const std::map<std::string, Relationship>& relationships,
                         std::string_view type) {
    for (const auto& [id, relationship] : relationships) {
        if (relationship.type == type) {
            return relationship.target;
        }
    }
    return {};
}

// ---- Workbook part -----------------------------------------------------------------------

bool IsTrue(const char* value) {
    return value != nullptr &&
           (std::string_view(value) == "1" || std::string_view(value) == "true");
}

class WorkbookPartHandler : public XmlHandler {
  public:
    std::vector<std::pair<std::string, std::string>> sheets;  // name, relationship id
    bool date1904 = false;

    void Start(std::string_view name, const char** attributes) override {
        if (name == "sheet") {
            const char* sheetName = Attribute(attributes, "name");
            const char* id = Attribute(attributes, "id");
            sheets.emplace_back(sheetName != nullptr ? sheetName : "", id != nullptr ? id : "");
        } else if (name == "workbookPr") {
            date1904 = IsTrue(Attribute(attributes, "date1904"));
        }
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}
};

// ---- Shared strings ----------------------------------------------------------------------

// Collects the text of <t> elements, leaving out phonetic runs (<rPh>), whose text is no
// part of the cell's value. Used for shared strings and inline strings alike.
class RichTextCollector {
  public:
    void Start(std::string_view name) {
        if (name == "rPh") {
            ++phonetic_;
        } else if (name == "t" && phonetic_ == 0) {
            inText_ = true;
        }
    }
    void End(std::string_view name) {
        if (name == "rPh" && phonetic_ > 0) {
            --phonetic_;
        } else if (name == "t") {
            inText_ = false;
        }
    }
    bool collecting() const { return inText_; }
    void Reset() {
        phonetic_ = 0;
        inText_ = false;
    }

  private:
    int phonetic_ = 0;
    bool inText_ = false;
};

class SharedStringsHandler : public XmlHandler {
  public:
    SharedStringsHandler(std::string& texts,
                         std::vector<std::pair<std::uint32_t, std::uint32_t>>& strings)
        : texts_(texts), strings_(strings) {}

    void Start(std::string_view name, const char**) override {
        if (name == "si") {
            inItem_ = true;
            begin_ = texts_.size();
            rich_.Reset();
        } else if (inItem_) {
            rich_.Start(name);
        }
    }
    void End(std::string_view name) override {
        if (name == "si" && inItem_) {
            inItem_ = false;
            if (texts_.size() > std::numeric_limits<std::uint32_t>::max()) {
                throw std::length_error("shared strings too large");
            }
            strings_.emplace_back(static_cast<std::uint32_t>(begin_),
                                  static_cast<std::uint32_t>(texts_.size() - begin_));
        } else if (inItem_) {
            rich_.End(name);
        }
    }
    void Text(std::string_view text) override {
        if (inItem_ && rich_.collecting()) {
            texts_.append(text);
        }
    }

  private:
    std::string& texts_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>>& strings_;
    RichTextCollector rich_;
    bool inItem_ = false;
    size_t begin_ = 0;
};

// ---- Styles ------------------------------------------------------------------------------

long ToLong(const char* text, long fallback) {
    if (text == nullptr) {
        return fallback;
    }
    long value = 0;
    const std::string_view t(text);
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    return error == std::errc() && end == t.data() + t.size() ? value : fallback;
}

class StylesHandler : public XmlHandler {
  public:
    std::vector<bool> dateStyles;

    void Start(std::string_view name, const char** attributes) override {
        if (name == "numFmt") {
            const char* code = Attribute(attributes, "formatCode");
            customDate_[ToLong(Attribute(attributes, "numFmtId"), -1)] =
                code != nullptr && IsDateFormatCode(code);
        } else if (name == "cellXfs") {
            inCellFormats_ = true;
        } else if (name == "xf" && inCellFormats_) {
            formatIds_.push_back(ToLong(Attribute(attributes, "numFmtId"), 0));
        }
    }
    void End(std::string_view name) override {
        if (name == "cellXfs") {
            inCellFormats_ = false;
        }
    }
    void Text(std::string_view) override {}

    // Cell formats may come before the custom formats they use; resolve at the end.
    void Resolve() {
        dateStyles.reserve(formatIds_.size());
        for (const long id : formatIds_) {
            const auto custom = customDate_.find(id);
            dateStyles.push_back(custom != customDate_.end() ? custom->second
                                                             : IsBuiltInDateFormat(id));
        }
    }

  private:
    std::map<long, bool> customDate_;
    std::vector<long> formatIds_;
    bool inCellFormats_ = false;
};

// ---- Cell texts --------------------------------------------------------------------------

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An ISO 8601 date ("2024-03-01T12:30:45Z") in the form of the other dates; other text as
// it stands.
void AppendIsoDate(std::string& out, std::string_view iso) {
    const bool hasDate = iso.size() >= 10 && IsDigits(iso.substr(0, 4)) && iso[4] == '-' &&
                         IsDigits(iso.substr(5, 2)) && iso[7] == '-' && IsDigits(iso.substr(8, 2));
    if (!hasDate) {
        out += iso;
        return;
    }
    out += iso.substr(0, 10);
    if (iso.size() >= 19 && iso[10] == 'T' && IsDigits(iso.substr(11, 2)) && iso[13] == ':' &&
        IsDigits(iso.substr(14, 2)) && iso[16] == ':' && IsDigits(iso.substr(17, 2)) &&
        iso.substr(11, 8) != "00:00:00") {
        out += ' ';
        out += iso.substr(11, 8);
    }
}

std::optional<double> ReadDouble(std::string_view text) {
    text = Trim(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// ---- Worksheet part ----------------------------------------------------------------------

struct SheetContext {
    const std::string& path;
    const std::vector<bool>& dateStyles;
    bool date1904;
};

// The attributes of <row> and <c> that matter: "r" (reference), "t" (type), "s" (style),
// found in one pass, as sheets hold millions of these elements.
struct OneLetterAttributes {
    explicit OneLetterAttributes(const char** attributes) {
        for (const char** a = attributes; *a != nullptr; a += 2) {
            const char* name = a[0];
            if (name[0] == '\0' || name[1] != '\0') {
                continue;
            }
            switch (name[0]) {
                case 'r':
                    r = a[1];
                    break;
                case 't':
                    t = a[1];
                    break;
                case 's':
                    s = a[1];
                    break;
                default:
                    break;
            }
        }
    }
    const char* r = nullptr;
    const char* t = nullptr;
    const char* s = nullptr;
};

enum class CellType { kNumber, kShared, kBoolean, kIsoDate, kText };

CellType TypeOf(const char* type) {
    if (type == nullptr) {
        return CellType::kNumber;
    }
    const std::string_view t(type);
    if (t == "n") {
        return CellType::kNumber;
    }
    if (t == "s") {
        return CellType::kShared;
    }
    if (t == "b") {
        return CellType::kBoolean;
    }
    if (t == "d") {
        return CellType::kIsoDate;
    }
    return CellType::kText;
}

class SheetHandler : public XmlHandler {
  public:
    SheetHandler(const SheetContext& context, SheetCells& cells)
        : context_(context), cells_(cells) {}

    // Whether a row took its number from the one before it (it had no "r" attribute).
    bool numberedRowsByCounting() const { return rowWithoutNumber_; }

    void Start(std::string_view name, const char** attributes) override {
        if (inCell_) {
            StartInCell(name);
        } else if (name == "c") {
            StartCell(attributes);
        } else if (name == "row") {
            const char* r = OneLetterAttributes(attributes).r;
            if (r == nullptr) {
                rowWithoutNumber_ = true;
            }
            row_ = r != nullptr ? static_cast<std::uint32_t>(ToLong(r, 0)) : row_ + 1;
            CheckRow(row_);
            column_ = 0;
        }
    }
    void End(std::string_view name) override {
        if (!inCell_) {
            return;
        }
        if (name == "c") {
            inCell_ = false;
            if (hasValue_) {
                Store();
            }
        } else if (name == "v") {
            inValue_ = false;
        } else if (name == "is") {
            inInline_ = false;
        } else if (inInline_) {
            rich_.End(name);
        }
    }
    void Text(std::string_view text) override {
        if (inValue_ || (inInline_ && rich_.collecting())) {
            value_.append(text);
        }
    }

  private:
    [[noreturn]] void Damaged(const std::string& why) const {
        throw WorkbookError(context_.path, std::string(kDamaged) + " (" + why + ")");
    }
    void CheckRow(std::uint32_t row) const {
        if (row < 1 || row > static_cast<std::uint32_t>(Workbook::kMaxRows)) {
            Damaged("row number out of range");
        }
    }

    void StartCell(const char** attributes) {
        inCell_ = true;
        hasValue_ = false;
        inValue_ = false;
        inInline_ = false;
        value_.clear();
        rich_.Reset();
        const OneLetterAttributes found(attributes);
        if (found.r != nullptr) {
            ReadReference(found.r);
        } else {
            ++column_;
            if (row_ == 0) {
                row_ = 1;
                rowWithoutNumber_ = true;
            }
        }
        if (column_ > static_cast<std::uint32_t>(Workbook::kMaxColumns)) {
            Damaged("column out of range");
        }
        type_ = TypeOf(found.t);
        style_ = ToLong(found.s, 0);
    }

    // "B12": column letters, then the row number.
    void ReadReference(std::string_view reference) {
        std::uint32_t column = 0;
        size_t i = 0;
        for (; i < reference.size() && i < 4; ++i) {
            const char c = reference[i];
            if (c >= 'A' && c <= 'Z') {
                column = column * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
            } else if (c >= 'a' && c <= 'z') {
                column = column * 26 + static_cast<std::uint32_t>(c - 'a' + 1);
            } else {
                break;
            }
        }
        long row = -1;
        const std::string_view digits = reference.substr(i);
        if (IsDigits(digits) && digits.size() <= 8) {
            row = ToLong(std::string(digits).c_str(), -1);
        }
        if (column == 0 || row < 1) {
            Damaged("bad cell reference");
        }
        CheckRow(static_cast<std::uint32_t>(row));
        row_ = static_cast<std::uint32_t>(row);
        column_ = column;
    }

    void StartInCell(std::string_view name) {
        if (inInline_) {
            rich_.Start(name);
        } else if (name == "v") {
            inValue_ = true;
            hasValue_ = true;
        } else if (name == "is") {
            inInline_ = true;
            hasValue_ = true;
        }
    }

    void Store() {
        if (type_ == CellType::kShared) {
            const auto index = ReadDouble(value_);
            if (!index || *index < 0 || *index >= 2147483648.0 || *index != std::floor(*index)) {
                Damaged("shared string index out of range");
            }
            cells_.AddShared(row_, column_, static_cast<std::uint32_t>(*index));
            return;
        }
        text_.clear();
        switch (type_) {
            case CellType::kBoolean:
                text_ = value_ == "1" ? "TRUE" : value_ == "0" ? "FALSE" : value_;
                break;
            case CellType::kIsoDate:
                AppendIsoDate(text_, value_);
                break;
            case CellType::kNumber:
                AppendNumberText();
                break;
            default:
                text_ = value_;  // "str", "inlineStr", "e" (error values such as #N/A)
                break;
        }
        cells_.Add(row_, column_, text_);
    }

    void AppendNumberText() {
        const auto number = ReadDouble(value_);
        if (!number) {
            text_ = value_;
            return;
        }
        const bool isDate = style_ >= 0 &&
                            static_cast<size_t>(style_) < context_.dateStyles.size() &&
                            context_.dateStyles[static_cast<size_t>(style_)];
        if (isDate) {
            AppendSerialDate(text_, *number, context_.date1904);
        } else {
            AppendNumber(text_, *number);
        }
    }

    const SheetContext& context_;
    SheetCells& cells_;
    RichTextCollector rich_;
    std::uint32_t row_ = 0;
    std::uint32_t column_ = 0;
    CellType type_ = CellType::kNumber;
    long style_ = 0;
    std::string value_;
    std::string text_;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inInline_ = false;
    bool hasValue_ = false;
    bool rowWithoutNumber_ = false;
};

// ---- Reading a large sheet in two halves -------------------------------------------------

// Sheets from this size on are parsed by two threads, each taking half of the rows.
constexpr std::uint64_t kTwoHalvesFrom = std::uint64_t{4} << 20;

// Where the second half starts ("<row" near the middle) and the opening tags that put it in
// its context ("<worksheet><sheetData>", with the document's own prefix).
struct SheetSplit {
    size_t position;
    std::string opening;
};

std::string Tag(std::string_view start, std::string_view prefix, std::string_view name) {
    std::string tag;
    tag.reserve(start.size() + prefix.size() + name.size());
    tag.append(start).append(prefix).append(name);
    return tag;
}

std::optional<SheetSplit> FindSplit(std::string_view xml) {
    // Comments, CDATA sections and document types may hide a "<row"; processing
    // instructions past the declaration are as unusual. Such sheets are read in one go.
    if (xml.find("<!") != std::string_view::npos ||
        xml.find("<?", xml.starts_with("<?") ? 2 : 0) != std::string_view::npos) {
        return std::nullopt;
    }
    size_t root = 0;
    while ((root = xml.find('<', root)) != std::string_view::npos && root + 1 < xml.size() &&
           xml[root + 1] == '?') {
        ++root;
    }
    if (root == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t rootEnd = xml.find_first_of(" \t\r\n/>", root);
    if (rootEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rootName = xml.substr(root + 1, rootEnd - root - 1);
    const size_t colon = rootName.find(':');
    const std::string prefix(colon == std::string_view::npos ? std::string_view()
                                                             : rootName.substr(0, colon + 1));
    const size_t dataStart = xml.find(Tag("<", prefix, "sheetData"));
    const size_t dataEnd = xml.rfind(Tag("</", prefix, "sheetData"));
    const std::string rowTag = Tag("<", prefix, "row");
    size_t split = xml.find(rowTag, std::max(xml.size() / 2, dataStart));
    while (split != std::string_view::npos && split + rowTag.size() < xml.size() &&
           xml.find_first_of(" \t\r\n/>", split + rowTag.size()) != split + rowTag.size()) {
        split = xml.find(rowTag, split + 1);
    }
    if (dataStart == std::string_view::npos || dataEnd == std::string_view::npos ||
        split == std::string_view::npos || split >= dataEnd) {
        return std::nullopt;
    }
    std::string opening = Tag("<", rootName, ">");
    opening += Tag("<", prefix, "sheetData>");
    return SheetSplit{split, std::move(opening)};
}

// Parses a piece of a sheet; false on any fault, which the caller then finds again by
// reading the sheet in one go.
bool ParsePiece(XmlHandler& handler, std::string_view opening, std::string_view xml,
                bool last) noexcept {
    try {
        XmlParser parser(handler);
        if (!parser.Feed(opening, false).empty()) {
            return false;
        }
        constexpr size_t kPiece = 1 << 20;
        for (size_t at = 0; at < xml.size(); at += kPiece) {
            if (!parser.Feed(xml.substr(at, kPiece), false).empty()) {
                return false;
            }
        }
        return !last || parser.Feed({}, true).empty();
    } catch (...) {
        return false;
    }
}

std::optional<SheetCells> ReadInTwoHalves(const Archive& archive, const std::string& part,
                                          const SheetContext& context) {
    if (archive.SizeOf(part) < kTwoHalvesFrom) {
        return std::nullopt;
    }
    const std::string xml = archive.ReadWhole(part);
    const auto split = FindSplit(xml);
    if (!split) {
        return std::nullopt;
    }
    const std::string_view text(xml);
    SheetCells first;
    SheetCells second;
    SheetHandler firstHandler(context, first);
    SheetHandler secondHandler(context, second);
    bool secondRead = false;
    std::thread worker([&] {
        secondRead = ParsePiece(secondHandler, split->opening, text.substr(split->position), true);
    });
    // The first half ends before a row's start tag: it is parsed as an unfinished document.
    const bool firstRead = ParsePiece(firstHandler, {}, text.substr(0, split->position), false);
    worker.join();
    if (!firstRead || !secondRead || secondHandler.numberedRowsByCounting()) {
        return std::nullopt;
    }
    first.Absorb(std::move(second));
    return first;
}

zip* OpenArchive(const std::string& path, const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        throw std::bad_alloc();
    }
    zip* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr) {
        zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (code == ZIP_ER_MEMORY) {
            throw std::bad_alloc();
        }
        // The file starts like a zip archive, so one that libzip cannot read is damaged.
        throw WorkbookError(path, std::string(kDamaged) + " (malformed zip archive)");
    }
    return archive;
}

void CheckUnpackedTotal(zip* archive, const std::string& path) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) == 0 &&
            (stat.valid & ZIP_STAT_SIZE)) {
            total += std::min<std::uint64_t>(stat.size, XlsxWorkbook::kMaxUnpacked + 1);
        }
        if (total > XlsxWorkbook::kMaxUnpacked) {
            throw WorkbookError(path, "it would unpack to more than 1 GB");
        }
    }
}

}  // namespace

void XlsxWorkbook::Closer::operator()(zip* archive) const {
    zip_discard(archive);
}

XlsxWorkbook::XlsxWorkbook(const std::string& path, std::string bytes)
    : Workbook(path), bytes_(std::move(bytes)), archive_(OpenArchive(path, bytes_)) {
    CheckUnpackedTotal(archive_.get(), path);
    const Archive archive(archive_.get(), this->path(), bytes_.size());

    const std::string workbookPart =
        TargetOfType(RelationshipsOf(archive, "", path), "officeDocument");
    if (workbookPart.empty() || !archive.Has(workbookPart)) {
        throw WorkbookError(path, kNotAWorkbook);
    }
    WorkbookPartHandler workbook;
    ParsePart(archive, workbookPart, workbook, path);
    if (workbook.sheets.empty()) {
        throw WorkbookError(path, std::string(kDamaged) + " (the workbook lists no sheets)");
    }
    date1904_ = workbook.date1904;

    const auto relationships = RelationshipsOf(archive, workbookPart, path);
    std::vector<std::string> names;
    for (auto& [name, id] : workbook.sheets) {
        const auto found = relationships.find(id);
        sheetParts_.push_back(found != relationships.end() ? found->second.target : "");
        names.push_back(std::move(name));
    }
    SetSheetNames(std::move(names));

    if (const std::string part = TargetOfType(relationships, "sharedStrings");
        !part.empty() && archive.Has(part)) {
        // The shared strings are parsed while the first sheet is read.
        sharedStringsRead_ =
            std::async(std::launch::async, [this, part, xml = archive.ReadWhole(part)] {
                SharedStringsHandler handler(sharedTexts_, sharedStrings_);
                ParseBytes(xml, part, handler, this->path());
            });
    }
    if (const std::string part = TargetOfType(relationships, "styles");
        !part.empty() && archive.Has(part)) {
        StylesHandler handler;
        ParsePart(archive, part, handler, path);
        handler.Resolve();
        dateStyles_ = std::move(handler.dateStyles);
    }
}

SheetCells XlsxWorkbook::LoadSheet(std::int32_t index) {
    const std::string& part = sheetParts_[static_cast<size_t>(index)];
    const Archive archive(archive_.get(), path(), bytes_.size());
    if (part.empty() || !archive.Has(part)) {
        throw WorkbookError(path(), std::string(kDamaged) + " (the sheet \"" +
                                        sheetNames()[static_cast<size_t>(index)] +
                                        "\" is missing)");
    }
    const SheetContext context{path(), dateStyles_, date1904_};
    auto cells = ReadInTwoHalves(archive, part, context);
    if (!cells) {
        cells.emplace();
        SheetHandler handler(context, *cells);
        ParsePart(archive, part, handler, path());
    }
    AwaitSharedStrings();
    if (!cells->ResolveShared(sharedStrings_)) {
        throw WorkbookError(path(), std::string(kDamaged) + " (shared string index out of range)");
    }
    cells->Finish(&sharedTexts_);
    return std::move(*cells);
}

void XlsxWorkbook::AwaitSharedStrings() {
    if (sharedStringsRead_.valid()) {
        try {
            sharedStringsRead_.get();
        } catch (...) {
            sharedStringsError_ = std::current_exception();
        }
    }
    if (sharedStringsError_) {
        std::rethrow_exception(sharedStringsError_);
    }
}

}  // namespace orvane
