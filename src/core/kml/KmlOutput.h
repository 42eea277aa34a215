#pragma once

// Where a KML document's bytes go as they are laid out: a KML file, or a KMZ archive that
// holds them as doc.kml. Both replace their target only when committed. Files the document
// refers to (icons) go beside a KML file and under files/ in a KMZ archive.

#include <memory>
#include <string>
#include <string_view>

namespace orvane {

class KmlOutput {
  public:
    virtual ~KmlOutput() = default;
    // False once anything failed; the target is then left as it was.
    virtual bool ok() const = 0;
    virtual void Write(std::string_view bytes) = 0;
    // A file the document refers to as KmlFileReference(target, name); written on commit.
    virtual void AddFile(std::string name, std::string bytes) = 0;
    // Completes the file and puts it in place of the target; true on success. Without a
    // commit, destruction leaves the target untouched and no temporary file behind.
    virtual bool Commit() = 0;
};

// True for a path ending in ".kmz", in any letter case.
bool IsKmzPath(std::string_view path);

// How a document at `path` refers to a file added to its output: "files/NAME" inside a KMZ
// archive, "NAME" beside a KML file.
std::string KmlFileReference(std::string_view path, std::string_view name);

// A KMZ archive for a .kmz path, a KML file for any other.
std::unique_ptr<KmlOutput> OpenKmlOutput(const std::string& path);

}  // namespace orvane
