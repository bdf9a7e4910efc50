#pragma once

#include <string>
#include <vector>

#include "domain/TimePoint.h"

namespace zelvorin::service {

struct MailAttachment {
    std::string fileName;
    std::string contentType;
    std::string bytes;
};

struct MailMessage {
    std::string from;
    std::string to;
    std::string subject;  // UTF-8
    std::string body;     // UTF-8 plain text
    std::vector<MailAttachment> attachments;
    TimePoint date;
    std::string messageId;  // without the angle brackets
};

// The message as RFC 5322 text with CRLF line ends: multipart/mixed with the text body first and
// each attachment after it, all parts base64 so that no line is longer than 76 characters and any
// UTF-8 arrives unchanged; a subject that is not plain ASCII is an RFC 2047 encoded word.
std::string rfc5322Text(const MailMessage& message);

// Whether `address` is one mailbox a message can be written to: local part "@" domain with a dot,
// nothing that could end a header or add a recipient (white space, control characters, < > , ; ").
bool isDeliverableAddress(const std::string& address);

}  // namespace zelvorin::service
