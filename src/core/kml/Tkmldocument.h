#pragma once

// The KML element tree and its writer, and the style and placemark builders every
// conversion uses.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Memory.h"

namespace orvane {

class KmlOutput;

// How a document is laid out in its file.
enum class KmlLayout {
    // KML 2.1 in the program's own fixed layout: CR LF line ends, every text on a line of
    // its own, two spaces deeper than its tags.
    Fixed,
    // OGC KML 2.2 as GIS programs read it: each text inline in its element, coordinates as
    // tuples separated by single blanks, no empty style reference, LF line ends.
    Standard,
};

// A text held by the document: a place in its text store.
struct TKMLText {
    std::uint32_t Chunk = 0;
    std::uint32_t Offset = 0;
    std::uint32_t Length = 0;
};

// One element. Texts live in the document; read and set them through it.
struct TKMLNode {
    std::int32_t Index = 0;
    std::int32_t ParentIndex = -1;
    std::int32_t FirstChildIndex = -1;
    std::int32_t NextSiblingIndex = -1;
    std::int32_t LastChildIndex = -1;
    std::int16_t Level = 0;
    std::uint16_t NameId = 0;
    std::uint32_t AttributesId = 0;  // 0: none; few elements have attributes
    TKMLText Text;
};

// Placemark records: filled by a converter and read by one builder.
struct TPlacemark {
    std::string Name;
    std::string StyleUrl;
};

struct TPointPlacemark : TPlacemark {
    std::string Coordinates;
    std::string Description;  // table rows, each starting with "<TR>"
};

struct TLinePlacemark : TPlacemark {
    std::string Coordinates;
};

struct TPolygonPlacemark : TPlacemark {
    std::string Coordinates;
};

struct TSitePlacemark : TPointPlacemark {
    std::string Azimuths;  // each azimuth followed by a TAB; consumed by AddSiteFolder
    std::int32_t SectorCount = 0;
    double Longitude = 0;
    double Latitude = 0;
};

// "ff" and the colour number (00BBGGRR) in upper-case hexadecimal, at least six digits.
std::string KmlColorText(std::int32_t colour);

// The document is written as it is built: each style, placemark or folder that a builder
// adds under Document is laid out and handed to the output file as soon as the builder
// returns, and its nodes and texts leave memory, so that a document of any size needs little
// of it. Elements added with AddNode may still grow until the document is saved: from the
// first of them on, everything is kept and written by SaveAndClose.
class TKMLDocument {
  public:
    static constexpr std::string_view Header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    static constexpr std::string_view Namespace = "http://earth.google.com/kml/2.1";
    static constexpr std::string_view StandardNamespace = "http://www.opengis.net/kml/2.2";

    explicit TKMLDocument(KmlLayout layout = KmlLayout::Fixed);
    ~TKMLDocument();
    TKMLDocument(const TKMLDocument&) = delete;
    TKMLDocument& operator=(const TKMLDocument&) = delete;

    KmlLayout Layout() const { return layout_; }
    TKMLNode& Root() { return Node(0); }
    TKMLNode& DocumentNode() { return Node(1); }
    // Every node ever added, written ones included.
    size_t NodeCount() const { return nodeCount_; }
    // Nodes a builder made are reachable only until the builder returns; the root, Document
    // and the nodes AddNode made stay as long as the document.
    TKMLNode& Node(size_t index) { return NodeBlock(index)[index & (kNodesPerBlock - 1)]; }
    const TKMLNode& Node(size_t index) const {
        return NodeBlock(index)[index & (kNodesPerBlock - 1)];
    }

