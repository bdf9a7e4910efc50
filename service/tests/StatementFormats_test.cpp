#include "service/bank/StatementFormat.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "service/ServiceTunables.h"
#include "service/bank/OpenInvoiceIndex.h"
#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

const std::filesystem::path kStatements = ZELVORIN_STATEMENTS_DIR;

struct Refusal {
    int status = 0;
    std::string text;
};

Refusal refusalOf(const std::string& bytes) {
    try {
        readStatement(bytes);
    } catch (const ServiceError& error) {
        return {error.httpStatus(), error.what()};
    }
    return {};
}

TEST(StatementFormatsTest, ReadsTheHandWrittenCamtStatementBookedEntriesOnly) {
    const ParsedStatement statement =
        readStatement(testing::readFile(kStatements / "demo-maart.camt053.xml"));
    EXPECT_EQ(statement.format, "camt053");
    EXPECT_EQ(statement.accountIban, "NL03RABO0312456789");
    ASSERT_EQ(statement.entries.size(), 4u);  // the pending entry is not a booking yet
    const StatementEntry& paid = statement.entries[0];
    EXPECT_EQ(paid.bookingDate, "2026-03-13");
    EXPECT_EQ(paid.amountCents, 245500);
    EXPECT_EQ(paid.entryReference, "2026031300000101");
    EXPECT_EQ(paid.counterpartyName, "Brandt Medien GmbH");
    EXPECT_EQ(paid.counterpartyIban, "DE89370400440532013000");
    EXPECT_EQ(paid.description, "FAC-2026-0017");
    const StatementEntry& debit = statement.entries[2];
    EXPECT_EQ(debit.amountCents, -6534);
    EXPECT_EQ(debit.counterpartyName, "Telecom Noord B.V.");  // the creditor of money going out
    EXPECT_EQ(statement.entries[3].entryReference, std::nullopt);
}

TEST(StatementFormatsTest, ReadsLaterCamtVersionsAndSplitsBatches) {
    const std::string xml = R"(<?xml version="1.0"?>
<Document xmlns="urn:iso:std:iso:20022:tech:xsd:camt.053.001.08"><BkToCstmrStmt><Stmt>
<Acct><Id><IBAN>NL03 RABO 0312 4567 89</IBAN></Id></Acct>
<Ntry><Amt Ccy="EUR">30.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts><Cd>BOOK</Cd></Sts>
<BookgDt><DtTm>2026-03-02T09:15:00+01:00</DtTm></BookgDt><AcctSvcrRef>B-1</AcctSvcrRef>
<NtryDtls>
<TxDtls><AmtDtls><TxAmt><Amt Ccy="EUR">10.00</Amt></TxAmt></AmtDtls>
<RltdPties><Dbtr><Pty><Nm>Een</Nm></Pty></Dbtr></RltdPties><RmtInf><Ustrd>eerste</Ustrd></RmtInf></TxDtls>
<TxDtls><AmtDtls><TxAmt><Amt Ccy="EUR">20.00</Amt></TxAmt></AmtDtls>
<RltdPties><Dbtr><Pty><Nm>Twee</Nm></Pty></Dbtr></RltdPties><RmtInf><Strd><CdtrRefInf><Ref>RF18539007547034</Ref></CdtrRefInf></Strd></RmtInf></TxDtls>
</NtryDtls></Ntry></Stmt></BkToCstmrStmt></Document>)";
    const ParsedStatement statement = readStatement(xml);
    EXPECT_EQ(statement.accountIban, "NL03RABO0312456789");
    ASSERT_EQ(statement.entries.size(), 2u);
    EXPECT_EQ(statement.entries[0].amountCents, 1000);
    EXPECT_EQ(statement.entries[0].counterpartyName, "Een");
    EXPECT_EQ(statement.entries[0].bookingDate, "2026-03-02");
    EXPECT_EQ(statement.entries[1].amountCents, 2000);
    EXPECT_EQ(statement.entries[1].description, "RF18539007547034");
    EXPECT_NE(statement.entries[0].entryReference, statement.entries[1].entryReference);
}

