#include "kml/KmlOutput.h"

// minizip writes the archive because it takes the data as the program produces it (libzip
// pulls an entry's data only when the archive is closed, so the whole document would have to
// wait in memory or in a second file). The entry's deflate data is made here, on every core,
// and handed to minizip as raw data.
#include <minizip/zip.h>
#include <zlib.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "common/ParallelDeflate.h"
#include "common/SafeFile.h"

namespace orvane {

namespace {

using AddedFiles = std::vector<std::pair<std::string, std::string>>;

class KmlFileOutput : public KmlOutput {
  public:
    explicit KmlFileOutput(const std::string& path) : path_(path), file_(path) {}
    bool ok() const override { return file_.ok(); }
    void Write(std::string_view bytes) override { file_.Write(bytes); }
    void AddFile(std::string name, std::string bytes) override {
        files_.emplace_back(std::move(name), std::move(bytes));
    }
    // The files beside it first, so that a document in place never lacks them.
    bool Commit() override {
        for (const auto& [name, bytes] : files_) {
            AtomicFileWriter beside((std::filesystem::path(path_).parent_path() / name).string());
            beside.Write(bytes);
            if (!beside.Commit()) {
                return false;
            }
        }
        return file_.Commit();
    }

  private:
    std::string path_;
    AtomicFileWriter file_;
    AddedFiles files_;
};

// minizip's file interface over the atomic file writer: minizip appends, and seeks back once
// to complete the entry's local header.
class ZipFileAccess {
  public:
    explicit ZipFileAccess(AtomicFileWriter& file) : file_(file) {
        functions_.zopen64_file = &Open;
        functions_.zwrite_file = &WriteAt;
        functions_.ztell64_file = &Tell;
        functions_.zseek64_file = &Seek;
        functions_.zclose_file = &Close;
        functions_.zerror_file = &Error;
        functions_.opaque = this;
    }
    ZipFileAccess(const ZipFileAccess&) = delete;
    ZipFileAccess& operator=(const ZipFileAccess&) = delete;

    zlib_filefunc64_def* functions() { return &functions_; }

  private:
    static ZipFileAccess& Of(voidpf opaque) { return *static_cast<ZipFileAccess*>(opaque); }

    static voidpf Open(voidpf opaque, const void*, int) { return opaque; }

    static uLong WriteAt(voidpf opaque, voidpf, const void* data, uLong size) {
        ZipFileAccess& access = Of(opaque);
        const std::string_view bytes(static_cast<const char*>(data), size);
        if (access.position_ == access.file_.size()) {
            access.file_.Write(bytes);
        } else {
            access.file_.Overwrite(access.position_, bytes);
        }
        access.position_ += size;
        return access.file_.ok() ? size : 0;
    }

    static ZPOS64_T Tell(voidpf opaque, voidpf) { return Of(opaque).position_; }

    static long Seek(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
        ZipFileAccess& access = Of(opaque);
        switch (origin) {
            case ZLIB_FILEFUNC_SEEK_SET:
                access.position_ = offset;
                break;
            case ZLIB_FILEFUNC_SEEK_CUR:
                access.position_ += offset;
                break;
            case ZLIB_FILEFUNC_SEEK_END:
                access.position_ = access.file_.size() + offset;
                break;
            default:
                return -1;
        }
        return access.position_ <= access.file_.size() ? 0 : -1;
    }

    static int Close(voidpf, voidpf) { return 0; }
    static int Error(voidpf opaque, voidpf) { return Of(opaque).file_.ok() ? 0 : 1; }

