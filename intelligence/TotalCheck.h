#pragma once

#include <nlohmann/json.hpp>

#include "intelligence/ExtractedInvoiceData.h"
#include "intelligence/OCRResult.h"

namespace zelvorin {

// What the recognised text says for a reading's total, whoever made the reading. A wrong total is
// the costliest mistake a reading can make, and the field scores cannot see one: a misread figure
// beside "Totaal" scores as well as the right one. What does see it is agreement: a total that is
// labelled, paid by card, the sum of the items and the gross of the VAT rows is right; one that is
// only the largest figure on the page, or stands only beside the cash handed over, often is not.
struct TotalCheck {
    bool present = false;       // the reading has a total of at least one cent
    bool printed = false;       // that amount is printed somewhere in the text
    bool labelled = false;      // beside (or under) a total label: "Totaal", "Summe", "Te betalen"
    bool paid = false;          // beside a card payment, or cash handed over less the change
    bool itemsAgree = false;    // the item lines add up to it
    bool vatAgrees = false;     // the VAT rows imply it as their gross, or the items plus VAT do
    bool contested = false;     // a card payment or a "to pay" label states another amount, or a
                                // VAT row printing the total holds another VAT
    double lineConfidence = 0;  // recognition's confidence in the best line stating it (1: a text layer)
    int pages = 1;              // of the document; only the first was read

    // The independent figures that agree on the total.
    int support() const { return int{labelled} + int{paid} + int{itemsAgree} + int{vatAgrees}; }
    // The share of the reading's confidence its total deserves, 0...1 (see IntelligenceTuning.h).
    double trust() const;
};

TotalCheck checkTotal(const OCRResult& ocr, const ExtractedInvoiceData& data);

// {"present", "printed", "labelled", "paid", "itemsAgree", "vatAgrees", "contested",
//  "lineConfidence", "trust"}
nlohmann::ordered_json toJson(const TotalCheck& check);

}  // namespace zelvorin
