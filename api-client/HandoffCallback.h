#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace zelvorin {

// The URL the browser hands back on the "zelvorin" scheme after the sign-in hand-off, read into
// what the authenticator acts on. Total on any text: it never throws, so it can take whatever the
// desktop's scheme handler receives.
struct HandoffCallback {
    // The user has no organisation yet; onboarding continues with this URL (it carries "token").
    struct Onboarding {
        std::string url;
        std::string token;  // empty when the URL has none
    };
    // A code to redeem, issued for this device.
    struct Code {
        std::string code;
    };
    struct InvalidCallback {};
    struct DeviceMismatch {};

    using Outcome = std::variant<Onboarding, Code, InvalidCallback, DeviceMismatch>;

    // Parameters come from the fragment ("#a=1&b=2", taken as they are) and then from the query
    // (percent-decoded, '+' kept); a query item overrides a fragment pair of the same name.
    static Outcome read(std::string_view url, std::string_view expectedDeviceId);
};

// The pieces of a URL that the hand-off and the scheme handler need; empty where absent.
struct SchemeUrl {
    std::string scheme;  // lower-cased
    std::string host;    // lower-cased
    std::string query;
    std::string fragment;

    static SchemeUrl split(std::string_view url);
};

std::string percentDecode(std::string_view text);
// Query items in order of appearance; "a" alone is the item a with an empty value.
std::multimap<std::string, std::string> queryItems(std::string_view query);

}  // namespace zelvorin
