#include "batch/refusaltext.h"

#include "session/property.h"

namespace lodra::batch {

std::string refusalText(const Error& error) {
    return standMessage(error);
}

const char* afterRow(const Error& error) {
    return error.status == Status::Refused ? ", " : ": ";
}

}  // namespace lodra::batch
