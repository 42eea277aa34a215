#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "TestFiles.h"
#include "common/Encoding.h"
#include "common/SafeFile.h"
#include "common/TemporaryFiles.h"

using namespace orvane;

namespace {

bool Write(const std::string& path, const std::string& bytes) {
    AtomicFileWriter writer(path);
    writer.Write(bytes);
    return writer.Commit();
}

mode_t PermissionsOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

}  // namespace

TEST(AtomicFileWriter, WritesThroughSymbolicLinksAndKeepsPermissions) {
    test::TempDir dir;
    test::WriteBytes(dir.File("target.kml"), "old");
    ::chmod(dir.File("target.kml").c_str(), 0640);
    std::filesystem::create_symlink("target.kml", dir.File("link.kml"));
    std::filesystem::create_symlink("sub/new.kml", dir.File("dangling.kml"));
    std::filesystem::create_directory(dir.path() / "sub");

    EXPECT_TRUE(Write(dir.File("link.kml"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.kml")));
    EXPECT_EQ(test::ReadBytes(dir.File("target.kml")), "new");
    EXPECT_EQ(PermissionsOf(dir.File("target.kml")), 0640u);
    EXPECT_TRUE(Write(dir.File("dangling.kml"), "created"));
    EXPECT_EQ(test::ReadBytes(dir.File("sub/new.kml")), "created");
    EXPECT_EQ(dir.EntryCount(), 4u) << "no temporary file is left";
}

TEST(AtomicFileWriter, RefusesWhatIsNoFileToReplace) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder.kml");
    ASSERT_EQ(::mkfifo(dir.File("pipe.kml").c_str(), 0644), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir.File("folder.kml"), "the output file is a folder"},
        {dir.File("pipe.kml"), "the output file is a named pipe"},
        {"/dev/null", "the output file is a device"}};
    for (const auto& [path, refusal] : cases) {
        EXPECT_EQ(OutputRefusal(path).value_or("none"), refusal);
        AtomicFileWriter writer(path);
        EXPECT_FALSE(writer.ok()) << path;
        writer.Write("x");
        EXPECT_FALSE(writer.Commit()) << path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.kml")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe.kml")));
    EXPECT_EQ(OutputRefusal(dir.File("new.kml")), std::nullopt);
    EXPECT_EQ(dir.EntryCount(), 2u);
}

TEST(AtomicFileWriter, NamesItsTemporaryFileWithinTheNameLimit) {
    test::TempDir dir;
    // 255 bytes, the most a name may have; in Chinese, so that a cut could split a character.
    std::string name;
    while (name.size() + 3 <= 251) {
        name += "测";
    }
    name += std::string(251 - name.size(), 'x') + ".kml";
    ASSERT_EQ(name.size(), 255u);
    AtomicFileWriter writer(dir.File(name));
    ASSERT_TRUE(writer.ok());
    const std::string temporary = std::filesystem::path(writer.temporaryPath()).filename();
    EXPECT_LE(temporary.size(), 255u);
    EXPECT_TRUE(temporary.starts_with(".测测"));
    EXPECT_TRUE(temporary.ends_with(kTemporaryFileSuffix)) << temporary;
    EXPECT_TRUE(IsValidUtf8(temporary));
    writer.Write("kml");
    EXPECT_TRUE(writer.Commit());
    EXPECT_EQ(test::ReadBytes(dir.File(name)), "kml");
}

namespace {

// In a child process: a writer with a megabyte written, then the signal.
[[noreturn]] void WriteThenRaise(const std::string& path, int signal) {
    RemoveTemporaryFilesOnSignals();
    AtomicFileWriter writer(path);
    writer.Write(std::string(1 << 20, 'x'));
    writer.Flush();
    std::raise(signal);
    std::_Exit(2);
}

// In a child process limited to 64 KiB a file: exit status 0 when the write failed.
[[noreturn]] void WriteOverTheSizeLimit(const std::string& path) {
    RemoveTemporaryFilesOnSignals();
    const rlimit limit{1 << 16, 1 << 16};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    AtomicFileWriter writer(path);
    writer.Write(std::string(1 << 20, 'x'));
    std::_Exit(writer.Commit() ? 1 : 0);
}

}  // namespace

TEST(AtomicFileWriterDeathTest, LeavesNoTemporaryFileWhenASignalOrTheSizeLimitStopsIt) {
    test::TempDir dir;
    const std::string path = dir.File("out.kml");
    test::WriteBytes(path, "kept");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(WriteThenRaise(path, signal), ::testing::KilledBySignal(signal), "");
    }
    // A file-size limit fails the write instead of ending the process.
    EXPECT_EXIT(WriteOverTheSizeLimit(path), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::ReadBytes(path), "kept");
    EXPECT_EQ(dir.EntryCount(), 1u) << "no temporary file is left";
}
