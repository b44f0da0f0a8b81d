// Saving under faults: a full disk, a folder removed between two saves, a folder that cannot
// be written, a file system mounted read-only. The desktop program's save and the batch
// tool report the fault, leave neither a partial file nor a temporary one, keep an earlier
// file of the same name whole, and save once the cause is mended.
//
// The small disk is a tmpfs mounted in a mount namespace of this test's own, so it vanishes
// with the process; the folder that cannot be written is made immutable (chattr +i), as
// permission bits do not stop the superuser. Where either is not possible (not root, no
// such file system) the test says so and is skipped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/resultfile.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

using testfiles::readFile;
using testfiles::writeFile;
const auto names = testfiles::fileNames;

// Makes the process's mounts its own, once. Empty on success, else why not.
std::string privateMounts() {
    static const std::string why = [] {
        if (::unshare(CLONE_NEWNS) != 0) {
            return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return std::string("making / private: ") + std::strerror(errno);
        }
        return std::string();
    }();
    return why;
}

// Sets or clears the immutable flag of a file or folder (chattr +i / -i).
bool setImmutable(const fs::path& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

class SaveFault : public ::testing::Test {
  protected:
    void SetUp() override {
        base = testfiles::newFolder("savefault");
        ASSERT_FALSE(base.empty());
        spool = base / "spool";
        fs::create_directory(spool);
    }
    void TearDown() override {
        if (immutable) {
            setImmutable(folder, false);
        }
        if (mounted) {
            ::umount2(folder.c_str(), MNT_DETACH);
        }
        fs::remove_all(base);
    }

    // A disk of 256 kB at base/disk, nearly filled by base/disk/fyllnad (which is removed
    // to mend it), leaving less room than a result of 100 kB needs.
    void fullDisk() {
        if (const std::string why = privateMounts(); !why.empty()) {
            GTEST_SKIP() << "no disk of our own can be mounted here (" << why << ")";
        }
        folder = base / "disk";
        fs::create_directory(folder);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") != 0) {
            GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
        }
        mounted = true;
        writeFile(folder / "fyllnad", std::string(200 * 1024, 'x'));
    }

    // Runs lodra05-batch in folder (spooling in base/spool); returns its exit status.
    int batch(const std::string& arguments) {
        const std::string command = "cd '" + folder.string() + "' && LC_ALL=C.UTF-8 TMPDIR='" +
                                    spool.string() + "' '" LODRA05_BATCH "' " + arguments + " >'" +
                                    (base / "out").string() + "' 2>'" + (base / "err").string() +
                                    "'";
        const int status = std::system(command.c_str());
        out = readFile(base / "out");
        err = readFile(base / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path base, folder, spool;
    bool mounted = false;
    bool immutable = false;
    std::string out, err;
    const std::string bytes = std::string(100 * 1024, 'r') + "\r\n";
};

TEST_F(SaveFault, FullDisk) {
    fullDisk();
    if (IsSkipped()) {
        return;
    }
    const std::string in = "\"" + folder.string() + "\"";
    writeFile(folder / "Result1.txt", "ett tidigare resultat\r\n");
    writeFile(folder / "ut.txt", "en tidigare fil\r\n");
    const std::vector<std::string> before = {"Result1.txt", "fyllnad", "ut.txt"};

    Result<std::string> r = saveNumberedResult(folder, bytes);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), "Kunde inte skriva resultatfilen i mappen " + in + ": disken är full.");
    const Result<> replaced = writeFileReplacing(folder / "ut.txt", bytes);
    EXPECT_FALSE(replaced.ok());
    EXPECT_EQ(replaced.message(),
              "Kunde inte skriva \"" + (folder / "ut.txt").string() + "\": disken är full.");
    EXPECT_EQ(names(folder), before);
    EXPECT_EQ(readFile(folder / "Result1.txt"), "ett tidigare resultat\r\n");
    EXPECT_EQ(readFile(folder / "ut.txt"), "en tidigare fil\r\n");

    fs::remove(folder / "fyllnad");
    r = saveNumberedResult(folder, bytes);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(*r, (folder / "Result2.txt").string());
    EXPECT_EQ(readFile(*r), bytes);
    EXPECT_EQ(names(folder), (std::vector<std::string>{"Result1.txt", "Result2.txt", "ut.txt"}));
}

TEST_F(SaveFault, FolderRemovedBetweenTwoSaves) {
    folder = base / "resultat";
    fs::create_directory(folder);
    Result<std::string> r = saveNumberedResult(folder, "första\r\n");
    ASSERT_TRUE(r.ok()) << r.message();
    fs::remove_all(folder);
    r = saveNumberedResult(folder, bytes);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), "Kunde inte skapa en fil i mappen \"" + folder.string() +
                               "\": mappen eller filen finns inte.");
    EXPECT_FALSE(fs::exists(folder));
    fs::create_directory(folder);
    r = saveNumberedResult(folder, bytes);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(*r, (folder / "Result1.txt").string());
    EXPECT_EQ(readFile(*r), bytes);
    EXPECT_EQ(names(folder), std::vector<std::string>{"Result1.txt"});
}

