#include "service/http/ConditionalAnswer.h"

#include "service/auth/AuthCrypto.h"

namespace zelvorin::service {

namespace {

std::string trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// If-None-Match is a comma-separated list of tags; a weak tag ("W/…") matches its strong form.
bool tagListed(const std::string& ifNoneMatch, const std::string& tag) {
    std::size_t start = 0;
    while (start < ifNoneMatch.size()) {
        std::size_t end = ifNoneMatch.find(',', start);
        if (end == std::string::npos) end = ifNoneMatch.size();
        std::string candidate = trimmed(ifNoneMatch.substr(start, end - start));
        if (candidate.rfind("W/", 0) == 0) candidate.erase(0, 2);
        if (candidate == tag || candidate == "*") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

Reply conditionalReply(const RequestContext& context, std::string bytes, const std::string& contentType) {
    const std::string tag = "\"" + sha256Hex(bytes).substr(0, 32) + "\"";
    if (tagListed(context.header("If-None-Match"), tag)) return Reply{304, "", "", {{"ETag", tag}}};
    return Reply::content(std::move(bytes), contentType).withHeader("ETag", tag);
}

}  // namespace zelvorin::service
