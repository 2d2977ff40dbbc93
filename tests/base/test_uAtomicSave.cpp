#include "base/uAtomicSave.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string_view>
#include <unistd.h>

using namespace kelani;
namespace fs = std::filesystem;

namespace {

void Save(const fs::path& path, std::string_view text) {
    SaveFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

long FilesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
}

// The failure a save of `path` reports, with the name it was asked for.
TSaveFailure FailureOf(const fs::path& path) {
    try {
        Save(path, "new");
    } catch (const EFileSaveError& error) {
        EXPECT_EQ(error.FileName(), path);
        return error.Failure();
    }
    ADD_FAILURE() << path << " was saved";
    return TSaveFailure::Other;
}

} // namespace

TEST(AtomicSave, ReplacesTheFileAndLeavesNoTemporaryFiles) {
    test::TempFolder folder;
    const fs::path path = folder.File("hs4.dat");
    Save(path, "old image");
    Save(path, "new");
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(FilesIn(folder.Path()), 1);
}

TEST(AtomicSave, AFolderOrAMissingFolderIsReportedAndTheOldFileKept) {
    test::TempFolder folder;
    const fs::path path = folder.File("game.kel");
    Save(path, "precious");
    fs::create_directory(folder.File("sub.kel"));
    EXPECT_EQ(FailureOf(folder.File("sub.kel")), TSaveFailure::IsFolder);
    EXPECT_EQ(FailureOf(folder.File("missing/x.kel")), TSaveFailure::FolderRefuses);
    EXPECT_EQ(ReadFile(path), "precious");
    EXPECT_EQ(FilesIn(folder.Path()), 2);
}

TEST(AtomicSave, AReadOnlyFolderRefusesTheTemporaryFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    test::TempFolder folder;
    const fs::path path = folder.File("hs5.dat");
    Save(path, "table");
    fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(FailureOf(path), TSaveFailure::FolderRefuses);
    fs::permissions(folder.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(path), "table");
}

TEST(AtomicSave, RefusesAReadOnlyFileAndKeepsTheModeOfAWritableOne) {
    test::TempFolder folder;
    const fs::path readOnly = folder.File("game.kel");
    Save(readOnly, "kept");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Also as root, who passes every access check: a file without a write bit is not replaced.
    EXPECT_EQ(FailureOf(readOnly), TSaveFailure::ReadOnly);
    EXPECT_EQ(ReadFile(readOnly), "kept");
    EXPECT_EQ(fs::status(readOnly).permissions() & fs::perms::all, fs::perms(0444));

    const fs::path shared = folder.File("hs5.dat");
    Save(shared, "old");
    fs::permissions(shared, fs::perms(0640));
    Save(shared, "new");
    EXPECT_EQ(ReadFile(shared), "new");
    EXPECT_EQ(fs::status(shared).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(FilesIn(folder.Path()), 2); // no temporary file left
}

TEST(AtomicSave, WritesThroughASymbolicLink) {
    test::TempFolder folder;
    fs::create_directory(folder.File("real"));
    const fs::path target = folder.File("real/game.kel");
    Save(target, "old");
    fs::create_symlink(fs::path("real") / "game.kel", folder.File("link.kel"));
    Save(folder.File("link.kel"), "new");
    EXPECT_TRUE(fs::is_symlink(folder.File("link.kel")));
    EXPECT_EQ(ReadFile(target), "new");
    // A dangling link creates its target.
    fs::create_symlink(fs::path("real") / "later.kel", folder.File("dangling.kel"));
    Save(folder.File("dangling.kel"), "made");
    EXPECT_TRUE(fs::is_symlink(folder.File("dangling.kel")));
    EXPECT_EQ(ReadFile(folder.File("real/later.kel")), "made");
    // A read-only target is refused through its link as well, and named by the link.
    fs::permissions(target, fs::perms(0444));
    EXPECT_EQ(FailureOf(folder.File("link.kel")), TSaveFailure::ReadOnly);
    EXPECT_EQ(ReadFile(target), "new");
}
