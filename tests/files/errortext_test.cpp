// The system's error numbers in Swedish: one sentence each, never the system's own text.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "files/errortext.h"

namespace lodra {
namespace {

TEST(SystemErrorText, EveryErrorInSwedish) {
    const struct {
        int error;
        const char* text;
    } cases[] = {
        {EBUSY, "filen eller enheten används av systemet"},
        {EMFILE, "programmet har för många filer öppna"},
        {ENFILE, "systemet har för många filer öppna"},
        {ENOSPC, "disken är full"},
        {EXDEV, "filerna ligger i olika filsystem"},
        {ENOMEM, "minnet räcker inte"},
        {EHOSTDOWN, "systemfel nummer 112"},
        {0, "systemfel nummer 0"},
        {-3, "systemfel nummer -3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(systemErrorText(c.error), c.text);
    }
    EXPECT_EQ(systemFailure("spara", "\"r.txt\"", EBUSY).message,
              "Kunde inte spara \"r.txt\": filen eller enheten används av systemet.");
    // Every error a file operation meets has words of its own.
    const int common[] = {EACCES, EPERM,   ENOENT, ENOTDIR, EISDIR,       EEXIST, ENOSPC, EDQUOT,
                          EROFS,  EBUSY,   EMFILE, ENFILE,  ENAMETOOLONG, ELOOP,  EXDEV,  EIO,
                          EFBIG,  ETXTBSY, EINVAL, ENOMEM,  EAGAIN,       EPIPE};
    std::set<std::string> texts;
    for (const int error : common) {
        const std::string text = systemErrorText(error);
        EXPECT_EQ(text.find("systemfel"), std::string::npos) << error;
        EXPECT_NE(text, std::strerror(error)) << error;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(common) - 1);  // EACCES and EPERM read alike
}

}  // namespace
}  // namespace lodra
