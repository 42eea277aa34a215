#include "kml/Tkmldocument.h"

#include <stdexcept>

#include "kml/KmlOutput.h"

namespace orvane {

namespace {

// Laid-out bytes go to the output in pieces of about this size.
constexpr size_t kHandOverSize = size_t{1} << 20;

}  // namespace

TKMLDocument::TKMLDocument(KmlLayout layout) : layout_(layout) {
    TKMLNode& root = store_.NewNode();
    root.NameId = kKml;
    const std::string_view uri = layout_ == KmlLayout::Standard ? StandardNamespace : Namespace;
    store_.StoreAttributes(root, std::string("xmlns=\"") + std::string(uri) + "\"");
    AddNodeById(Root(), kDocument);
}

TKMLDocument::~TKMLDocument() = default;

TKMLNode& TKMLDocument::AddNodeById(TKMLNode& parent, std::uint16_t nameId) {
    TKMLNode& node = store_.NewNode();
    const std::int32_t index = node.Index;
    node.Level = static_cast<std::int16_t>(parent.Level + 2);
    node.NameId = nameId;
    node.ParentIndex = parent.Index;
    if (parent.FirstChildIndex == -1) {
        parent.FirstChildIndex = index;
    } else if (const auto last = static_cast<size_t>(parent.LastChildIndex);
               last < 2 || last >= writtenBelow_) {
        Node(last).NextSiblingIndex = index;  // a written sibling is gone and needs no link
    }
    parent.LastChildIndex = index;
    if (parent.Index == 1 && nextPart_ == -1) {
        nextPart_ = index;
    }
    if (folder_ && parent.Index == folder_->Index && nextFolderPart_ == -1) {
        nextFolderPart_ = index;
    }
    return node;
}

TKMLNode& TKMLDocument::AddNode(TKMLNode& parent, std::string_view name) {
    holding_ = true;
    return AddNodeById(parent, store_.NameIdOf(name));
}

void TKMLDocument::SetAttributes(TKMLNode& node, std::string_view attributes) {
    if (started_ && node.Index < 2) {
        throw std::logic_error("The start tags of kml and Document are written already");
    }
    store_.StoreAttributes(node, attributes);
}

void TKMLDocument::SetText(TKMLNode& node, std::string_view text) {
    store_.StoreElementText(node, text);
}

void TKMLDocument::OpenFile(std::string fileName) {
    if (handedOver_) {
        throw std::logic_error("The output of a KML document is chosen after it was written to");
    }
    fileName_ = std::move(fileName);
    output_ = OpenKmlOutput(fileName_);
    HandOverWhenLarge();
}

void TKMLDocument::CompleteParts() {
    if (holding_ || (nextPart_ == -1 && nextFolderPart_ == -1)) {
        return;
    }
    KmlLayoutWriter writer(store_, layout_, laidOut_);
    LayOutPendingParts(writer);
    LayOutFolderParts(writer);
    writtenBelow_ = NodeCount();
    store_.ReleaseNodesBelow(writtenBelow_);
    store_.ReleaseTextsOfWrittenNodes();
}

void TKMLDocument::LayOutPendingParts(KmlLayoutWriter& writer) {
    if (!started_) {
        writer.Start();
        started_ = true;
    }
    while (nextPart_ != -1) {
        const TKMLNode& part = Node(static_cast<size_t>(nextPart_));
        writer.WriteElement(part);
        nextPart_ = part.NextSiblingIndex;
        HandOverWhenLarge();
    }
}

void TKMLDocument::LayOutFolderParts(KmlLayoutWriter& writer) {
    while (nextFolderPart_ != -1) {
        const TKMLNode& part = Node(static_cast<size_t>(nextFolderPart_));
        writer.WriteElement(part);
        nextFolderPart_ = part.NextSiblingIndex;
        HandOverWhenLarge();
    }
}

void TKMLDocument::HandOverWhenLarge() {
    if (laidOut_.size() >= kHandOverSize) {
        HandOver();
    }
}

void TKMLDocument::HandOver() {
    if (output_ == nullptr) {
        return;  // kept until a file is opened, or for ToText
    }
    output_->Write(laidOut_);
    handedOver_ = true;
    if (laidOut_.capacity() > 4 * kHandOverSize) {
        laidOut_ = std::string();  // one huge part does not keep its room for ever
    }
    laidOut_.clear();
}

void TKMLDocument::SaveAndClose() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (output_ == nullptr) {
        return;  // never opened: nothing to save
    }
    KmlLayoutWriter writer(store_, layout_, laidOut_);
    LayOutPendingParts(writer);
    writer.Finish();
    output_->Write(laidOut_);
    laidOut_.clear();
    for (const KmlIcon icon : icons_) {
        output_->AddFile(std::string(KmlIconFileName(icon)), KmlIconPng(icon));
    }
    for (auto& [name, bytes] : files_) {
        output_->AddFile(std::move(name), std::move(bytes));
    }
    files_.clear();
    saved_ = output_->ok() && output_->Commit();
    output_.reset();
}

std::string TKMLDocument::ToText() const {
    // Laid out from the nodes while they are all there, else after what was laid out of them.
    const bool fromNodes = writtenBelow_ == 2;
    if (!fromNodes && handedOver_) {
        throw std::logic_error("Parts of the KML document went to its file already");
    }
    std::string text = fromNodes ? std::string() : laidOut_;
    KmlLayoutWriter writer(store_, layout_, text);
    if (fromNodes || !started_) {
        writer.Start();
    }
    for (std::int32_t part = fromNodes ? Node(1).FirstChildIndex : nextPart_; part != -1;) {
        const TKMLNode& node = Node(static_cast<size_t>(part));
        writer.WriteElement(node);
        part = node.NextSiblingIndex;
    }
    writer.Finish();
    return text;
}

size_t TKMLDocument::HeldBytes() const {
    return laidOut_.capacity() + store_.HeldBytes();
}

}  // namespace orvane
