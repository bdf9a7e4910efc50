#include "service/seed/IbanText.h"

#include <gtest/gtest.h>

namespace zelvorin::service {
namespace {

TEST(IbanTextTest, ComputesTheCheckDigitsOfPublishedExamples) {
    EXPECT_EQ(dutchIban("ABNA", "0417164300"), "NL91ABNA0417164300");
    EXPECT_TRUE(hasValidIbanChecksum("DE89370400440532013000"));
    EXPECT_TRUE(hasValidIbanChecksum(dutchIban("RABO", "0312456789")));
}

TEST(IbanTextTest, RejectsTyposAndMalformedText) {
    EXPECT_FALSE(hasValidIbanChecksum("NL91ABNA0417164301"));  // one digit off
    EXPECT_FALSE(hasValidIbanChecksum("NL19ABNA0417164300"));  // check digits swapped
    EXPECT_FALSE(hasValidIbanChecksum("NL91 ABNA 0417 1643 00"));
    EXPECT_FALSE(hasValidIbanChecksum("NL9"));
    EXPECT_THROW(dutchIban("ABN", "0417164300"), std::invalid_argument);
    EXPECT_THROW(dutchIban("abna", "0417164300"), std::invalid_argument);
}

}  // namespace
}  // namespace zelvorin::service
