#include "app/PamOwnerAuthenticator.h"

#include <pwd.h>
#include <security/pam_appl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace zelvorin {

namespace {

struct Conversation {
    const OwnerAuthenticator::AskSecret* askSecret;
    std::string user;
};

// Answers PAM's messages: a hidden prompt is the password (asked from the user), a visible one
// the user name; information and errors need no answer. A cancelled prompt ends the conversation.
int converse(int count, const pam_message** messages, pam_response** responses, void* data) {
    auto* conversation = static_cast<Conversation*>(data);
    auto* answers =
        static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
    if (answers == nullptr) return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i) {
        std::optional<std::string> answer;
        switch (messages[i]->msg_style) {
            case PAM_PROMPT_ECHO_OFF:
                answer = (*conversation->askSecret)(messages[i]->msg ? messages[i]->msg : "");
                break;
            case PAM_PROMPT_ECHO_ON:
                answer = conversation->user;
                break;
            default:
                continue;
        }
        if (!answer) {
            for (int j = 0; j < i; ++j) {
                if (answers[j].resp) {
                    explicit_bzero(answers[j].resp, std::strlen(answers[j].resp));
                    std::free(answers[j].resp);
                }
            }
            std::free(answers);
            return PAM_CONV_ERR;
        }
        answers[i].resp = ::strdup(answer->c_str());
        explicit_bzero(answer->data(), answer->size());
    }
    *responses = answers;
    return PAM_SUCCESS;
}

}  // namespace

PamOwnerAuthenticator::PamOwnerAuthenticator(std::string service,
                                             std::optional<std::filesystem::path> configurationFolder)
    : service_(std::move(service)), configurationFolder_(std::move(configurationFolder)) {}

std::string PamOwnerAuthenticator::currentUserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return {};
    return found->pw_name;
}

bool PamOwnerAuthenticator::authenticate(const std::string& /*reason*/, const AskSecret& askSecret) {
    Conversation conversation{&askSecret, currentUserName()};
    if (conversation.user.empty()) return false;
    const pam_conv callbacks{converse, &conversation};
    pam_handle_t* handle = nullptr;
    const int started = configurationFolder_
                            ? ::pam_start_confdir(service_.c_str(), conversation.user.c_str(), &callbacks,
                                                  configurationFolder_->c_str(), &handle)
                            : ::pam_start(service_.c_str(), conversation.user.c_str(), &callbacks, &handle);
    if (started != PAM_SUCCESS) return false;
    int result = ::pam_authenticate(handle, PAM_DISALLOW_NULL_AUTHTOK);
    if (result == PAM_SUCCESS) result = ::pam_acct_mgmt(handle, 0);
    ::pam_end(handle, result);
    return result == PAM_SUCCESS;
}

}  // namespace zelvorin
