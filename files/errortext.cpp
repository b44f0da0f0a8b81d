#include "files/errortext.h"

#include <cerrno>

namespace lodra {

std::string systemErrorText(int error) {
    static constexpr struct {
        int error;
        const char* text;
    } kTexts[] = {
        {EACCES, "behörighet saknas"},
        {EPERM, "behörighet saknas"},
        {ENOENT, "mappen eller filen finns inte"},
        {ENOTDIR, "en del av sökvägen är ingen mapp"},
        {EISDIR, "det är en mapp"},
        {EEXIST, "det finns redan en fil med det namnet"},
        {ENOSPC, "disken är full"},
        {EDQUOT, "diskkvoten är slut"},
        {EROFS, "filsystemet är skrivskyddat"},
        {EBUSY, "filen eller enheten används av systemet"},
        {EMFILE, "programmet har för många filer öppna"},
        {ENFILE, "systemet har för många filer öppna"},
        {ENAMETOOLONG, "sökvägen är för lång"},
        {ELOOP, "för många symboliska länkar i sökvägen"},
        {EXDEV, "filerna ligger i olika filsystem"},
        {EIO, "in- eller utmatningsfel"},
        {EFBIG, "filen blir större än tillåtet"},
        {ETXTBSY, "filen är ett program som körs"},
        {EINVAL, "filen går inte att använda så"},
        {ENOMEM, "minnet räcker inte"},
        {EAGAIN, "filen är tillfälligt upptagen, försök igen"},
        {EPIPE, "mottagaren har slutat läsa"},
        {EBADF, "filen är stängd"},
        {ENXIO, "ingen läser i andra änden"},
        {EMLINK, "filen har för många länkar"},
        {ENOTEMPTY, "mappen är inte tom"},
    };
    for (const auto& entry : kTexts) {
        if (entry.error == error) {
            return entry.text;
        }
    }
    return "systemfel nummer " + std::to_string(error);
}

Error systemFailure(const std::string& action, const std::string& what, int error) {
    return fail("Kunde inte " + action + " " + what + ": " + systemErrorText(error) + ".");
}

}  // namespace lodra
