#pragma once

// Where a KML document keeps its elements: compact nodes in large blocks that never move,
// their texts and attributes in a text store, element names interned once.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Memory.h"

namespace orvane {

// A text held by the store: a place in its text blocks.
struct TKMLText {
    std::uint32_t Chunk = 0;
    std::uint32_t Offset = 0;
    std::uint32_t Length = 0;
};

// One element. Texts live in the store; read and set them through the document.
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

// Element names the builders use, interned in this order by every store.
enum KmlNameId : std::uint16_t {
    kKml,
    kDocument,
    kStyle,
    kLineStyle,
    kColor,
    kWidth,
    kPolyStyle,
    kFill,
    kIconStyle,
    kScale,
    kIcon,
    kHref,
    kLabelStyle,
    kPlacemark,
    kName,
    kDescription,
    kStyleUrl,
    kPoint,
    kCoordinates,
    kPolygon,
    kOuterBoundaryIs,
    kLinearRing,
    kLineString,
    kFolder,
    kSchema,
    kSimpleField,
    kExtendedData,
    kSchemaData,
    kSimpleData,
    kMultiGeometry,
    kInnerBoundaryIs,
    kTimeSpan,
    kTimeBegin,
    kTimeEnd,
    kTimeStamp,
    kTimeWhen,
    kBuiltInNameCount
};

class KmlNodeStore {
  public:
    KmlNodeStore();

    // Every node ever made, released ones included.
    size_t NodeCount() const { return nodeCount_; }
    TKMLNode& Node(size_t index) { return NodeBlock(index)[index & (kNodesPerBlock - 1)]; }
    const TKMLNode& Node(size_t index) const {
        return NodeBlock(index)[index & (kNodesPerBlock - 1)];
    }
    // A node numbered after the last one, unlinked.
    TKMLNode& NewNode();
    std::uint16_t NameIdOf(std::string_view name);

    void StoreAttributes(TKMLNode& node, std::string_view attributes);
    // An element's text; one equal to the last text stored for an element of the same name
    // is shared (fixed descriptions, style references, widths).
    void StoreElementText(TKMLNode& node, std::string_view text);

    std::string_view Name(const TKMLNode& node) const { return names_[node.NameId]; }
    std::string_view Attributes(const TKMLNode& node) const {
        return TextOf(attributes_[node.AttributesId]);
    }
    std::string_view Text(const TKMLNode& node) const { return TextOf(node.Text); }

    // Lets go of the blocks that hold only nodes numbered below `count` (nodes 0 and 1, the
    // root and Document, always stay).
    void ReleaseNodesBelow(size_t count);
    // Lets go of every text but those of the root and Document, once the store has grown:
    // for when every other node has been written.
    void ReleaseTextsOfWrittenNodes();
    size_t HeldBytes() const;

  private:
    static constexpr size_t kNodesPerBlock = size_t{1} << 14;
    TKMLNode* NodeBlock(size_t index) const {
        return reinterpret_cast<TKMLNode*>(nodeBlocks_[index / kNodesPerBlock].data());
    }
    PageBlock TakeNodeBlock();
    TKMLText StoreText(std::string_view text);
    std::string_view TextOf(const TKMLText& text) const;

    // Blocks of released nodes are let go (an empty entry) or kept for reuse.
    std::vector<PageBlock> nodeBlocks_;
    std::vector<PageBlock> spareNodeBlocks_;
    size_t firstKeptNodeBlock_ = 1;  // block 0 holds the root and Document
    size_t nodeCount_ = 0;
    std::vector<std::string> names_;
    std::vector<TKMLText> lastTextOfName_;
    std::vector<TKMLText> attributes_;
    std::vector<PageBlock> chunks_;
    size_t chunkUsed_ = 0;
};

}  // namespace orvane
