#pragma once

// The KML document every conversion writes: an element tree (kml/KmlNodeStore) laid out by
// kml/KmlLayoutWriter as it grows, and the style and placemark builders (kml/KmlBuilders.cpp)
// that add its parts from typed placemark records.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kml/KmlIcons.h"
#include "kml/KmlLayoutWriter.h"
#include "kml/KmlNodeStore.h"
#include "kml/Placemarks.h"

namespace orvane {

class KmlOutput;

inline constexpr int kMaxCoordinateDigits = 15;

// The document is written as it is built: each style, placemark or folder that a builder
// adds under Document is laid out and handed to the output file as soon as the builder
// returns, and its nodes and texts leave memory, so that a document of any size needs little
// of it. Elements added with AddNode may still grow until the document is saved: from the
// first of them on, everything is kept and written by SaveAndClose.
class TKMLDocument {
  public:
    static constexpr std::string_view Header = KmlLayoutWriter::Header;
    static constexpr std::string_view Namespace = "http://earth.google.com/kml/2.1";
    static constexpr std::string_view StandardNamespace = "http://www.opengis.net/kml/2.2";

    explicit TKMLDocument(KmlLayout layout = KmlLayout::Fixed);
    ~TKMLDocument();
    TKMLDocument(const TKMLDocument&) = delete;
    TKMLDocument& operator=(const TKMLDocument&) = delete;

    KmlLayout Layout() const { return layout_; }
    // Coordinates are rounded to this many decimals (1 to kMaxCoordinateDigits; 0, the
    // default, writes them as they are given), trailing zeros dropped. Fields that are no
    // numbers stay as they are.
    void SetCoordinateDigits(int digits) { digits_ = digits; }
    TKMLNode& Root() { return Node(0); }
    TKMLNode& DocumentNode() { return Node(1); }
    // Every node ever added, written ones included.
    size_t NodeCount() const { return store_.NodeCount(); }
    // Nodes a builder made are reachable only until the builder returns; the root, Document
    // and the nodes AddNode made stay as long as the document.
    TKMLNode& Node(size_t index) { return store_.Node(index); }
    const TKMLNode& Node(size_t index) const { return store_.Node(index); }

    // Appends a new element as the last child of `parent`, which must be the root, Document
    // or a node AddNode made; constant time. The reference stays valid as long as the
    // document.
    TKMLNode& AddNode(TKMLNode& parent, std::string_view name);
    void SetAttributes(TKMLNode& node, std::string_view attributes);
    void SetText(TKMLNode& node, std::string_view text);
    std::string_view Name(const TKMLNode& node) const { return store_.Name(node); }
    std::string_view Attributes(const TKMLNode& node) const { return store_.Attributes(node); }
    std::string_view Text(const TKMLNode& node) const { return store_.Text(node); }

    // Opens the output: a temporary file beside `fileName`, which SaveAndClose puts in its
    // place. A name ending in ".kmz" (any letter case) gets a KMZ archive holding the same
    // bytes as doc.kml. Parts already complete are written at once. Call it once, before
    // anything has been handed to a file.
    void OpenFile(std::string fileName);
    const std::string& FileName() const { return fileName_; }
    // Writes the rest of the tree. The file is replaced only when everything was written;
    // Saved() tells whether that happened. Raises nothing. A document destroyed unsaved
    // leaves the target as it was and no temporary file.
    void SaveAndClose();
    bool Saved() const { return saved_; }
    // The bytes SaveAndClose writes; for a document with an output file, only as long as no
    // part of it has gone there.
    std::string ToText() const;
    // The memory the document holds now: nodes, texts, and laid-out bytes not yet handed to
    // the output.
    size_t HeldBytes() const;