    AtomicFileWriter& file_;
    ZPOS64_T position_ = 0;
    zlib_filefunc64_def functions_{};
};

zip_fileinfo EntryInfoNow() {
    zip_fileinfo info{};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    return info;
}

// A zip archive whose one entry, doc.kml, is the document. Deflate level 1: KML repeats
// itself so much that the fastest level already gives a twentieth of the size.
class KmzOutput : public KmlOutput {
  public:
    explicit KmzOutput(const std::string& path)
        : file_(path),
          access_(file_),
          deflate_(kLevel, [this](std::string_view compressed) { return Append(compressed); }) {
        if (!file_.ok()) {
            return;
        }
        zip_ = zipOpen2_64(nullptr, APPEND_STATUS_CREATE, nullptr, access_.functions());
        const zip_fileinfo info = EntryInfoNow();
        ok_ = zip_ != nullptr && zipOpenNewFileInZip2(zip_, "doc.kml", &info, nullptr, 0, nullptr,
                                                      0, nullptr, Z_DEFLATED, kLevel, 1) == ZIP_OK;
    }

    ~KmzOutput() override {
        if (zip_ != nullptr) {
            zipClose(zip_, nullptr);  // frees minizip's state; the file is discarded anyway
        }
    }

    bool ok() const override { return ok_ && file_.ok(); }

    void AddFile(std::string name, std::string bytes) override {
        files_.emplace_back(std::move(name), std::move(bytes));
    }

    void Write(std::string_view bytes) override {
        // Without the zip64 extension an entry ends short of 4 GiB: an archive that every
        // reader opens is worth more than documents that large, which fail here early.
        ok_ = ok_ && deflate_.InputSize() + bytes.size() < kMaxEntrySize;
        if (ok_) {
            deflate_.Write(bytes);
        }
    }

    bool Commit() override {
        if (!ok_ || !deflate_.Finish()) {
            return false;
        }
        bool closed =
            zipCloseFileInZipRaw64(zip_, deflate_.InputSize(), deflate_.Crc32()) == ZIP_OK;
        for (const auto& [name, bytes] : files_) {
            closed = closed && AddEntry(KmlFileReference("doc.kmz", name), bytes);
        }
        closed = zipClose(zip_, nullptr) == ZIP_OK && closed;
        zip_ = nullptr;
        return closed && file_.Commit();
    }

  private:
    static constexpr int kLevel = 1;
    static constexpr std::uint64_t kMaxEntrySize = 0xFFFFFFFF;

    // A small entry, deflated by minizip itself.
    bool AddEntry(const std::string& name, std::string_view bytes) {
        const zip_fileinfo info = EntryInfoNow();
        return zipOpenNewFileInZip(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                   Z_DEFLATED, Z_BEST_COMPRESSION) == ZIP_OK &&
               zipWriteInFileInZip(zip_, bytes.data(), static_cast<unsigned>(bytes.size())) ==
                   ZIP_OK &&
               zipCloseFileInZip(zip_) == ZIP_OK;
    }

    bool Append(std::string_view compressed) {
        while (ok_ && !compressed.empty()) {
            const auto piece = static_cast<unsigned>(
                std::min<size_t>(compressed.size(), std::numeric_limits<unsigned>::max()));
            ok_ = zipWriteInFileInZip(zip_, compressed.data(), piece) == ZIP_OK;
            compressed.remove_prefix(piece);
        }
        return ok_;
    }

    AtomicFileWriter file_;
    ZipFileAccess access_;
    zipFile zip_ = nullptr;
    bool ok_ = false;
    AddedFiles files_;
    ParallelDeflate deflate_;  // last: its workers stop before the archive goes
};

}  // namespace

bool IsKmzPath(std::string_view path) {
    constexpr std::string_view kSuffix = ".kmz";
    return path.size() >= kSuffix.size() &&
           std::equal(
               kSuffix.begin(), kSuffix.end(), path.end() - kSuffix.size(),
               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::string KmlFileReference(std::string_view path, std::string_view name) {
    std::string reference = IsKmzPath(path) ? "files/" : "";
    reference += name;
    return reference;
}

std::unique_ptr<KmlOutput> OpenKmlOutput(const std::string& path) {
    if (IsKmzPath(path)) {
        return std::make_unique<KmzOutput>(path);
    }
    return std::make_unique<KmlFileOutput>(path);
}

}  // namespace orvane
