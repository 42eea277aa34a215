#pragma once

// The attribute table of a MapInfo MIF file: the columns its header declares and the rows of
// the .mid file beside it, one row per object in object order.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextFile.h"
#include "kml/Placemarks.h"

namespace orvane {

struct MifColumn {
    std::string name;
    KmlFieldType type = KmlFieldType::String;
    bool character = false;  // declared Char(n)
};

// What the lines before "Data" say about the table.
struct MifHeader {
    char delimiter = '\t';
    std::vector<MifColumn> columns;
};

// Takes the header's lines one by one: "Delimiter", "Columns N" and the N declarations after
// it (keywords in any letter case); other lines are passed over.
class MifHeaderReader {
  public:
    void Take(std::string_view line);
    const MifHeader& header() const { return header_; }

  private:
    MifHeader header_;
    std::int32_t columnsLeft_ = 0;
};

// The table a MIF file declares in the lines before "Data" (all its lines when there is
// none). Throws "Cannot open file %s".
MifHeader ReadMifHeader(const std::string& mifPath);

// The column that names the regions when none is chosen: the first Char column; past the
// columns when there is none.
size_t DefaultNameColumn(const std::vector<MifColumn>& columns);

// The .mid file beside a .mif: the same name with the extension ".mid" (or ".MID"); nothing
// when there is none.
std::optional<std::string> MidPathBeside(const std::string& mifPath);

// Whether the first word of a MIF line starts a graphic object ("Region", "Pline", "Point",
// "none"...), in any letter case; a "Collection" of N parts is one object.
bool IsMifObjectKeyword(std::string_view word);

// Splits one .mid line into its fields: separated by the delimiter, a field in double quotes
// may hold the delimiter and "" for a quote; unquoted fields are trimmed.
void SplitMidLine(std::string_view line, char delimiter, std::vector<std::string>& fields);

// The rows of a .mid file, read as they are needed (decoded as the MIF is: UTF-8 when valid,
// else GB18030).
class MidRows {
  public:
    MidRows(const std::string& path, char delimiter);
    // The next row's fields, or false after the last row.
    bool Next(std::vector<std::string>& fields);

  private:
    LineCursor lines_;
    char delimiter_;
};

}  // namespace orvane
