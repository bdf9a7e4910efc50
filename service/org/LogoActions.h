#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

class ServiceDatabase;

// Keeps an uploaded logo (PNG, JPEG or a harmless SVG, judged by content; see checkUploadedImage
// for the refusals; WebP is refused, since no invoice could print it) under "logos/<uuid>.<ext>"
// and names it in the settings as logoPath and logoPdfPath, in one transaction; the next invoice
// PDF draws it. Answers {"logoPath", "logoPdfPath"}; both are keys that api/uploads/<key> serves.
nlohmann::ordered_json uploadLogo(const ServiceDatabase& database, const Caller& caller,
                                  std::string_view bytes, TimePoint now);

// The organisation's logo as a "data:" URL for the invoice layout, when its settings name a stored
// PNG, JPEG or SVG the layout can draw; nothing otherwise.
std::optional<std::string> logoDataUrl(Connection& db, const std::string& organizationId,
                                       const nlohmann::ordered_json& settings);

}  // namespace zelvorin::service
