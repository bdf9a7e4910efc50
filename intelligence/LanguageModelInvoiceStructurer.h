#pragma once

#include <array>
#include <chrono>
#include <stdexcept>
#include <string>

#include "intelligence/GenerableInvoice.h"
#include "intelligence/InvoiceStructurer.h"

namespace zelvorin {

// Structures the text with a language model on a local OpenAI-compatible server (a llama.cpp or
// Ollama server on the user's machine, named by ZELVORIN_LLM_URL). Three queries, each a fresh
// chat with its own instructions and the answer constrained by a JSON schema whose field
// descriptions are the guides: the base and lines queries in parallel, then the total query.
//
//   a query whose text does not fit the model's context is asked once more with the short
//   instructions and the text cut to 2000 characters (base, lines) or 1500 (total);
//   a refusal by the server's content filter makes the document unreadable (base, lines);
//   the total query never fails the structuring: any failure gives no total.
// Other failures of the base or lines query surface as LanguageModelError.
class LanguageModelInvoiceStructurer final : public InvoiceStructurer {
public:
    static constexpr const char* version = "zelvorin-llm/1";

    // `baseUrl` like "http://127.0.0.1:8080" (a trailing "/" or "/v1" is allowed); `model` the
    // model to ask, empty for the first one the server lists.
    explicit LanguageModelInvoiceStructurer(std::string baseUrl, std::string model = {},
                                            std::chrono::seconds queryTimeout = std::chrono::seconds(120));

    // The server lists its models (GET /v1/models, within two seconds).
    bool isAvailable() const override;
    // "zelvorin-llm/1 (<model>)"
    std::string modelVersion() const override;
    ExtractedInvoiceData structure(const std::string& ocrText) const override;

    GenerableInvoiceBase askBase(const std::string& ocrText) const;
    GenerableInvoiceLines askLines(const std::string& ocrText) const;
    std::optional<GenerableInvoiceTotal> askTotal(const std::string& ocrText) const;

private:
    std::string modelName() const;

    std::string host_;  // scheme://host:port
    std::string model_;
    std::chrono::seconds queryTimeout_;
};

// A model server that failed in a way the structurer does not map. The message is Dutch.
class LanguageModelError : public std::runtime_error {
public:
    enum class Kind {
        serverFailed,    // unreachable, or it answered with an HTTP error
        unusableAnswer,  // an answer that is not the asked JSON
    };
    static constexpr std::array allKinds{Kind::serverFailed, Kind::unusableAnswer};

    LanguageModelError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// The first `count` user-perceived characters of UTF-8 text (a character and the combining marks
// that follow it count as one).
std::string firstCharacters(const std::string& text, std::size_t count);

}  // namespace zelvorin
