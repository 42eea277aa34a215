#include "workbooks/XlsFormulaResults.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

#include "common/Kml_baseclass.h"
#include "workbooks/NumberFormats.h"

namespace orvane {

namespace {

// ---- Little-endian fields, every read bounds-checked -------------------------------------

bool Holds(std::string_view bytes, size_t at, size_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}

std::uint16_t U16(std::string_view bytes, size_t at) {
    if (!Holds(bytes, at, 2)) {
        return 0;
    }
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t U32(std::string_view bytes, size_t at) {
    return static_cast<std::uint32_t>(U16(bytes, at)) |
           static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

// ---- Compound file -----------------------------------------------------------------------

constexpr std::uint32_t kLastRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

class CompoundFile {
  public:
    explicit CompoundFile(std::string_view file) : file_(file) {}

    // The bytes of the stream named `name` (ASCII, compared without letter case).
    std::optional<std::string> Stream(std::string_view name) {
        if (!ReadHeader() || !ReadFat()) {
            return std::nullopt;
        }
        const std::string directory =
            Chain(fat_, firstDirectory_, SIZE_MAX, [&](std::uint32_t s) { return Sector(s); });
        constexpr size_t kEntry = 128;
        if (directory.size() < kEntry) {
            return std::nullopt;
        }
        const std::string_view entries(directory);
        const std::uint32_t rootStart = U32(entries, 0x74);
        const std::uint32_t rootSize = U32(entries, 0x78);
        for (size_t at = 0; at + kEntry <= entries.size(); at += kEntry) {
            const std::string_view entry = entries.substr(at, kEntry);
            if (entry[0x42] != 2 || !NameIs(entry, name)) {
                continue;
            }
            const std::uint32_t start = U32(entry, 0x74);
            const std::uint32_t size = U32(entry, 0x78);
            if (size >= miniCutoff_) {
                return Chain(fat_, start, size, [&](std::uint32_t s) { return Sector(s); });
            }
            const std::string miniStream =
                Chain(fat_, rootStart, rootSize, [&](std::uint32_t s) { return Sector(s); });
            const std::vector<std::uint32_t> miniFat = Numbers(
                Chain(fat_, firstMiniFat_, SIZE_MAX, [&](std::uint32_t s) { return Sector(s); }));
            const std::string_view mini(miniStream);
            return Chain(miniFat, start, size, [&](std::uint32_t s) {
                const size_t offset = static_cast<size_t>(s) * 64;
                return Holds(mini, offset, 64) ? mini.substr(offset, 64) : std::string_view();
            });
        }
        return std::nullopt;
    }

  private:
    bool ReadHeader() {
        static constexpr unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0,
                                                       0xA1, 0xB1, 0x1A, 0xE1};
        if (!Holds(file_, 0, 512) || std::memcmp(file_.data(), kSignature, 8) != 0) {
            return false;
        }
        const std::uint16_t shift = U16(file_, 0x1E);
        if ((shift != 9 && shift != 12) || U16(file_, 0x20) != 6) {
            return false;
        }
        sectorSize_ = size_t{1} << shift;
        fatSectors_ = U32(file_, 0x2C);
        firstDirectory_ = U32(file_, 0x30);
        miniCutoff_ = U32(file_, 0x38);
        firstMiniFat_ = U32(file_, 0x3C);
        firstDifat_ = U32(file_, 0x44);
        difatSectors_ = U32(file_, 0x48);
        return true;
    }

    std::string_view Sector(std::uint32_t number) const {
        const size_t offset = (static_cast<size_t>(number) + 1) * sectorSize_;
        if (offset >= file_.size()) {
            return {};
        }
        return file_.substr(offset, sectorSize_);  // the last sector may be cut short
    }

    bool ReadFat() {
        const size_t sectorCount = file_.size() / sectorSize_ + 1;
        if (fatSectors_ > sectorCount) {
            return false;
        }
        std::vector<std::uint32_t> fatSectorNumbers;
        for (size_t i = 0; i < 109 && fatSectorNumbers.size() < fatSectors_; ++i) {
            fatSectorNumbers.push_back(U32(file_, 0x4C + 4 * i));
        }
        std::uint32_t difat = firstDifat_;
        const size_t perDifat = sectorSize_ / 4 - 1;
        for (std::uint32_t k = 0;
             k < difatSectors_ && k < sectorCount && fatSectorNumbers.size() < fatSectors_ &&
             difat <= kLastRegularSector;
             ++k) {
            const std::string_view sector = Sector(difat);
            for (size_t i = 0; i < perDifat && fatSectorNumbers.size() < fatSectors_; ++i) {
                fatSectorNumbers.push_back(U32(sector, 4 * i));
            }
            difat = U32(sector, 4 * perDifat);
        }
        std::string fatBytes;
        for (const std::uint32_t number : fatSectorNumbers) {
            fatBytes.append(Sector(number));
        }
        fat_ = Numbers(fatBytes);
        return true;
    }

    static std::vector<std::uint32_t> Numbers(std::string_view bytes) {
        std::vector<std::uint32_t> numbers(bytes.size() / 4);
        for (size_t i = 0; i < numbers.size(); ++i) {
            numbers[i] = U32(bytes, 4 * i);
        }
        return numbers;
    }

    // Follows a chain of sectors through `table` and joins them, up to `size` bytes. A chain
    // that loops or leaves the table ends where it goes wrong.
    template <typename SectorOf>
    static std::string Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                             size_t size, SectorOf sectorOf) {
        std::string bytes;
        std::uint32_t sector = start;
        for (size_t steps = 0; sector <= kLastRegularSector && sector < table.size() &&
                               steps <= table.size() && bytes.size() < size;
             ++steps) {
            const std::string_view piece = sectorOf(sector);
            if (piece.empty()) {
                break;
            }
            bytes.append(piece.substr(0, std::min(piece.size(), size - bytes.size())));
            sector = table[sector];
        }
        return bytes;
    }

    static bool NameIs(std::string_view entry, std::string_view name) {
        const size_t length = U16(entry, 0x40);
        if (length != (name.size() + 1) * 2) {
            return false;
        }
        for (size_t i = 0; i < name.size(); ++i) {
            const std::uint16_t c = U16(entry, 2 * i);
            if (c > 0x7F || std::tolower(static_cast<int>(c)) !=
                                std::tolower(static_cast<unsigned char>(name[i]))) {
                return false;
            }
        }
        return true;
    }

    std::string_view file_;
    size_t sectorSize_ = 512;
    std::uint32_t fatSectors_ = 0;
    std::uint32_t firstDirectory_ = kEndOfChain;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t firstMiniFat_ = kEndOfChain;
    std::uint32_t firstDifat_ = kEndOfChain;
    std::uint32_t difatSectors_ = 0;
    std::vector<std::uint32_t> fat_;
};

// ---- Texts -------------------------------------------------------------------------------

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads up to `count` characters stored one byte each (Latin-1) or two (UTF-16LE) from
// `bytes` at `at`; returns how many were read. A surrogate half is kept for the next call.
size_t AppendCharacters(std::string& out, std::string_view bytes, size_t at, size_t count,
                        bool wide, std::uint32_t& pendingHigh) {
    size_t read = 0;
    for (; read < count; ++read) {
        if (!wide) {
            if (!Holds(bytes, at + read, 1)) {
                break;
            }
            AppendUtf8(out, static_cast<unsigned char>(bytes[at + read]));
            continue;
        }
        if (!Holds(bytes, at + 2 * read, 2)) {
            break;
        }
        const std::uint32_t unit = U16(bytes, at + 2 * read);
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (pendingHigh != 0) {
                AppendUtf8(out, 0xFFFD);
            }
            pendingHigh = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000 && pendingHigh != 0) {
            AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
            pendingHigh = 0;
        } else {
            if (pendingHigh != 0) {
                AppendUtf8(out, 0xFFFD);
                pendingHigh = 0;
            }
            AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
        }
    }
    return read;
}

const char* ErrorText(unsigned char code) {
    switch (code) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        default:
            return "#N/A";
    }
}

