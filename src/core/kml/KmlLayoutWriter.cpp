#include "kml/KmlLayoutWriter.h"

namespace orvane {

KmlLayoutWriter::KmlLayoutWriter(const KmlNodeStore& store, KmlLayout layout, std::string& out)
    : store_(store),
      out_(out),
      standard_(layout == KmlLayout::Standard),
      lineEnd_(standard_ ? "\n" : "\r\n") {}

void KmlLayoutWriter::Start() {
    out_ += Header;
    out_ += lineEnd_;
    StartTag(store_.Node(0));
    StartTag(store_.Node(1));
}

void KmlLayoutWriter::WriteElement(const TKMLNode& node) {
    if (standard_ && node.FirstChildIndex == -1) {
        WriteInline(node.Level, store_.Name(node), store_.Attributes(node), store_.Text(node));
        return;
    }
    StartTag(node);
    if (node.FirstChildIndex != -1) {
        WriteChain(store_.Node(static_cast<size_t>(node.FirstChildIndex)));
    }
    EndTag(node);
}

void KmlLayoutWriter::Finish() {
    const TKMLNode& documentNode = store_.Node(1);
    EndTag(documentNode);
    if (documentNode.NextSiblingIndex != -1) {
        WriteChain(store_.Node(static_cast<size_t>(documentNode.NextSiblingIndex)));
    }
    EndTag(store_.Node(0));
}

// A node and its following siblings. Recursion goes into children only, so its depth is the
// nesting depth, not the number of siblings.
void KmlLayoutWriter::WriteChain(const TKMLNode& first) {
    for (const TKMLNode* node = &first;;) {
        WriteElement(*node);
        if (node->NextSiblingIndex == -1) {
            return;
        }
        node = &store_.Node(static_cast<size_t>(node->NextSiblingIndex));
    }
}

void KmlLayoutWriter::StartTag(std::int32_t level, std::string_view name,
                               std::string_view attributes) {
    Indent(level);
    out_ += '<';
    out_ += name;
    if (!attributes.empty()) {
        out_ += ' ';
        WriteContent(attributes);
        if (!standard_) {
            out_ += ' ';
        }
    }
    out_ += '>';
    out_ += lineEnd_;
}

// The text, on a line of its own in the fixed layout, then the end tag.
void KmlLayoutWriter::EndTag(std::int32_t level, std::string_view name, std::string_view text) {
    if (!text.empty()) {
        Indent(level + 2);
        WriteContent(text);
        out_ += lineEnd_;
    }
    Indent(level);
    out_ += "</";
    out_ += name;
    out_ += '>';
    out_ += lineEnd_;
}

void KmlLayoutWriter::WriteTextElement(std::int32_t level, std::string_view name,
                                       std::string_view text, std::string_view attributes) {
    if (standard_) {
        WriteInline(level, name, attributes, text);
        return;
    }
    StartTag(level, name, attributes);
    EndTag(level, name, text);
}

// An element without children on one line: <name>text</name>.
void KmlLayoutWriter::WriteInline(std::int32_t level, std::string_view name,
                                  std::string_view attributes, std::string_view text) {
    Indent(level);
    out_ += '<';
    out_ += name;
    if (!attributes.empty()) {
        out_ += ' ';
        out_ += attributes;
    }
    out_ += '>';
    out_ += text;
    out_ += "</";
    out_ += name;
    out_ += '>';
    out_ += lineEnd_;
}

void KmlLayoutWriter::WriteOneLine(std::int32_t level, std::string_view name,
                                   std::string_view attributes, std::string_view innerName,
                                   std::string_view text) {
    Indent(level);
    out_ += '<';
    out_ += name;
    out_ += ' ';
    WriteContent(attributes);
    out_ += "><";
    out_ += innerName;
    out_ += '>';
    WriteContent(text);
    out_ += "</";
    out_ += innerName;
    out_ += "></";
    out_ += name;
    out_ += '>';
    out_ += lineEnd_;
}

// In the fixed layout every line feed reaches the file as CR LF, also inside a text.
void KmlLayoutWriter::WriteContent(std::string_view text) {
    if (standard_) {
        out_ += text;
        return;
    }
    size_t lineFeed = text.find('\n');
    while (lineFeed != std::string_view::npos) {
        out_ += text.substr(0, lineFeed);
        out_ += "\r\n";
        text.remove_prefix(lineFeed + 1);
        lineFeed = text.find('\n');
    }
    out_ += text;
}

}  // namespace orvane
