#include "service/admin/FaultSwitches.h"

#include <thread>

#include <httplib.h>

#include "service/http/ErrorKinds.h"
#include "service/http/Reply.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

constexpr std::size_t kDroppedBodyLength = 4096;

}  // namespace

void FaultSwitches::add(Fault fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back(std::move(fault));
}

void FaultSwitches::clear() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

template <class Predicate>
std::optional<Fault> FaultSwitches::take(const std::string& path, Predicate wanted) {
    std::lock_guard lock(mutex_);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->path != path || !wanted(it->kind)) continue;
        Fault fault = *it;
        if (--it->count == 0) faults_.erase(it);
        return fault;
    }
    return std::nullopt;
}

bool FaultSwitches::intercept(const httplib::Request& request, httplib::Response& response) {
    const std::optional<Fault> fault =
        take(request.path, [](Fault::Kind kind) { return kind != Fault::Kind::claimMore; });
    if (!fault) return false;
    switch (fault->kind) {
        case Fault::Kind::claimMore:
            return false;
        case Fault::Kind::delay:
            std::this_thread::sleep_for(fault->delay);
            return false;
        case Fault::Kind::drop:
            // Promise a body and stop after a few bytes: the client sees the connection break mid-body.
            response.status = 200;
            response.set_content_provider(kDroppedBodyLength, "application/json",
                                          [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              if (offset > 0) return false;
                                              sink.write("{\"changes\":[", 12);
                                              return true;
                                          });
            return true;
        case Fault::Kind::status:
            if (fault->retryAfter) response.set_header("Retry-After", *fault->retryAfter);
            response.status = fault->status;
            response.set_content(Json{{"error", std::string(fallbackTextForStatus(fault->status))}}.dump(),
                                 "application/json");
            return true;
    }
    return false;
}

void FaultSwitches::rewrite(const httplib::Request& request, httplib::Response& response) {
    if (response.status != 200) return;
    const auto claimsMore = [](Fault::Kind kind) { return kind == Fault::Kind::claimMore; };
    if (!take(request.path, claimsMore)) return;
    nlohmann::ordered_json body = nlohmann::ordered_json::parse(response.body, nullptr, false);
    if (!body.is_object()) return;
    body["hasMore"] = true;
    response.headers.erase("Content-Type");
    response.set_content(body.dump(), "application/json");
}

Fault parseFault(const nlohmann::ordered_json& body) {
    if (!body.contains("path") || !body["path"].is_string()) {
        throw ServiceError(ErrorKind::badRequest, "Een storing heeft een \"path\" nodig.");
    }
    Fault fault;
    fault.path = body["path"].get<std::string>();
    if (body.contains("count")) {
        if (!body["count"].is_number_integer() || body["count"].get<int>() < 1) {
            throw ServiceError(ErrorKind::badRequest, "\"count\" moet een positief geheel getal zijn.");
        }
        fault.count = body["count"].get<int>();
    }
    if (body.value("drop", false)) {
        fault.kind = Fault::Kind::drop;
    } else if (body.value("hasMore", false)) {
        fault.kind = Fault::Kind::claimMore;
    } else if (body.contains("delayMs")) {
        if (!body["delayMs"].is_number_integer())
            throw ServiceError(ErrorKind::badRequest, "\"delayMs\" moet een geheel getal zijn.");
        fault.kind = Fault::Kind::delay;
        fault.delay = std::chrono::milliseconds(body["delayMs"].get<int>());
    } else if (body.contains("status") && body["status"].is_number_integer()) {
        fault.status = body["status"].get<int>();
        if (fault.status < 400 || fault.status > 599)
            throw ServiceError(ErrorKind::badRequest, "\"status\" moet 400 tot 599 zijn.");
    } else {
        throw ServiceError(ErrorKind::badRequest,
                           "Een storing heeft \"status\", \"delayMs\", \"drop\" of \"hasMore\" nodig.");
    }
    if (body.contains("retryAfter")) {
        const nlohmann::ordered_json& value = body["retryAfter"];
        fault.retryAfter = value.is_string() ? value.get<std::string>() : value.dump();
    }
    return fault;
}

}  // namespace zelvorin::service
