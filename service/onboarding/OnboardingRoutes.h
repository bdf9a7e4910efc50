#pragma once

namespace zelvorin::service {

class Authenticator;
class RouteTable;
class ServiceDatabase;

// A new user's first steps:
//   POST api/native/onboarding/create-org       Bearer <onboarding token>, {name, ...} -> organisation and
//   tokens POST api/native/onboarding/step             {step} POST api/native/onboarding/first-customer
//   {companyName, contactPersonName, email} POST api/native/web-session                 {next} -> {url}
void addOnboardingRoutes(RouteTable& routes, const ServiceDatabase& database,
                         const Authenticator& authenticator);

}  // namespace zelvorin::service
