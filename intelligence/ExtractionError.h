#pragma once

#include <array>
#include <exception>
#include <optional>

namespace zelvorin {

// The one error of document extraction. The cases carry no user text: the caller decides what to
// show (and whether the server should read the document instead).
class ExtractionError : public std::exception {
public:
    enum class Kind { lowConfidence, modelUnavailable, unreadableDocument };
    static constexpr std::array allKinds{Kind::lowConfidence, Kind::modelUnavailable,
                                         Kind::unreadableDocument};

    static ExtractionError lowConfidence(double confidence) {
        return ExtractionError(Kind::lowConfidence, confidence);
    }
    static ExtractionError modelUnavailable() {
        return ExtractionError(Kind::modelUnavailable, std::nullopt);
    }
    static ExtractionError unreadableDocument() {
        return ExtractionError(Kind::unreadableDocument, std::nullopt);
    }

    Kind kind() const noexcept { return kind_; }
    // Present only for lowConfidence.
    std::optional<double> confidence() const noexcept { return confidence_; }

    const char* what() const noexcept override;

    bool operator==(const ExtractionError& other) const noexcept {
        return kind_ == other.kind_ && confidence_ == other.confidence_;
    }

private:
    ExtractionError(Kind kind, std::optional<double> confidence) : kind_(kind), confidence_(confidence) {}

    Kind kind_;
    std::optional<double> confidence_;
};

}  // namespace zelvorin