// ---- BIFF8 records -----------------------------------------------------------------------

struct Record {
    std::uint16_t type;
    std::string_view data;
};

class Records {
  public:
    Records(std::string_view stream, size_t at) : stream_(stream), at_(at) {}
    std::optional<Record> Next() {
        if (!Holds(stream_, at_, 4)) {
            return std::nullopt;
        }
        const std::uint16_t type = U16(stream_, at_);
        const std::uint16_t length = U16(stream_, at_ + 2);
        if (!Holds(stream_, at_ + 4, length)) {
            return std::nullopt;
        }
        const Record record{type, stream_.substr(at_ + 4, length)};
        at_ += 4 + length;
        return record;
    }
    std::optional<Record> Peek() const {
        Records copy = *this;
        return copy.Next();
    }

  private:
    std::string_view stream_;
    size_t at_;
};

enum : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kXf = 0x00E0,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kFormat = 0x041E,
    kBof = 0x0809,
};

// A string of a FORMAT or STRING record: character count, flags, characters; a STRING may
// go on in CONTINUE records, each starting with its own flags byte.
std::string ReadUnicodeString(std::string_view data, Records* continuation) {
    const size_t count = U16(data, 0);
    std::string text;
    std::uint32_t pendingHigh = 0;
    size_t read = AppendCharacters(text, data, 3, count, (U16(data, 2) & 1) != 0, pendingHigh);
    while (continuation != nullptr && read < count) {
        const auto next = continuation->Peek();
        if (!next || next->type != kContinue || next->data.empty()) {
            break;
        }
        continuation->Next();
        const size_t more = AppendCharacters(text, next->data, 1, count - read,
                                             (next->data[0] & 1) != 0, pendingHigh);
        if (more == 0) {
            break;
        }
        read += more;
    }
    return text;
}

