#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// Getting a new account going:
//   POST api/auth/sign-in/magic-link {email, callbackURL, newUserCallbackURL}  (an unknown address
//        becomes a new account without organisation; its hand-off then leads to onboarding)
//   POST api/native/onboarding/create-org   bearer: the onboarding token; {"name", ...answers}
//   POST api/native/onboarding/step {step}
//   POST api/native/onboarding/first-customer {companyName, contactPersonName, email}
//   POST api/native/web-session {next} -> {url}
void addOnboardingRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
