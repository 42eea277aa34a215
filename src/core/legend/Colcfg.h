#pragma once

// The colour configuration file ColCfg.col: named grading legends stored as XML.
//
//   <ORVANE_Config_File>
//     <ColorConfig Name="..." ItemCount="n">
//       <STYLE Name="1"><Color>..</Color><LeftValue>..</LeftValue><RightValue>..</RightValue>
//       </STYLE> ...
//
// The file is written in GBK under the declaration encoding="GB2312" and read in the
// encoding it declares. Values are the grading table's cell texts, unchanged.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "legend/ThematicLegend.h"

namespace orvane {

inline constexpr std::string_view ColourConfigFileName = "ColCfg.col";

// The drive-test window writes the file indented, the CQT window without whitespace; both
// layouts are read.
enum class SchemeLayout { Indented, Compact };

// A named grading legend: one entry per grade with its colour, left and right texts.
struct ColourScheme {
    std::string name;
    std::vector<LegendEntry> entries;
};

// The names of the stored schemes in file order. Throws "Cannot open file %s" and, for a
// file that is not well-formed XML, the XML reader's message.
std::vector<std::string> ListSchemeNames(const std::string& path);

// Loads the first scheme of exactly that name into the grading rows: the rows become as
// many as its "ItemCount" (held within 2 to 100; new rows blank) and every cell the scheme
// holds is overwritten, others keep their text. Answers false, changing nothing, when no
// scheme has the name. Throws as ListSchemeNames and "'%s' is not a valid integer value"
// for an "ItemCount" that is no integer (rows unchanged).
bool LoadScheme(const std::string& path, std::string_view name, std::vector<LegendEntry>& rows);

// The rows of a scheme for use without a grading table (the command line): the scheme's own
// rows alone, as LoadScheme gives them to an empty table, checked as a conversion reads them.
// Nothing when no scheme has the name. Throws as ListSchemeNames, and with the scheme's name
// and the row before the system's text for a row that lacks a bound or holds a colour that
// is no integer ("Colour scheme 'Level', row 5: '' is not a valid floating point value") or
// an "ItemCount" that is no integer.
std::optional<std::vector<LegendEntry>> ReadSchemeRows(const std::string& path,
                                                       std::string_view name);

// Stores the scheme after the existing ones, replacing a scheme of the same name; creates
// the file when it does not exist. Throws as ListSchemeNames for an unreadable existing file
// and "Cannot create file %s" when the file cannot be written or would not read back (names
// of elements or attributes that GBK cannot hold); the file is then unchanged.
void SaveScheme(const std::string& path, const ColourScheme& scheme, SchemeLayout layout);

// Where ColCfg.col lives: beside the executable when that folder is writable (a portable
// copy), otherwise in the user's application data folder. An installed program (its folder is
// PREFIX/bin beside PREFIX/share/orvane) always keeps it in the data folder, also when it
// runs as a user who could write into PREFIX/bin.
std::string ColourConfigPath(const std::string& executableFolder,
                             const std::string& applicationDataFolder);
// ColourConfigPath for this process, with the data folder under $XDG_DATA_HOME (or
// ~/.local/share).
std::string DefaultColourConfigPath();

}  // namespace orvane
