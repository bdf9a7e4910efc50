#pragma once

#include <string_view>

#include "service/bank/StatementEntry.h"

namespace zelvorin::service {

// Whether the first line is the header of a bank export this service reads.
bool looksLikeBankCsv(std::string_view bytes);

// The CSV exports of the large Dutch banks, recognised by their header (columns are found by
// name, so their order does not matter; "," or ";" between them):
//   * one direction column: "Datum" (yyyyMMdd), "Naam / Omschrijving", "Rekening",
//     "Tegenrekening", "Af Bij", "Bedrag (EUR)" without sign, "Mededelingen";
//   * signed amounts: "IBAN/BBAN", "Volgnr" (the bank's sequence, the entry reference), "Datum"
//     (yyyy-MM-dd), "Bedrag" ("+1,00" / "-1,00"), "Tegenrekening IBAN/BBAN", "Naam tegenpartij",
//     "Omschrijving-1" to "-3".
// A row that cannot be read is ServiceError(badRequest) naming its line.
ParsedStatement parseBankCsv(std::string_view bytes);

}  // namespace zelvorin::service