    // ---- Style builders ----
    // In the standard layout icons are the program's own (kml/KmlIcons.h), added to the
    // output when it is saved, and colours keep their lower 24 bits.
    void AddOutlineStyles();
    void AddBsStyle();
    void AddPtStyle();
    // Style i of each is "LINESTYLEi" / "POINTSTYLEi" in colour i (a colour number 00BBGGRR).
    // The standard layout also defines the styles of values outside the legend, "-9999" and
    // "-1", in grey, so that every reference resolves.
    void AddLineStyles(std::span<const std::int32_t> colours, std::int32_t width);
    void AddPointStyles(std::span<const std::int32_t> colours);
    // Style i is "SAMPLESTYLEi": a small dot in colour i, its label hidden (a route has many
    // samples). The standard layout adds grey styles outside the legend as for lines.
    void AddSampleStyles(std::span<const std::int32_t> colours);

    // ---- Data (standard layout; the fixed layout has none) ----
    // A Schema; add it after the styles and before the placemarks that refer to it, outside
    // folders.
    void AddSchema(const KmlSchema& schema);

    // ---- Placemark builders: under the open folder (below), else under Document ----
    void AddPointPlacemark(const TPointPlacemark& placemark);
    void AddPolygonPlacemark(const TPolygonPlacemark& placemark);
    void AddLinePlacemark(const TLinePlacemark& placemark);
    // One Polygon with its holes, or a MultiGeometry of several.
    void AddRegionPlacemark(const TRegionPlacemark& placemark);
    // A sector's wedge: its name, style and data, and its ring as AppendSectorRing draws it.
    void AddSectorPlacemark(const TPlacemark& sector, std::string_view ring);
    // A site's folder: its icon, then one wedge per azimuth, `radiusSeconds` seconds of arc
    // long.
    void AddSiteFolder(const TSitePlacemark& site, std::int32_t radiusSeconds);
    // As above, with the wedges' rings already drawn (AppendSectorRing, rounded to the
    // coordinate digits): ring k faces azimuth k.
    void AddSiteFolder(const TSitePlacemark& site, std::span<const std::string> rings);

    // ---- Overlays: under Document, while no folder is open ----
    void AddScreenOverlay(const TScreenOverlay& overlay);

    // ---- Folders written placemark by placemark (kml/KmlFolders.cpp) ----
    // Opens a folder under Document: until EndFolder, AddFolderLine and AddFolderWedge add to
    // it, and each of its placemarks is written as soon as it is complete, so that a folder
    // of any size needs little memory. One folder at a time; not while AddNode holds nodes.
    void BeginFolder(std::string_view name);
    void EndFolder();
    void AddFolderLine(const TLinePlacemark& placemark);
    // One placemark whose MultiGeometry holds a line string per coordinate text of `lines`;
    // the placemark's own Coordinates are not used.
    void AddFolderMultiLine(const TLinePlacemark& placemark, std::span<const std::string> lines);
    // A polygon whose balloon is the table rows of `Description`.
    void AddFolderWedge(const TPointPlacemark& placemark);
    // A point with its values as data and its balloon the table rows of `Description`: named
    // Data, or in the standard layout with a Schema the typed SchemaData of its fields.
    void AddFolderSample(const TSamplePlacemark& placemark);
    // Style i is "SERVINGSTYLEi" in colour i, lines `width` pixels wide.
    void AddServingLineStyles(std::span<const std::int32_t> colours, std::int32_t width);
    // "PROBLEM_RED" and "PROBLEM_ORANGE": outlined, lightly filled wedges.
    void AddProblemCellStyles();