TEST(StatementFormatsTest, ReadsTheHandWrittenMt940WithItsWrappedInformation) {
    const ParsedStatement statement = readStatement(testing::readFile(kStatements / "demo-maart.mt940"));
    EXPECT_EQ(statement.format, "mt940");
    EXPECT_EQ(statement.accountIban, "NL03RABO0312456789");
    ASSERT_EQ(statement.entries.size(), 3u);
    const StatementEntry& in = statement.entries[0];
    EXPECT_EQ(in.bookingDate, "2026-03-10");
    EXPECT_EQ(in.amountCents, 17323);
    EXPECT_EQ(in.entryReference, "2026031000000091");
    EXPECT_EQ(in.counterpartyName, "Bakkerij Van Dam B.V.");
    EXPECT_EQ(in.counterpartyIban, "NL20INGB0001234567");
    EXPECT_EQ(in.description, "FAC-2026-0016");
    const StatementEntry& collection = statement.entries[1];
    EXPECT_EQ(collection.amountCents, -8620);
    EXPECT_EQ(collection.counterpartyName, "Treinreizen Zakelijk");
    EXPECT_EQ(collection.description, "Reiskosten februari, abonnement en losse ritten voor klantbezoek");
    EXPECT_EQ(statement.entries[2].description, "Kosten betaalrekening februari");
    EXPECT_EQ(statement.entries[2].entryReference, std::nullopt);
}

TEST(StatementFormatsTest, ReadsBothCsvLayoutsWhateverTheirColumnOrderAndEncoding) {
    const std::string directionColumns =
        "\"Datum\";\"Naam / Omschrijving\";\"Rekening\";\"Tegenrekening\";\"Code\";\"Af Bij\";\"Bedrag "
        "(EUR)\";"
        "\"Mutatiesoort\";\"Mededelingen\"\r\n"
        "\"20260312\";\"Groenland Hoveniers\";\"NL03RABO0312456789\";\"NL91ABNA0417164300\";\"OV\";\"Bij\";"
        "\"1582,69\";\"Overschrijving\";\"Naam: Groenland; factuur FAC-2026-0019\"\r\n"
        "\"20260313\";\"Kantoorhuis\";\"NL03RABO0312456789\";\"\";\"BA\";\"Af\";\"47,89\";\"Betaalautomaat\";"
        "\"\"\r\n";
    ParsedStatement statement = readStatement(directionColumns);
    EXPECT_EQ(statement.format, "csv");
    ASSERT_EQ(statement.entries.size(), 2u);
    EXPECT_EQ(statement.entries[0].amountCents, 158269);
    EXPECT_EQ(statement.entries[0].description, "Naam: Groenland; factuur FAC-2026-0019");
    EXPECT_EQ(statement.entries[1].amountCents, -4789);
    EXPECT_EQ(statement.accountIban, "NL03RABO0312456789");

    // Signed amounts, another column order, ISO-8859-1 ("é" as one byte).
    const std::string signedAmounts =
        "\"Datum\",\"Bedrag\",\"IBAN/BBAN\",\"Munt\",\"Volgnr\",\"Naam tegenpartij\",\"Tegenrekening "
        "IBAN/BBAN\","
        "\"Omschrijving-1\",\"Omschrijving-2\"\n"
        "\"2026-03-12\",\"+173,23\",\"NL03RABO0312456789\",\"EUR\",\"000000000000007001\",\"Caf\xE9 Noord\","
        "\"NL20INGB0001234567\",\"FAC-2026-0016\",\"dank\"\n"
        "\"2026-03-13\",\"-4,75\",\"NL03RABO0312456789\",\"EUR\",\"000000000000007002\",\"\",\"\",\"Kosten\","
        "\"\"\n";
    statement = readStatement(signedAmounts);
    ASSERT_EQ(statement.entries.size(), 2u);
    EXPECT_EQ(statement.entries[0].amountCents, 17323);
    EXPECT_EQ(statement.entries[0].counterpartyName, "Caf\xC3\xA9 Noord");
    EXPECT_EQ(statement.entries[0].description, "FAC-2026-0016 dank");
    EXPECT_EQ(statement.entries[0].entryReference, "000000000000007001");
    EXPECT_EQ(statement.entries[1].amountCents, -475);
}

