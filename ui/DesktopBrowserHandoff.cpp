#include "ui/DesktopBrowserHandoff.h"

#include <QDesktopServices>
#include <QUrl>

#include <chrono>
#include <future>

#include "api-client/CommandLineHandoff.h"

namespace zelvorin::ui {

namespace {
// Long enough to type a password and a second factor; a forgotten tab does not hold the worker.
constexpr auto kCallbackWait = std::chrono::minutes(10);
}  // namespace

DesktopBrowserHandoff::DesktopBrowserHandoff(std::shared_ptr<Executor> mainExecutor,
                                             std::shared_ptr<HttpSession> session, bool automatic)
    : mainExecutor_(std::move(mainExecutor)), session_(std::move(session)), automatic_(automatic) {}

std::string DesktopBrowserHandoff::present(const std::string& handoffURL) {
    if (automatic_) return AutoBrowserHandoff(session_).present(handoffURL);
    {
        std::lock_guard lock(mutex_);
        waiting_ = true;
        cancelled_ = false;
        callback_.reset();
    }
    auto opened = std::make_shared<std::promise<bool>>();
    std::future<bool> result = opened->get_future();
    mainExecutor_->post([opened, url = QString::fromStdString(handoffURL)] {
        opened->set_value(QDesktopServices::openUrl(QUrl(url)));
    });
    if (!result.get()) {
        std::lock_guard lock(mutex_);
        waiting_ = false;
        throw HandoffError(HandoffError::Kind::presentationFailed);
    }
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, kCallbackWait, [this] { return callback_ || cancelled_; });
    waiting_ = false;
    if (!callback_) throw HandoffError(HandoffError::Kind::cancelled);
    return *callback_;
}

bool DesktopBrowserHandoff::deliver(const std::string& callbackURL) {
    std::lock_guard lock(mutex_);
    if (!waiting_) return false;
    callback_ = callbackURL;
    arrived_.notify_all();
    return true;
}

void DesktopBrowserHandoff::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    arrived_.notify_all();
}

}  // namespace zelvorin::ui
