#pragma once

// Files written so that none is ever seen half-written: the bytes go to a temporary file in
// the destination folder, which gets its real name only when complete.

#include <string>
#include <string_view>

namespace lodra {

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

    // Writes out everything and closes the temporary file, so that a full disk shows
    // before any file is put in place; what names the file in the message. The commits
    // below finish the file themselves when it was not finished before.
    bool finish(const std::string& what, std::string& message);

    // Puts the complete file in place under path, replacing a file of that name.
    bool commitReplacing(const std::string& path, std::string& message);
    // Puts the complete file in place as the folder's next free "Result" + N + ".txt",
    // never replacing a file (a name taken meanwhile makes it try the next), and sets path.
    bool commitNumbered(std::string& path, std::string& message);
    // Removes the temporary file, if it is still there.
    void discard();

  private:
    std::string folder_;
    std::string tempPath_;
    int signalSlot_ = -1;
    FdWriter writer_;
};

// Makes an interrupt, hangup or termination remove the temporary files of PendingFile
// objects before the program ends.
void removeTemporaryFilesOnSignals();

// The folder part of a path ("." for a bare file name).
std::string folderOf(const std::string& path);

}  // namespace lodra
