#include "service/http/ErrorKinds.h"

#include <array>

namespace zelvorin::service {

namespace {

constexpr std::array kAnswers{
    ErrorAnswer{ErrorKind::badRequest, 400, "Ongeldig verzoek."},
    ErrorAnswer{ErrorKind::unauthorized, 401, "Niet ingelogd."},
    ErrorAnswer{ErrorKind::forbidden, 403, "Geen toegang."},
    ErrorAnswer{ErrorKind::notFound, 404, "Niet gevonden."},
    ErrorAnswer{ErrorKind::methodNotAllowed, 405, "Deze methode is hier niet toegestaan."},
    ErrorAnswer{ErrorKind::conflict, 409, "Het verzoek botst met de gegevens van de service."},
    ErrorAnswer{ErrorKind::payloadTooLarge, 413, "Het verzoek is te groot."},
    ErrorAnswer{ErrorKind::unsupportedMediaType, 415, "Dit soort bestand wordt niet ondersteund."},
    ErrorAnswer{ErrorKind::unprocessable, 422, "Het verzoek kon niet worden verwerkt."},
    ErrorAnswer{ErrorKind::tooManyRequests, 429, "Te veel verzoeken."},
    ErrorAnswer{ErrorKind::storageFull, 507, "De opslag van de service is vol; er is niets bewaard."},
    ErrorAnswer{ErrorKind::unavailable, 503, "De service is even bezet; probeer het zo opnieuw."},
    ErrorAnswer{ErrorKind::internal, 500, "Interne fout in de service."},
};

}  // namespace

ServiceError::ServiceError(ErrorKind kind)
    : std::runtime_error(std::string(errorAnswer(kind).value_or(kAnswers.back()).fallbackText)),
      kind_(kind) {}

int ServiceError::httpStatus() const {
    return errorAnswer(kind_).value_or(kAnswers.back()).status;
}

std::span<const ErrorAnswer> errorAnswers() {
    return kAnswers;
}

std::optional<ErrorAnswer> errorAnswer(ErrorKind kind) {
    for (const ErrorAnswer& answer : kAnswers) {
        if (answer.kind == kind) return answer;
    }
    return std::nullopt;
}

std::string_view fallbackTextForStatus(int status) {
    for (const ErrorAnswer& answer : kAnswers) {
        if (answer.status == status) return answer.fallbackText;
    }
    return status >= 500 ? "Interne fout in de service." : "Het verzoek is mislukt.";
}

}  // namespace zelvorin::service