TEST(StatementFormatsTest, RefusesWhatIsNoStatementOrIsBrokenWithADutchText) {
    const std::string camt = testing::readFile(kStatements / "demo-maart.camt053.xml");
    const std::string mt940 = testing::readFile(kStatements / "demo-maart.mt940");

    Refusal refusal = refusalOf("Beste klant,\nhierbij de factuur.\n");
    EXPECT_EQ(refusal.status, 415);
    EXPECT_NE(refusal.text.find("CAMT.053"), std::string::npos) << refusal.text;

    std::string otherNamespace = camt;
    otherNamespace.replace(otherNamespace.find("camt.053.001.02"), 15, "camt.052.001.02");
    EXPECT_EQ(refusalOf(otherNamespace).status, 415);
    EXPECT_EQ(refusalOf("<?xml version=\"1.0\"?><Document><BkToCstmrStmt/></Document>").status, 415);

    // Cut off in the middle: XML that does not close, MT940 without its closing balance, MT940
    // whose movements do not add up to the closing balance because a line is missing.
    EXPECT_EQ(refusalOf(camt.substr(0, camt.size() / 2)).status, 400);
    std::string otherCurrency = camt;
    for (std::size_t at = otherCurrency.find("Ccy=\"EUR\""); at != std::string::npos;
         at = otherCurrency.find("Ccy=\"EUR\"", at))
        otherCurrency.replace(at, 9, "Ccy=\"EURO\"");
    refusal = refusalOf(otherCurrency);
    EXPECT_EQ(refusal.status, 400);
    EXPECT_NE(refusal.text.find("valutacode"), std::string::npos) << refusal.text;
    refusal = refusalOf(mt940.substr(0, mt940.find(":62F:")));
    EXPECT_EQ(refusal.status, 400);
    EXPECT_NE(refusal.text.find("onvolledig"), std::string::npos) << refusal.text;
    std::string lineMissing = mt940;
    lineMissing.erase(lineMissing.find(":61:2603110311D4,75"),
                      std::string(":61:2603110311D4,75NMSCNONREF\r\n").size());
    EXPECT_EQ(refusalOf(lineMissing).status, 400);

    std::string bothSeparators = mt940;
    bothSeparators.replace(bothSeparators.find("C173,23"), 7, "C1.173,23");
    refusal = refusalOf(bothSeparators);
    EXPECT_EQ(refusal.status, 400);
    EXPECT_NE(refusal.text.find("zowel een punt als een komma"), std::string::npos) << refusal.text;

    std::string huge = camt;
    huge.insert(huge.find("</Document>"), std::string(30 * 1024 * 1024, ' '));
    refusal = refusalOf(huge);
    EXPECT_EQ(refusal.status, 400);
    EXPECT_NE(refusal.text.find("MB"), std::string::npos) << refusal.text;

    EXPECT_EQ(refusalOf("  \r\n").status, 400);
}

TEST(StatementFormatsTest, AnEntityBombIsRefusedNotExpanded) {
    std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [\n<!ENTITY a0 \"hahahahahahahahahaha\">\n";
    // Twelve levels of ten references each: 10^12 copies if anything expanded it.
    for (int level = 1; level <= 12; ++level) {
        bomb += "<!ENTITY a" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += "&a" + std::to_string(level - 1) + ";";
        bomb += "\">\n";
    }
    bomb +=
        "]>\n<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt><Stmt><Ntry>"
        "<Amt Ccy=\"EUR\">1.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><BookgDt><Dt>2026-03-13</Dt></BookgDt>"
        "<NtryDtls><TxDtls><RmtInf><Ustrd>&a12;</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry></Stmt>"
        "</BkToCstmrStmt></Document>";
    const Refusal refusal = refusalOf(bomb);
    EXPECT_EQ(refusal.status, 400);
    EXPECT_NE(refusal.text.find("entiteiten"), std::string::npos) << refusal.text;
}

TEST(StatementFormatsTest, AmountsAndDatesAsBanksWriteThem) {
    using namespace statementtext;
    EXPECT_EQ(parseAmountCents("1234.5"), 123450);
    EXPECT_EQ(parseAmountCents("+0,07"), 7);
    EXPECT_EQ(parseAmountCents("-12,"), -1200);
    EXPECT_EQ(parseAmountCents(",5"), 50);
    for (const char* bad : {"", "-", "1,2,3", "12,345", "1e3", "€ 5,00", "1234567890123,00", "1.234,56"}) {
        try {
            parseAmountCents(bad);
            ADD_FAILURE() << bad;
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.httpStatus(), 400) << bad;
        }
    }
    EXPECT_EQ(calendarDate("20280229"), "2028-02-29");
    EXPECT_EQ(calendarDate("29-02-2028"), "2028-02-29");
    EXPECT_THROW(calendarDate("20260229"), ServiceError);  // 2026 is no leap year
    EXPECT_THROW(calendarDate("2026-13-01"), ServiceError);
}

TEST(StatementFormatsTest, InvoiceNumbersAreFoundAsWordsOfTheRemittance) {
    EXPECT_EQ(OpenInvoiceIndex::candidateNumbers("Betaling fac-2026-0017."),
              (std::vector<std::string>{"BETALING", "FAC-2026-0017"}));
    EXPECT_EQ(OpenInvoiceIndex::candidateNumbers("(FAC-1),FAC-2;  /x/"),
              (std::vector<std::string>{"FAC-1", "FAC-2", "X"}));
}

}  // namespace
}  // namespace zelvorin::service