struct Globals {
    std::vector<std::uint32_t> sheetOffsets;
    std::vector<std::uint16_t> xfFormats;
    std::map<std::uint16_t, bool> customDate;
    bool date1904 = false;

    bool IsDate(std::uint16_t xf) const {
        if (xf >= xfFormats.size()) {
            return false;
        }
        const std::uint16_t format = xfFormats[xf];
        const auto custom = customDate.find(format);
        return custom != customDate.end() ? custom->second : IsBuiltInDateFormat(format);
    }
};

std::optional<Globals> ReadGlobals(std::string_view stream) {
    Records records(stream, 0);
    const auto bof = records.Next();
    if (!bof || bof->type != kBof || U16(bof->data, 0) != 0x0600) {
        return std::nullopt;  // not BIFF8
    }
    Globals globals;
    while (const auto record = records.Next()) {
        switch (record->type) {
            case kEof:
                return globals;
            case kFilePass:
                return std::nullopt;
            case kBoundSheet:
                globals.sheetOffsets.push_back(U32(record->data, 0));
                break;
            case kXf:
                globals.xfFormats.push_back(U16(record->data, 2));
                break;
            case kFormat:
                // A record cut short before its code names no format.
                if (record->data.size() >= 2) {
                    globals.customDate[U16(record->data, 0)] =
                        IsDateFormatCode(ReadUnicodeString(record->data.substr(2), nullptr));
                }
                break;
            case kDateMode:
                globals.date1904 = U16(record->data, 0) == 1;
                break;
            default:
                break;
        }
    }
    return globals;
}

std::string FormulaText(std::string_view value, std::uint16_t xf, const Globals& globals) {
    if (static_cast<unsigned char>(value[6]) == 0xFF &&
        static_cast<unsigned char>(value[7]) == 0xFF) {
        switch (value[0]) {
            case 1:
                return value[2] != 0 ? "TRUE" : "FALSE";
            case 2:
                return ErrorText(static_cast<unsigned char>(value[2]));
            default:
                return {};  // a text follows in a STRING record, or the text is empty
        }
    }
    double number = 0;
    std::memcpy(&number, value.data(), sizeof number);
    std::string text;
    if (globals.IsDate(xf)) {
        AppendSerialDate(text, number, globals.date1904);
    } else {
        AppendNumber(text, number);
    }
    return text;
}

// `budget` bounds the records read over all sheets, so that sheet records pointing into
// each other cannot make the reading quadratic.
std::vector<XlsCellText> ReadSheet(std::string_view stream, std::uint32_t offset,
                                   const Globals& globals, size_t& budget) {
    std::vector<XlsCellText> cells;
    Records records(stream, offset);
    int depth = 0;
    bool awaitingString = false;
    while (budget > 0) {
        const auto record = records.Next();
        if (!record) {
            break;
        }
        --budget;
        const std::string_view data = record->data;
        if (record->type == kBof) {
            ++depth;
        } else if (record->type == kEof) {
            if (--depth <= 0) {
                break;
            }
        } else if (depth == 1 && record->type == kFormula && data.size() >= 14) {
            const std::string_view value = data.substr(6, 8);
            cells.push_back(
                {U16(data, 0) + 1u, U16(data, 2) + 1u, FormulaText(value, U16(data, 4), globals)});
            awaitingString = static_cast<unsigned char>(value[6]) == 0xFF &&
                             static_cast<unsigned char>(value[7]) == 0xFF && value[0] == 0;
        } else if (depth == 1 && record->type == kString && awaitingString) {
            cells.back().text = ReadUnicodeString(data, &records);
            awaitingString = false;
        } else if (depth == 1 && record->type == kBoolErr && data.size() >= 8) {
            const auto value = static_cast<unsigned char>(data[6]);
            cells.push_back({U16(data, 0) + 1u, U16(data, 2) + 1u,
                             data[7] != 0 ? ErrorText(value)
                             : value != 0 ? "TRUE"
                                          : "FALSE"});
        }
        if (depth <= 0) {
            break;  // the offset led to no sheet
        }
    }
    return cells;
}

}  // namespace

std::vector<std::vector<XlsCellText>> ReadXlsFormulaResults(std::string_view file) {
    const auto stream = CompoundFile(file).Stream("Workbook");
    if (!stream) {
        return {};
    }
    const auto globals = ReadGlobals(*stream);
    if (!globals) {
        return {};
    }
    std::vector<std::vector<XlsCellText>> sheets;
    size_t budget = 2 * (stream->size() / 4 + 1);
    for (const std::uint32_t offset : globals->sheetOffsets) {
        sheets.push_back(ReadSheet(*stream, offset, *globals, budget));
    }
    return sheets;
}

}  // namespace orvane