    // Appends a new element as the last child of `parent`, which must be the root, Document
    // or a node AddNode made; constant time. The reference stays valid as long as the
    // document.
    TKMLNode& AddNode(TKMLNode& parent, std::string_view name);
    void SetAttributes(TKMLNode& node, std::string_view attributes);
    void SetText(TKMLNode& node, std::string_view text);
    std::string_view Name(const TKMLNode& node) const { return names_[node.NameId]; }
    std::string_view Attributes(const TKMLNode& node) const {
        return TextOf(attributes_[node.AttributesId]);
    }
    std::string_view Text(const TKMLNode& node) const { return TextOf(node.Text); }

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
    void AddOutlineStyles();
    void AddBsStyle();
    void AddPtStyle();
    // Throws "'%s' is not a valid integer value" for a colour that is no integer.
    void AddLineStyles(const std::vector<std::string>& colours, std::int32_t width);
    void AddPointStyles(const std::vector<std::string>& colours);

    // ---- Placemark builders ----
    void AddPointPlacemark(const TPointPlacemark& placemark);
    void AddPolygonPlacemark(const TPolygonPlacemark& placemark);
    void AddLinePlacemark(const TLinePlacemark& placemark);
    // Consumes `SectorCount` azimuths from `site.Azimuths`.
    void AddSiteFolder(TSitePlacemark& site, std::int32_t radiusSeconds);
    // Puts into `ring` (empty on entry) the ring of sector `sector` (from 0) of the site,
    // facing `azimuth`.
    using SectorRingDrawer =
        std::function<void(std::string& ring, std::int32_t sector, std::int32_t azimuth)>;
    // As above, with wedges of the caller's own shape and size.
    void AddSiteFolder(TSitePlacemark& site, const SectorRingDrawer& drawRing);

  private:
    class Writer;
    TKMLNode& NewNode();
    PageBlock TakeNodeBlock();
    TKMLNode& CreateRoot();
    TKMLNode& AddNodeById(TKMLNode& parent, std::uint16_t nameId);
    TKMLNode& AddTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text);
    TKMLNode& AddEscapedTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text);
    TKMLNode& AddStyle(std::string_view id);
    void AddIconStyle(std::string_view id, std::string_view scale);
    void AddDescribedPoint(TKMLNode& parent, const TPointPlacemark& placemark,
                           std::string_view styleUrl);
    void AddRingPlacemark(TKMLNode& parent, const std::string* name, std::string_view styleUrl,
                          std::string_view coordinates);
    void AddStyleUrl(TKMLNode& placemark, std::string_view styleUrl);
    void AddCoordinates(TKMLNode& parent, std::string_view coordinates);

    // Lays out the parts under Document that are complete and lets them go; a builder calls
    // it before it returns.
    void CompleteParts();
    // Lays out the parts not laid out yet, handing what grows large to the output.
    void LayOutPendingParts(Writer& writer);
    void HandOver();
    void LetGoOfWrittenNodes();
    void LetGoOfTexts();
    void StoreAttributes(TKMLNode& node, std::string_view attributes);
    TKMLText StoreText(std::string_view text);
    // As StoreText, but an element's text equal to the last one stored for an element of
    // the same name is shared (fixed descriptions, style references, widths).
    TKMLText StoreElementText(std::uint16_t nameId, std::string_view text);
    std::string_view TextOf(const TKMLText& text) const;
    std::uint16_t NameIdOf(std::string_view name);

    static constexpr size_t kNodesPerBlock = size_t{1} << 14;
    TKMLNode* NodeBlock(size_t index) const {
        return reinterpret_cast<TKMLNode*>(nodeBlocks_[index / kNodesPerBlock].data());
    }

    KmlLayout layout_;
    // Nodes and texts live in large blocks that never move, so node references stay valid.
    // Blocks of written nodes are let go (an empty entry) or reused.
    std::vector<PageBlock> nodeBlocks_;
    std::vector<PageBlock> spareNodeBlocks_;
    size_t firstKeptNodeBlock_ = 1;  // block 0 holds the root and Document
    size_t nodeCount_ = 0;
    std::vector<std::string> names_;
    std::vector<TKMLText> lastTextOfName_;
    std::vector<TKMLText> attributes_;
    std::vector<PageBlock> chunks_;
    size_t chunkUsed_ = 0;

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
};

}  // namespace orvane
