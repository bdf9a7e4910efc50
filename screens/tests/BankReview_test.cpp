#include <gtest/gtest.h>

#include "screens/BankReview.h"

namespace zelvorin {
namespace {

BankTransactionRecord transaction(const std::string& direction) {
    BankTransactionRecord record;
    record.direction = direction;
    record.amountCents = 12100;
    return record;
}

TEST(BankReviewTest, WhatIsOfferedFollowsDirectionAndLink) {
    BankTransactionRecord in = transaction("in");
    EXPECT_TRUE(BankReview::offerFor(in).link);
    EXPECT_TRUE(BankReview::offerFor(in).categorise);
    EXPECT_FALSE(BankReview::offerFor(in).unlink);
    EXPECT_EQ(BankReview::stateText(in), "Nog niet beoordeeld.");

    in.matchedInvoiceId = "factuur-1";
    EXPECT_FALSE(BankReview::offerFor(in).link);
    EXPECT_FALSE(BankReview::offerFor(in).categorise);  // the link says what it is
    EXPECT_TRUE(BankReview::offerFor(in).unlink);
    EXPECT_EQ(BankReview::stateText(in), "Gekoppeld aan een factuur.");

    BankTransactionRecord out = transaction("out");
    EXPECT_FALSE(BankReview::offerFor(out).link);  // money going out pays no sales invoice
    EXPECT_TRUE(BankReview::offerFor(out).categorise);
    // Linked to an incoming invoice: nothing to unlink here, and no category either.
    out.matchedIncomingInvoiceId = "kvitra-1";
    EXPECT_FALSE(BankReview::offerFor(out).unlink);
    EXPECT_FALSE(BankReview::offerFor(out).categorise);
}

TEST(BankReviewTest, CategoriesAndSuggestionsAreWordedForAPerson) {
    BankTransactionRecord out = transaction("out");
    out.category = "__INTERNAL_TRANSFER__";
    EXPECT_EQ(BankReview::stateText(out), "Categorie: Eigen rekening (overboeking)");
    out.category = "telefoon_internet";
    EXPECT_EQ(BankReview::stateText(out), "Categorie: Telefoon en internet");
    out.category = "marketing";  // a category of the service's own without a label here, shown as it is
    EXPECT_EQ(BankReview::stateText(out), "Categorie: marketing");

    bank::BankMatchSuggestion none;
    none.matchReason = "Geen openstaande factuur past.";
    EXPECT_EQ(BankReview::suggestionText(none, ""), "Geen voorstel: Geen openstaande factuur past.");
    bank::BankMatchSuggestion part;
    part.invoiceId = "f-19";
    part.isPartial = true;
    part.matchReason = "factuurnummer FAC-2026-0019 in de omschrijving";
    EXPECT_EQ(BankReview::suggestionText(part, "FAC-2026-0019"),
              "Voorstel: FAC-2026-0019 (deelbetaling) — factuurnummer FAC-2026-0019 in de omschrijving");
}

}  // namespace
}  // namespace zelvorin
