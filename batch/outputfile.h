#pragma once

// Files the batch tool writes: none of them is ever seen half-written. The result file and
// the table go to a temporary file in their destination folder and get their real name
// only when complete; the texts of a long run wait in spool files that have no name at all.

#include <string>
#include <string_view>

namespace lodra::batch {

// A system error number in Swedish words ("disken är full").
std::string systemErrorText(int error);

// Buffered writing to a file descriptor; remembers the first error.
class FdWriter {
  public:
    explicit FdWriter(int fd = -1) : fd_(fd) {}
    bool write(std::string_view bytes);
    bool flush();
    int error() const { return error_; }
    int fd() const { return fd_; }
    void setFd(int fd) { fd_ = fd; }

  private:
    int fd_;
    int error_ = 0;
    std::string buffer_;
};

// A file created under a temporary name in the folder it will end up in.
class PendingFile {
  public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() { discard(); }

    // Creates the temporary file; on failure message says why, naming the folder.
    bool create(const std::string& folder, std::string& message);
    bool write(std::string_view bytes) { return writer_.write(bytes); }
    FdWriter& writer() { return writer_; }

    // Puts the complete file in place under path, replacing a file of that name.
    bool commitReplacing(const std::string& path, std::string& message);
    // Puts the complete file in place as the folder's next free "Result" + N + ".txt",
    // never replacing a file, and sets path to it.
    bool commitNumbered(std::string& path, std::string& message);
    // Removes the temporary file, if it is still there.
    void discard();

  private:
    bool finish(const std::string& what, std::string& message);

    std::string folder_;
    std::string tempPath_;
    int signalSlot_ = -1;
    FdWriter writer_;
};

// An unnamed temporary file (in TMPDIR, else /tmp) that is written once and read back.
class SpoolFile {
  public:
    SpoolFile() = default;
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;
    ~SpoolFile();

    bool create(std::string& message);
    bool write(std::string_view bytes) { return writer_.write(bytes); }
    bool flush() { return writer_.flush(); }
    int error() const { return writer_.error(); }
    const std::string& folder() const { return folder_; }
    // Copies everything written so far to out. False when reading the spool or writing
    // out fails (then out.error() or error() tells which).
    bool copyTo(FdWriter& out);

  private:
    FdWriter writer_;
    std::string folder_;
};

// Makes an interrupt, hangup or termination remove the temporary files of PendingFile
// objects before the program ends.
void removeTemporaryFilesOnSignals();

// The folder part of a path ("." for a bare file name).
std::string folderOf(const std::string& path);

}  // namespace lodra::batch
