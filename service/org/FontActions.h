#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's own fonts. An upload must be a TrueType or OpenType file that FreeType opens
// as one scalable face; its weight, style and PostScript name come from the file, its family from
// `family` when given (the name templates use), else from the file. Refusals, nothing written:
//   empty                                        badRequest (400)
//   over kMaxFontBytes                           payloadTooLarge (413)
//   not a font FreeType can open                 unsupportedMediaType (415)
//   a face of that family, weight and style      conflict (409)
// Answers NativeFontUploadResult.
nlohmann::ordered_json uploadFont(const ServiceDatabase& database, const Caller& caller,
                                  std::string_view bytes, const std::optional<std::string>& family,
                                  TimePoint now);
// {"families": [NativeFontFamily]}, families by name, their variants by weight then style.
nlohmann::ordered_json listFonts(const ServiceDatabase& database, const Caller& caller);
// Removes the face and its file; notFound for an id the organisation does not have.
void deleteFont(const ServiceDatabase& database, const Caller& caller, const std::string& id);
// The face's file; notFound as above.
StoredFile fontFile(const ServiceDatabase& database, const Caller& caller, const std::string& id);

}  // namespace zelvorin::service
