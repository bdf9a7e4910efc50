#pragma once

#include <optional>

#include "persistence/PersistenceError.h"

namespace zelvorin::testing {

// The kind of the PersistenceError that `action` throws; nothing when it throws none.
template <class Action>
std::optional<PersistenceError::Kind> thrownKind(Action&& action) {
    try {
        action();
    } catch (const PersistenceError& error) {
        return error.kind();
    }
    return std::nullopt;
}

}  // namespace zelvorin::testing
