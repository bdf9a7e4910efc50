#include "bench/support/ReceiptTruth.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zelvorin::bench {
namespace {

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');)
        out.push_back(field);
    if (!line.empty() && line.back() == ',') out.emplace_back();
    return out;
}

std::vector<ExtractedInvoiceData::VatItem> parseVat(const std::string& text, const std::string& where) {
    std::vector<ExtractedInvoiceData::VatItem> items;
    std::stringstream stream(text);
    for (std::string item; stream >> item;) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) throw std::runtime_error(where + ": btw '" + item + "' onleesbaar");
        items.push_back({std::stod(item.substr(0, colon)), std::stod(item.substr(colon + 1))});
    }
    return items;
}

// Lower-case ASCII letters and digits; the usual accented letters as their base letter.
std::string folded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[++i]) | 0x20;  // Ä and ä alike
            if (next >= 0xA0 && next <= 0xA5) out += 'a';
            if (next >= 0xA8 && next <= 0xAB) out += 'e';
            if (next >= 0xB2 && next <= 0xB6) out += 'o';
            if (next >= 0xB9 && next <= 0xBC) out += 'u';
        }
    }
    return out;
}

}  // namespace

std::vector<TruthDocument> readTruthFolder(const std::filesystem::path& folder,
                                           const std::optional<std::filesystem::path>& vatTruth) {
    std::ifstream in(folder / "truth.csv");
    if (!in) throw std::runtime_error((folder / "truth.csv").string() + " ontbreekt");
    std::vector<TruthDocument> documents;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1 || line.empty()) continue;
        const auto f = fields(line);
        const std::string where = (folder / "truth.csv").string() + ":" + std::to_string(number);
        if (f.size() < 5) throw std::runtime_error(where + ": te weinig velden");
        documents.push_back({folder / f[0], f[1], f[2], std::stoll(f[4]), std::nullopt});
    }
    if (vatTruth) {
        std::ifstream vat(*vatTruth);
        if (!vat) throw std::runtime_error(vatTruth->string() + " ontbreekt");
        for (int number = 1; std::getline(vat, line); ++number) {
            if (line.empty() || line.front() == '#') continue;
            const auto comma = line.find(',');
            const std::string where = vatTruth->string() + ":" + std::to_string(number);
            if (comma == std::string::npos) throw std::runtime_error(where + ": geen komma");
            for (auto& document : documents) {
                if (document.file.filename() == line.substr(0, comma))
                    document.vat = parseVat(line.substr(comma + 1), where);
            }
        }
    }
    return documents;
}

bool namesMerchant(const std::optional<std::string>& sender, const std::string& merchant) {
    if (!sender) return false;
    const std::string read = folded(*sender), wanted = folded(merchant);
    return !wanted.empty() && read.find(wanted) != std::string::npos;
}

}  // namespace zelvorin::bench
