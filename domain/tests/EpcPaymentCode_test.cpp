#include <gtest/gtest.h>

#include "domain/EpcPaymentCode.h"

namespace zelvorin {
namespace {

EpcPayment studio() {
    return {"Studio Zelvorin", "nl91 abna 0417 1643 00", "abnanl2a", 24200, "FAC-2026-0022"};
}

TEST(EpcPaymentCodeTest, WritesTheElevenElementsInTheirOrder) {
    EXPECT_EQ(
        epcPaymentText(studio()),
        "BCD\n002\n1\nSCT\nABNANL2A\nStudio Zelvorin\nNL91ABNA0417164300\nEUR242.00\n\n\nFAC-2026-0022");
    EpcPayment noBic = studio();
    noBic.bic.reset();
    noBic.amountCents = 105;
    EXPECT_EQ(epcPaymentText(noBic),
              "BCD\n002\n1\nSCT\n\nStudio Zelvorin\nNL91ABNA0417164300\nEUR1.05\n\n\nFAC-2026-0022");
}

TEST(EpcPaymentCodeTest, AsksForNothingItCannotAskFor) {
    for (const std::int64_t cents : {std::int64_t{0}, std::int64_t{-100}, std::int64_t{100'000'000'000}}) {
        EpcPayment payment = studio();
        payment.amountCents = cents;
        EXPECT_FALSE(epcPaymentText(payment)) << cents;
    }
    EpcPayment top = studio();
    top.amountCents = 99'999'999'999;
    EXPECT_NE(epcPaymentText(top)->find("\nEUR999999999.99\n"), std::string::npos);

    EpcPayment noIban = studio();
    noIban.iban = "  ";
    EXPECT_FALSE(epcPaymentText(noIban));
    EpcPayment noName = studio();
    noName.beneficiaryName.clear();
    EXPECT_FALSE(epcPaymentText(noName));
}

TEST(EpcPaymentCodeTest, CutsLongTextsAtWholeCharactersAndKeepsOneElementALine) {
    EpcPayment payment = studio();
    payment.beneficiaryName = std::string(69, 'a') + "éé";  // 71 characters, 73 bytes
    payment.remittance = "FAC-1\nregel twee";
    const std::string text = *epcPaymentText(payment);
    EXPECT_NE(text.find("\n" + std::string(69, 'a') + "é\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\nFAC-1 regel twee"));
    int lines = 0;
    for (const char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 10);
}

}  // namespace
}  // namespace zelvorin
