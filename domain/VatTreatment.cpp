#include "domain/VatTreatment.h"

namespace zelvorin {

std::string_view rawValue(VatTreatment treatment) {
    switch (treatment) {
        case VatTreatment::nl21:
            return "nl_21";
        case VatTreatment::nl9:
            return "nl_9";
        case VatTreatment::nl0:
            return "nl_0";
        case VatTreatment::verlegd:
            return "verlegd";
    }
    return "nl_21";
}

std::optional<VatTreatment> parseVatTreatment(std::string_view raw) {
    for (VatTreatment treatment : kAllVatTreatments) {
        if (rawValue(treatment) == raw) return treatment;
    }
    return std::nullopt;
}

int vatRate(VatTreatment treatment) {
    switch (treatment) {
        case VatTreatment::nl21:
            return 21;
        case VatTreatment::nl9:
            return 9;
        case VatTreatment::nl0:
        case VatTreatment::verlegd:
            return 0;
    }
    return 0;
}

}  // namespace zelvorin