TEST_F(SaveFault, FolderThatCannotBeWritten) {
    folder = base / "lasbar";
    fs::create_directory(folder);
    writeFile(folder / "Result1.txt", "ett tidigare resultat\r\n");
    if (!setImmutable(folder, true)) {
        GTEST_SKIP() << "the file system of " << base << " cannot make a folder immutable";
    }
    immutable = true;
    const std::string in = "\"" + folder.string() + "\"";
    Result<std::string> r = saveNumberedResult(folder, bytes);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), "Kunde inte skapa en fil i mappen " + in + ": behörighet saknas.");
    EXPECT_EQ(batch("--output ut.txt --table tabell.csv '" LODRA05_TEST_DATA "/default.csv'"), 2);
    EXPECT_EQ(err, "lodra05-batch: Kunde inte skapa en fil i mappen \".\": behörighet saknas.\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(batch("'" LODRA05_TEST_DATA "/default.csv'"), 2);
    EXPECT_EQ(err,
              "lodra05-batch: Kunde inte skapa en fil i mappen " + in + ": behörighet saknas.\n");
    EXPECT_EQ(names(folder), std::vector<std::string>{"Result1.txt"});
    EXPECT_EQ(names(spool), std::vector<std::string>{});

    ASSERT_TRUE(setImmutable(folder, false));
    immutable = false;
    r = saveNumberedResult(folder, bytes);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(*r, (folder / "Result2.txt").string());
    EXPECT_EQ(batch("'" LODRA05_TEST_DATA "/default.csv'"), 0) << err;
    EXPECT_EQ(out,
              "Resultatet sparades i följande fil:\n" + (folder / "Result3.txt").string() + "\n");
    EXPECT_EQ(readFile(folder / "Result3.txt"), readFile(LODRA05_TEST_DATA "/default.dot.txt"));
}

TEST_F(SaveFault, ReadOnlyFileSystem) {
    fullDisk();
    if (IsSkipped()) {
        return;
    }
    fs::remove(folder / "fyllnad");
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
    Result<std::string> r = saveNumberedResult(folder, bytes);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), "Kunde inte skapa en fil i mappen \"" + folder.string() +
                               "\": filsystemet är skrivskyddat.");
    EXPECT_EQ(names(folder), std::vector<std::string>{});
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT, nullptr), 0)
        << std::strerror(errno);
    r = saveNumberedResult(folder, bytes);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(names(folder), std::vector<std::string>{"Result1.txt"});
}

// A register whose result (about 2.6 kB a stand) does not fit on the nearly full disk.
TEST_F(SaveFault, BatchToolOnAFullDisk) {
    fullDisk();
    if (IsSkipped()) {
        return;
    }
    // More result text than the full disk holds even when only the result texts are spooled.
    std::string stands = "totaltid\n";
    for (int i = 0; i < 80; ++i) {
        stands += "250\n";
    }
    writeFile(base / "register.csv", stands);
    writeFile(folder / "ut.txt", "en tidigare fil\r\n");
    const std::string reg = "'" + (base / "register.csv").string() + "'";
    const std::vector<std::string> before = {"fyllnad", "ut.txt"};
    const std::string in = "\"" + folder.string() + "\"";

    EXPECT_EQ(batch(reg), 2);
    EXPECT_EQ(err, "lodra05-batch: Kunde inte skriva resultatfilen i mappen " + in +
                       ": disken är full.\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(names(folder), before);
    EXPECT_EQ(batch("--output ut.txt " + reg), 2);
    EXPECT_EQ(err, "lodra05-batch: Kunde inte skriva \"ut.txt\": disken är full.\n");
    EXPECT_EQ(names(folder), before);
    EXPECT_EQ(readFile(folder / "ut.txt"), "en tidigare fil\r\n");

    // The spool on the full disk instead of the result.
    spool = folder;
    EXPECT_EQ(batch("--output '" + (base / "ut.txt").string() + "' " + reg), 2);
    EXPECT_EQ(err, "lodra05-batch: Kunde inte skriva en tillfällig fil i mappen " + in +
                       ": disken är full.\n");
    EXPECT_EQ(names(folder), before);
    EXPECT_FALSE(fs::exists(base / "ut.txt"));
    spool = base / "spool";
    EXPECT_EQ(names(spool), std::vector<std::string>{});

    fs::remove(folder / "fyllnad");
    ASSERT_EQ(batch("--output - " + reg), 0) << err;
    const std::string expected = out;
    EXPECT_EQ(batch(reg), 0) << err;
    EXPECT_EQ(out,
              "Resultatet sparades i följande fil:\n" + (folder / "Result1.txt").string() + "\n");
    EXPECT_EQ(readFile(folder / "Result1.txt"), expected);
    EXPECT_EQ(batch("--output ut.txt " + reg), 0) << err;
    EXPECT_EQ(readFile(folder / "ut.txt"), expected);
    EXPECT_EQ(names(folder), (std::vector<std::string>{"Result1.txt", "ut.txt"}));
}

// Exit status 2 promises that no file was written: the table is completed before the
// result is put in place or written on standard output.
TEST_F(SaveFault, BatchToolWritesNoResultWhenTheTableDoesNotFit) {
    fullDisk();
    if (IsSkipped()) {
        return;
    }
    writeFile(base / "register.csv", "totaltid\n250\n");
    const std::string reg = "'" + (base / "register.csv").string() + "'";
    writeFile(folder / "fyllnad2", std::string(64 * 1024, 'x'));  // not a byte of room left
    EXPECT_EQ(batch("--output '" + (base / "ut.txt").string() + "' --table tabell.csv " + reg), 2);
    EXPECT_EQ(err, "lodra05-batch: Kunde inte skriva \"tabell.csv\": disken är full.\n");
    EXPECT_FALSE(fs::exists(base / "ut.txt"));
    EXPECT_EQ(batch("--output - --table tabell.csv " + reg), 2);
    EXPECT_EQ(err, "lodra05-batch: Kunde inte skriva \"tabell.csv\": disken är full.\n");
    EXPECT_TRUE(out.empty()) << out.size() << " bytes on standard output";
    EXPECT_EQ(names(folder), (std::vector<std::string>{"fyllnad", "fyllnad2"}));
}

}  // namespace
}  // namespace lodra
