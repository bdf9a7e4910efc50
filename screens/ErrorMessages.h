#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "api-client/APIError.h"
#include "api-client/HandoffAuthenticator.h"
#include "intelligence/ExtractionError.h"
#include "intelligence/LanguageModelInvoiceStructurer.h"
#include "layout/LayoutError.h"
#include "persistence/PersistenceError.h"
#include "screens/InputError.h"
#include "sync/SyncError.h"

namespace zelvorin {

// An error that is none of the subsystems' own: a bug or a library's exception.
enum class UnexpectedError { unexpected };

// Every kind of error a screen or the command line can meet, one closed set per subsystem.
using ErrorKind = std::variant<PersistenceError::Kind, APIError::Kind, TransportError::Kind,
                               HandoffError::Kind, SyncError::Kind, LayoutError::Kind, ExtractionError::Kind,
                               LanguageModelError::Kind, InputError::Kind, UnexpectedError>;

// An error as its kind and the Dutch (or, from a library, verbatim) detail it carried.
struct ClassifiedError {
    ErrorKind kind;
    std::string detail;
};

// The exception in flight (call inside a catch block), as one of the kinds; an exception of no
// subsystem is `unexpected` with its what().
ClassifiedError classifyCurrentException();

// The one table of what a person is told: the text of each kind, in which "{}" stands for the
// detail. Empty only for a kind without an entry, which a test forbids.
std::string_view messageFormat(const ErrorKind& kind);
// The text of the table with the detail put in.
std::string errorMessage(const ClassifiedError& error);
// `format` with its "{}" replaced by `detail`.
std::string withDetail(std::string_view format, const std::string& detail);
// Every kind of every subsystem, for the tests that check the tables are complete.
std::vector<ErrorKind> allErrorKinds();

}  // namespace zelvorin
