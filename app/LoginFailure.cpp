#include "app/LoginFailure.h"

#include "api-client/APIError.h"
#include "api-client/HandoffAuthenticator.h"
#include "app/AuthLog.h"

namespace zelvorin {

namespace {

constexpr const char* kNoConnection = "Geen verbinding. Controleer je internet en probeer het opnieuw.";
constexpr const char* kInvalidCode = "De inlogcode is ongeldig of verlopen. Probeer opnieuw in te loggen.";
constexpr const char* kNotSignedIn = "Inloggen is niet gelukt. Probeer het opnieuw.";
constexpr const char* kSessionExpired = "Je inlogsessie is verlopen. Probeer opnieuw in te loggen.";

LoginFailure map(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const NetworkError& transport) {
        return {LoginFailure::Reason::network, kNoConnection, transport.what()};
    } catch (const HandoffError& handoff) {
        if (handoff.kind() == HandoffError::Kind::invalidCallback)
            return {LoginFailure::Reason::sessionExpired, kInvalidCode, handoff.what()};
        return {LoginFailure::Reason::server, kNotSignedIn, handoff.what()};
    } catch (const APIError& api) {
        if (api.is<APIError::Unauthorized>())
            return {LoginFailure::Reason::sessionExpired, kSessionExpired, api.what()};
        return {LoginFailure::Reason::server, kNotSignedIn, api.what()};
    } catch (const std::exception& other) {
        return {LoginFailure::Reason::server, kNotSignedIn, other.what()};
    } catch (...) {
        return {LoginFailure::Reason::server, kNotSignedIn, "onbekende fout"};
    }
}

}  // namespace

LoginFailure LoginFailure::from(const std::exception_ptr& error) {
    LoginFailure failure = map(error);
    authLog().error("Inloggen mislukt (reden={}): {}", rawValue(failure.reason), failure.technicalDetail);
    return failure;
}

std::string_view rawValue(LoginFailure::Reason reason) {
    switch (reason) {
        case LoginFailure::Reason::network:
            return "network";
        case LoginFailure::Reason::sessionExpired:
            return "sessionExpired";
        case LoginFailure::Reason::server:
            return "server";
    }
    return "server";
}

}  // namespace zelvorin
