#pragma once

// Lays a document's elements out as text, line by line, in one of the two layouts.

#include <cstdint>
#include <string>
#include <string_view>

#include "kml/KmlNodeStore.h"

namespace orvane {

// How a document is laid out in its file.
enum class KmlLayout {
    // KML 2.1 in the program's own fixed layout: CR LF line ends, every text on a line of
    // its own, two spaces deeper than its tags.
    Fixed,
    // OGC KML 2.2 as GIS programs read it: each text inline in its element, coordinates as
    // tuples separated by single blanks, no empty style reference, LF line ends.
    Standard,
};

class KmlLayoutWriter {
  public:
    static constexpr std::string_view Header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

    KmlLayoutWriter(const KmlNodeStore& store, KmlLayout layout, std::string& out);

    // The header and the start tags of the root (node 0) and of Document (node 1).
    void Start();
    // One element with everything under it.
    void WriteElement(const TKMLNode& node);
    // The start and end tags of an element whose children are written one by one between.
    void StartElement(const TKMLNode& node) { StartTag(node); }
    void EndElement(const TKMLNode& node) { EndTag(node); }
    // Elements written from their texts, without nodes, laid out as their nodes would be.
    void StartTag(std::int32_t level, std::string_view name, std::string_view attributes = {});
    void EndTag(std::int32_t level, std::string_view name, std::string_view text = {});
    void WriteTextElement(std::int32_t level, std::string_view name, std::string_view text,
                          std::string_view attributes = {});
    // An element holding one text element, on one line in both layouts:
    // <Data name="…"><value>text</value></Data>.
    void WriteOneLine(std::int32_t level, std::string_view name, std::string_view attributes,
                      std::string_view innerName, std::string_view text);
    // After the last part: the ends of Document and of the root, with whatever was added
    // under the root after Document.
    void Finish();

  private:
    void WriteChain(const TKMLNode& first);
    void StartTag(const TKMLNode& node) {
        StartTag(node.Level, store_.Name(node), store_.Attributes(node));
    }
    void EndTag(const TKMLNode& node) { EndTag(node.Level, store_.Name(node), store_.Text(node)); }
    void WriteInline(std::int32_t level, std::string_view name, std::string_view attributes,
                     std::string_view text);
    void Indent(std::int32_t level) { out_.append(static_cast<size_t>(level), ' '); }
    void WriteContent(std::string_view text);

    const KmlNodeStore& store_;
    std::string& out_;
    bool standard_;
    std::string_view lineEnd_;
};

}  // namespace orvane
