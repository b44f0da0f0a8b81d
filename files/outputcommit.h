#pragma once

// Several files put in place as one: every complete file gets its name, and a file it
// replaces is kept under a hidden name in its folder until all of them are in place. When a
// step fails, every name is put back as it was, so that either all of the files are in
// place or none is and nothing else changed.

#include <functional>
#include <string>
#include <vector>

#include "base/result.h"
#include "files/pendingfile.h"

namespace lodra {

class OutputCommit {
  public:
    explicit OutputCommit(StepSeam seam = {}) : seam_(std::move(seam)) {}
    OutputCommit(const OutputCommit&) = delete;
    OutputCommit& operator=(const OutputCommit&) = delete;
    // Without done(): undo().
    ~OutputCommit();

    // Puts the finished file in place under path, replacing a regular file there, whose
    // present version is kept until done().
    Result<> replace(PendingFile& file, const std::string& path);
    // The name to try after one that another program took first.
    using NextName = std::function<Result<std::string>()>;
    // Gives the finished file the name path, which nothing may have. When something else
    // takes that name first and next is given, the file gets the first free one of the names
    // next gives in turn; path becomes the name it got.
    Result<> create(PendingFile& file, std::string& path, const NextName& next = {});
    // Every file is in place: the kept versions are dropped.
    void done();
    // Puts back every version kept and removes every file created.
    void undo();

  private:
    struct Placed {
        int folder = -1;       // the folder, open (a copy of the file's), for the calls in it
        std::string name;      // the file's name in it
        std::string previous;  // the hidden name of the version it replaced; empty: none
        int lock = -1;         // the replaced version, open and locked while it is kept
    };
    int step() const { return seam_ ? seam_() : 0; }
    // Links the present version of the name in the folder to a hidden name, locked: the
    // name, empty when there is no such file, or the error number.
    int keepPrevious(int folder, const std::string& name, std::string& kept, int& lock);
    // Closes what placed holds open.
    static void release(Placed& placed);

    StepSeam seam_;
    std::vector<Placed> placed_;
    bool done_ = false;
};

}  // namespace lodra
