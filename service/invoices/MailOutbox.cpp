#include "service/invoices/MailOutbox.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include "service/http/ServiceError.h"
#include "service/invoices/SmtpDelivery.h"

namespace zelvorin::service {
namespace {

[[noreturn]] void fail(int error) {
    if (error == ENOSPC || error == EDQUOT)
        throw ServiceError(ErrorKind::storageFull, "De schijf van de server is vol; er is niets verstuurd.");
    throw ServiceError(ErrorKind::internal, "Het bericht kon niet worden bewaard; er is niets verstuurd.");
}

}  // namespace

std::filesystem::path MailOutbox::write(const std::string& name, const std::string& text) const {
    std::error_code made;
    std::filesystem::create_directories(folder_, made);
    if (made) fail(made.value());
    const std::filesystem::path target = folder_ / (name + ".eml");
    const std::filesystem::path partial = folder_ / ("." + name + ".eml.partial");
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) fail(errno);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(partial.c_str());
            fail(error);
        }
        written += static_cast<std::size_t>(n);
    }
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (synced != 0 || closed != 0) {
        const int error = synced != 0 ? synced : closed;
        ::unlink(partial.c_str());
        fail(error);
    }
    if (::rename(partial.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        fail(error);
    }
    return target;
}

std::filesystem::path MailOutbox::send(const std::string& name, const std::string& text,
                                       const std::string& from, const std::string& to) const {
    const std::filesystem::path written = write(name, text);
    if (!smtpUrl_) return written;
    try {
        deliverOverSmtp(*smtpUrl_, from, to, text);
    } catch (...) {
        remove(written);
        throw;
    }
    return written;
}

void MailOutbox::remove(const std::filesystem::path& message) const noexcept {
    std::error_code ignored;
    std::filesystem::remove(message, ignored);
}

}  // namespace zelvorin::service
