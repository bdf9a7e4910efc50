#include "service/admin/AdminGate.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "service/auth/AuthCrypto.h"
#include "service/http/RequestContext.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

constexpr std::size_t kShortestToken = 16;

}  // namespace

bool AdminGate::admits(const RequestContext& context) const {
    if (!token_) return false;
    const std::string presented = context.header(kAdminTokenHeader);
    // Digests of equal length, so the comparison does not stop at a length difference either.
    return !presented.empty() && constantTimeEquals(sha256Hex(presented), sha256Hex(*token_));
}

void AdminGate::check(const RequestContext& context) const {
    if (!admits(context))
        throw ServiceError(ErrorKind::unauthorized, "Deze beheerroute vraagt het beheertoken van de dienst.");
}

std::string readAdminToken(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("Het beheertoken in '" + file.string() + "' kan niet worden gelezen.");
    std::ostringstream text;
    text << in.rdbuf();
    std::string token = text.str();
    while (!token.empty() && std::isspace(static_cast<unsigned char>(token.back())))
        token.pop_back();
    if (token.size() < kShortestToken)
        throw std::runtime_error("Het beheertoken in '" + file.string() + "' is korter dan " +
                                 std::to_string(kShortestToken) + " tekens.");
    return token;
}

}  // namespace zelvorin::service
