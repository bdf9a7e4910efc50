#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "service/http/ServiceError.h"

namespace zelvorin::service {

// How an error kind is answered: the HTTP status and the Dutch text used when the error brings
// none of its own.
struct ErrorAnswer {
    ErrorKind kind;
    int status;
    std::string_view fallbackText;
};

// The table itself, one entry per kind.
std::span<const ErrorAnswer> errorAnswers();
// The entry of `kind`; nothing when the table misses it (a test guards against that).
std::optional<ErrorAnswer> errorAnswer(ErrorKind kind);

// The Dutch text for a status that no handler explained (a status a test's fault switch sends, a
// request the HTTP library refused before routing): the text of the kind with that status, else a
// generic one.
std::string_view fallbackTextForStatus(int status);

}  // namespace zelvorin::service
