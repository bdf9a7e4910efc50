#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "layout/FontSet.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The faces an organisation uploaded, as the layout loads them for the invoices the service draws.
//
// The layout reads a face from a file, so each stored font is copied once to
// <data directory>/font-cache/<organisation>/<font id>.<ext>; a font's id is new with every
// upload, so a copy under it never goes stale. Every organisation gets a FontSet of its own that
// holds only its faces: a family one organisation uploaded is unknown to another's render, even
// when both draw at the same moment. A set is kept while the organisation's list of fonts stays the
// same (faces stay loaded between renders); a render holds its set, so a newer one never takes it
// away mid-drawing. A face whose file cannot be written is left out: the text prints in the
// installed or the layout's own face, as on a device that could not fetch it.
std::shared_ptr<const FontSet> organisationFonts(Connection& db, const std::string& organizationId);

// Removes the organisation's copies, when the organisation itself is gone.
void forgetOrganisationFonts(const std::filesystem::path& dataDirectory, const std::string& organizationId);

}  // namespace zelvorin::service
