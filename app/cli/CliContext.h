#pragma once

#include <iosfwd>
#include <memory>

#include "app/AppEnvironment.h"

namespace zelvorin::cli {

// What every command gets: the streams and, created on first use, the application environment.
class CliContext {
public:
    CliContext(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    AppEnvironment& environment();

    bool json = false;  // --json: machine-readable output

private:
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<AppEnvironment> environment_;
};

}  // namespace zelvorin::cli
