#include "batch/refusaltext.h"

#include <new>
#include <system_error>

#include "session/property.h"

namespace lodra::batch {

std::string refusalText(const Error& error) {
    return standMessage(error);
}

const char* afterRow(const Error& error) {
    return error.status == Status::Refused ? ", " : ": ";
}

const char* abortReason() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "Minnet räckte inte till, så körningen avbröts.";
    } catch (const std::system_error&) {
        return "Systemet gav inte körningen de trådar eller det minne den behöver, så den "
               "avbröts.";
    } catch (...) {
        return "Körningen avbröts av ett oväntat fel.";
    }
}

}  // namespace lodra::batch