  private:
    TKMLNode& AddNodeById(TKMLNode& parent, std::uint16_t nameId);
    TKMLNode& AddTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text);
    TKMLNode& AddEscapedTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text);
    // The text as element content, escaped where it must be; valid until the next call.
    std::string_view EscapedText(std::string_view text);
    TKMLNode& AddStyle(std::string_view id);
    void AddIconStyle(std::string_view id, std::string_view scale);
    void AddIcon(TKMLNode& iconStyle, KmlIcon icon, std::string_view link);
    // The grey styles of values outside the legend, in the standard layout.
    void AddOutOfLegendLineStyles(std::int32_t width);
    struct TintedIcon;
    void AddTintedIconStyles(std::span<const std::int32_t> colours, const TintedIcon& icon);
    void AddTintedIconStyle(std::string_view id, std::string_view colour, const TintedIcon& icon);
    void AddPolygon(TKMLNode& parent, const TRingPolygon& polygon);
    // Coordinates as given, or computed by the program: tuples separated by single blanks,
    // one after the last, rounded to the document's digits.
    enum class CoordinateText { Given, Computed };
    void AddBoundary(TKMLNode& polygon, std::uint16_t nameId, std::string_view ring,
                     CoordinateText form = CoordinateText::Given);
    void AddExtendedData(TKMLNode& placemark, const TPlacemark& record);
    std::string_view SchemaDataAttribute(const KmlSchema& schema);
    const std::vector<std::string>& DataNamesOf(const KmlSchema& schema) const;
    // The record's TimeSpan or TimeStamp, if it has one.
    void AddTime(TKMLNode& placemark, const TPlacemark& record);
    // The balloon: the table rows `rows` (each starting with "<TR>") in the fixed frame.
    void AddDescriptionTable(TKMLNode& placemark, std::string_view rows);
    std::string_view DescriptionTable(std::string_view rows);
    void AddDescribedPoint(TKMLNode& parent, const TPointPlacemark& placemark,
                           std::string_view styleUrl);
    void AddRingPlacemark(TKMLNode& parent, const std::string* name, std::string_view styleUrl,
                          std::string_view coordinates,
                          CoordinateText form = CoordinateText::Given);
    void AddStyleUrl(TKMLNode& placemark, std::string_view styleUrl);
    void AddCoordinates(TKMLNode& parent, std::string_view coordinates,
                        CoordinateText form = CoordinateText::Given);
    // The coordinates as the layout writes them, before escaping; valid until the next call.
    std::string_view CoordinateTextOf(std::string_view coordinates, CoordinateText form);
    // A sample point straight from its texts, without nodes (kml/KmlFolders.cpp).
    void WriteSample(KmlLayoutWriter& writer, std::int32_t level, const TSamplePlacemark& sample);
    void WriteTime(KmlLayoutWriter& writer, std::int32_t level, const TPlacemark& record);
    void WriteSchemaData(KmlLayoutWriter& writer, std::int32_t level, const TPlacemark& record);

    // Lays out the parts under Document that are complete and lets them go; a builder calls
    // it before it returns.
    void CompleteParts();
    // Lays out the parts not laid out yet, handing what grows large to the output.
    void LayOutPendingParts(KmlLayoutWriter& writer);
    void HandOver();
    void HandOverWhenLarge();
    // Document's part that a builder adds to: the open folder, else Document.
    TKMLNode& PartParent();
    TKMLNode& FolderOrDocument() { return folder_ ? *folder_ : DocumentNode(); }
    void LayOutFolderParts(KmlLayoutWriter& writer);

    KmlLayout layout_;
    KmlNodeStore store_;

    std::string fileName_;
    std::unique_ptr<KmlOutput> output_;
    std::string laidOut_;         // laid out, not yet handed to the output
    bool started_ = false;        // the header and the root's and Document's start tags
    bool handedOver_ = false;     // the output has received bytes
    bool holding_ = false;        // AddNode was used: keep everything until the save
    std::int32_t nextPart_ = -1;  // the first child of Document not laid out yet
    size_t writtenBelow_ = 2;     // nodes from 2 up to here are laid out
    bool closed_ = false;
    bool saved_ = false;
    // The open folder, written up to its last complete placemark: a copy of its node, since
    // the store lets written nodes go.
    std::optional<TKMLNode> folder_;
    std::int32_t nextFolderPart_ = -1;  // the folder's first child not laid out yet

    int digits_ = 0;
    std::string coordinates_;  // reused for each coordinate text written
    std::string attribute_;    // reused for each data attribute
    std::string escaped_;      // reused for each text that needs escaping
    std::string description_;  // reused for each balloon's table
    std::set<KmlIcon> icons_;  // referred to by the standard layout's styles
    // Other files the document refers to, by name: added to the output when it is saved.
    std::vector<std::pair<std::string, std::string>> files_;
    // The name attributes of each schema's data, made once: a schema's data is written for
    // every placemark.
    std::map<const KmlSchema*, std::vector<std::string>> dataNames_;
};

}  // namespace orvane
