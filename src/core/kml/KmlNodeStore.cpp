#include "kml/KmlNodeStore.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>

namespace orvane {

namespace {

constexpr std::string_view kBuiltInNames[kBuiltInNameCount] = {"kml",
                                                               "Document",
                                                               "Style",
                                                               "LineStyle",
                                                               "color",
                                                               "width",
                                                               "PolyStyle",
                                                               "fill",
                                                               "IconStyle",
                                                               "scale",
                                                               "Icon",
                                                               "href",
                                                               "LabelStyle",
                                                               "Placemark",
                                                               "name",
                                                               "description",
                                                               "styleUrl",
                                                               "Point",
                                                               "coordinates",
                                                               "Polygon",
                                                               "outerBoundaryIs",
                                                               "LinearRing",
                                                               "LineString",
                                                               "Folder",
                                                               "Schema",
                                                               "SimpleField",
                                                               "ExtendedData",
                                                               "SchemaData",
                                                               "SimpleData",
                                                               "MultiGeometry",
                                                               "innerBoundaryIs",
                                                               "TimeSpan",
                                                               "begin",
                                                               "end",
                                                               "TimeStamp",
                                                               "when"};

constexpr size_t kChunkSize = size_t{8} << 20;

}  // namespace

KmlNodeStore::KmlNodeStore() {
    names_.assign(std::begin(kBuiltInNames), std::end(kBuiltInNames));
    lastTextOfName_.resize(names_.size());
    attributes_.emplace_back();
}

TKMLNode& KmlNodeStore::NewNode() {
    if (nodeCount_ == static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("Too many elements in one KML document");
    }
    if (nodeCount_ == nodeBlocks_.size() * kNodesPerBlock) {
        nodeBlocks_.push_back(TakeNodeBlock());
    }
    TKMLNode* node = &Node(nodeCount_);
    std::construct_at(node);
    node->Index = static_cast<std::int32_t>(nodeCount_++);
    return *node;
}

PageBlock KmlNodeStore::TakeNodeBlock() {
    if (spareNodeBlocks_.empty()) {
        return PageBlock(kNodesPerBlock * sizeof(TKMLNode));
    }
    PageBlock block = std::move(spareNodeBlocks_.back());
    spareNodeBlocks_.pop_back();
    return block;
}

std::uint16_t KmlNodeStore::NameIdOf(std::string_view name) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found != names_.end()) {
        return static_cast<std::uint16_t>(found - names_.begin());
    }
    if (names_.size() > std::numeric_limits<std::uint16_t>::max()) {
        throw std::length_error("Too many element names in one KML document");
    }
    names_.emplace_back(name);
    lastTextOfName_.emplace_back();
    return static_cast<std::uint16_t>(names_.size() - 1);
}

void KmlNodeStore::StoreAttributes(TKMLNode& node, std::string_view attributes) {
    if (node.AttributesId == 0) {
        node.AttributesId = static_cast<std::uint32_t>(attributes_.size());
        attributes_.emplace_back();
    }
    attributes_[node.AttributesId] = StoreText(attributes);
}

void KmlNodeStore::StoreElementText(TKMLNode& node, std::string_view text) {
    TKMLText& last = lastTextOfName_[node.NameId];
    if (last.Length != text.size() || TextOf(last) != text) {
        last = StoreText(text);
    }
    node.Text = last;
}

TKMLText KmlNodeStore::StoreText(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    if (chunks_.empty() || chunks_.back().size() - chunkUsed_ < text.size()) {
        chunks_.emplace_back(std::max(kChunkSize, text.size()));
        chunkUsed_ = 0;
    }
    std::memcpy(chunks_.back().data() + chunkUsed_, text.data(), text.size());
    const TKMLText stored{static_cast<std::uint32_t>(chunks_.size() - 1),
                          static_cast<std::uint32_t>(chunkUsed_),
                          static_cast<std::uint32_t>(text.size())};
    chunkUsed_ += text.size();
    return stored;
}

std::string_view KmlNodeStore::TextOf(const TKMLText& text) const {
    if (text.Length == 0) {
        return {};
    }
    return std::string_view(chunks_[text.Chunk].data() + text.Offset, text.Length);
}

void KmlNodeStore::ReleaseNodesBelow(size_t count) {
    for (const size_t end = count / kNodesPerBlock; firstKeptNodeBlock_ < end;
         ++firstKeptNodeBlock_) {
        PageBlock& block = nodeBlocks_[firstKeptNodeBlock_];
        if (spareNodeBlocks_.size() < 2) {
            spareNodeBlocks_.push_back(std::move(block));
        }
        block = PageBlock();
    }
}

void KmlNodeStore::ReleaseTextsOfWrittenNodes() {
    if (chunks_.size() < 2 && chunkUsed_ < kChunkSize / 2) {
        return;
    }
    const std::string kept[2][2] = {{std::string(Attributes(Node(0))), std::string(Text(Node(0)))},
                                    {std::string(Attributes(Node(1))), std::string(Text(Node(1)))}};
    if (!chunks_.empty() && chunks_.front().size() == kChunkSize) {
        chunks_.resize(1);
    } else {
        chunks_.clear();
    }
    chunkUsed_ = 0;
    std::fill(lastTextOfName_.begin(), lastTextOfName_.end(), TKMLText{});
    attributes_.resize(1);
    for (size_t index = 0; index < 2; ++index) {
        TKMLNode& node = Node(index);
        node.AttributesId = 0;
        if (!kept[index][0].empty()) {
            StoreAttributes(node, kept[index][0]);
        }
        node.Text = StoreText(kept[index][1]);
    }
}

size_t KmlNodeStore::HeldBytes() const {
    size_t bytes = attributes_.capacity() * sizeof(TKMLText);
    for (const std::vector<PageBlock>* blocks : {&nodeBlocks_, &spareNodeBlocks_, &chunks_}) {
        for (const PageBlock& block : *blocks) {
            bytes += block.size();
        }
    }
    return bytes;
}

}  // namespace orvane
