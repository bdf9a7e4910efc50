#pragma once

#include <filesystem>

#include "app/AppPaths.h"

namespace zelvorin {

// Throwing a session's local data away without ever leaving half of it: the database with its
// companions, the pending-upload folder, the widget snapshot and the organisation's fonts.
//
//   prepare (constructor): a fresh, migrated, closed database is written beside the old one as
//       zelvorin.sqlite.fresh. This is the only step that needs disk space; when it fails
//       (full disk, read-only folder) it throws and nothing of the old session has changed.
//   commit(): with the old database closed, its -wal and -shm are removed and the fresh file is
//       renamed over it (one atomic step), then the session's folders are renamed away and
//       deleted. Every step is a rename or an unlink, which a full disk does not refuse.
//   destroyed uncommitted: the fresh file is removed again; the old session stays as it was.
class LocalDataReset {
public:
    explicit LocalDataReset(AppPaths paths);
    ~LocalDataReset();
    LocalDataReset(const LocalDataReset&) = delete;
    LocalDataReset& operator=(const LocalDataReset&) = delete;

    // The old database must be closed (no connection of this process left on it).
    void commit();

    // Removes what an interrupted reset left behind (a staged database, folders renamed away).
    static void removeLeftovers(const AppPaths& paths);

private:
    AppPaths paths_;
    std::filesystem::path staged_;
    bool committed_ = false;
};

}  // namespace zelvorin
