#pragma once

#include <stdexcept>
#include <string>

namespace zelvorin {

// An SQLite failure: the result code and the message exactly as SQLite gave it.
class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }
    // The primary result code (SQLITE_CONSTRAINT for SQLITE_CONSTRAINT_CHECK, and so on).
    int primaryCode() const { return code_ & 0xFF; }

private:
    int code_;
};

}  // namespace zelvorin
