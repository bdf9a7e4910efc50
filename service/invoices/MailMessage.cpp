#include "service/invoices/MailMessage.h"

#include <chrono>
#include <cstdio>

#include <openssl/evp.h>

#include "domain/Uuid.h"

namespace zelvorin::service {
namespace {

constexpr const char* kCrlf = "\r\n";

std::string base64(const std::string& bytes) {
    std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    encoded.resize(static_cast<std::size_t>(length));
    return encoded;
}

std::string base64Lines(const std::string& bytes) {
    const std::string encoded = base64(bytes);
    std::string lines;
    for (std::size_t at = 0; at < encoded.size(); at += 76)
        lines += encoded.substr(at, 76) + kCrlf;
    return lines;
}

bool isPlainAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7e) return false;
    return true;
}

// A header value that cannot break its header: plain ASCII as it is, anything else as encoded
// words of at most 45 bytes each (60 base64 characters), never splitting a UTF-8 sequence.
std::string headerText(const std::string& text) {
    if (isPlainAscii(text)) return text;
    std::string words;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = std::min(text.size(), at + 45);
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        if (!words.empty()) words += std::string(kCrlf) + " ";
        words += "=?UTF-8?B?" + base64(text.substr(at, end - at)) + "?=";
        at = end;
    }
    return words;
}

// "Mon, 16 Mar 2026 10:00:00 +0000"
std::string rfc5322Date(TimePoint instant) {
    using namespace std::chrono;
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const sys_days day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss time{floor<seconds>(instant - day)};
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d +0000",
                  kDays[weekday{day}.c_encoding()], static_cast<unsigned>(date.day()),
                  kMonths[static_cast<unsigned>(date.month()) - 1], static_cast<int>(date.year()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

// A file name as a quoted MIME parameter: quotes and backslashes and line breaks are dropped.
std::string quotedFileName(const std::string& name) {
    std::string safe;
    for (char c : name)
        if (c != '"' && c != '\\' && c != '\r' && c != '\n') safe += c;
    return "\"" + headerText(safe) + "\"";
}

}  // namespace

std::string rfc5322Text(const MailMessage& message) {
    const std::string boundary = "=_zelvorin_" + randomUuid();
    std::string text;
    text += "From: " + message.from + kCrlf;
    text += "To: " + message.to + kCrlf;
    text += "Subject: " + headerText(message.subject) + kCrlf;
    text += "Date: " + rfc5322Date(message.date) + kCrlf;
    text += "Message-ID: <" + message.messageId + ">" + kCrlf;
    text += std::string("MIME-Version: 1.0") + kCrlf;
    text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + kCrlf;
    text += kCrlf;
    text += "--" + boundary + kCrlf;
    text += std::string("Content-Type: text/plain; charset=UTF-8") + kCrlf;
    text += std::string("Content-Transfer-Encoding: base64") + kCrlf + kCrlf;
    text += base64Lines(message.body);
    for (const MailAttachment& attachment : message.attachments) {
        text += "--" + boundary + kCrlf;
        text += "Content-Type: " + attachment.contentType + "; name=" + quotedFileName(attachment.fileName) +
                kCrlf;
        text += "Content-Disposition: attachment; filename=" + quotedFileName(attachment.fileName) + kCrlf;
        text += std::string("Content-Transfer-Encoding: base64") + kCrlf + kCrlf;
        text += base64Lines(attachment.bytes);
    }
    text += "--" + boundary + "--" + kCrlf;
    return text;
}

bool isDeliverableAddress(const std::string& address) {
    const std::size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || address.find('@', at + 1) != std::string::npos) return false;
    const std::string domain = address.substr(at + 1);
    const std::size_t dot = domain.find('.');
    if (dot == std::string::npos || dot == 0 || domain.back() == '.' ||
        domain.find("..") != std::string::npos)
        return false;
    for (unsigned char c : address) {
        if (c <= 0x20 || c == 0x7f) return false;
        if (c == '<' || c == '>' || c == ',' || c == ';' || c == '"' || c == '(' || c == ')' || c == '[' ||
            c == ']' || c == '\\')
            return false;
    }
    return address.size() <= 254;
}

}  // namespace zelvorin::service
