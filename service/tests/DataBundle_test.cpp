#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "service/data/BundleCipher.h"
#include "service/data/BundleFrames.h"
#include "service/data/StoredZip.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin::service::bundle {
namespace {

// Cheap enough to seal many bundles in a test; the cost travels in the header, so opening
// follows it.
constexpr KdfCost kCheap{10, 8, 1};
constexpr std::uint32_t kSmallChunk = 1024;

std::string sealed(std::string_view plaintext, std::string_view password = "geheim-wachtwoord") {
    BundleSealer sealer(password, kCheap, kSmallChunk);
    // In uneven pieces, so chunks fill across appends.
    for (std::size_t offset = 0; offset < plaintext.size(); offset += 700)
        sealer.append(plaintext.substr(offset, 700));
    return sealer.finish();
}

std::string refusal(std::string_view bundle, std::string_view password = "geheim-wachtwoord") {
    try {
        openBundle(bundle, password);
    } catch (const BundleError& error) {
        return error.what();
    }
    return "geopend";
}

std::string pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    return text;
}

TEST(BundleCipherTest, OpensWhatWasSealedWhateverItsSizeAgainstTheChunks) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{kSmallChunk},
                             std::size_t{2 * kSmallChunk}, std::size_t{2 * kSmallChunk + 513}}) {
        const std::string plaintext = pattern(size);
        const std::string bundle = sealed(plaintext);
        EXPECT_TRUE(looksLikeBundle(bundle));
        EXPECT_EQ(openBundle(bundle, "geheim-wachtwoord"), plaintext) << size;
        // The plaintext does not show through.
        if (size >= 64) {
            EXPECT_EQ(bundle.find(plaintext.substr(0, 64)), std::string::npos);
        }
    }
    // The same contents under the same password seal differently (fresh salt and nonces).
    EXPECT_NE(sealed("dezelfde inhoud"), sealed("dezelfde inhoud"));
}

TEST(BundleCipherTest, RefusesAWrongPasswordAndEveryCutOrChangedByte) {
    const std::string bundle = sealed(pattern(3 * kSmallChunk + 100));
    const std::size_t unit = kSmallChunk + 16;
    const std::string wrongPassword = "Het wachtwoord is onjuist, of de bundel is beschadigd.";
    const std::string changedLater =
        "De bundel is beschadigd of onvolledig: hij is na het exporteren veranderd.";
    EXPECT_EQ(refusal(bundle, "geheim-wachtwoorD"), wrongPassword);
    EXPECT_EQ(refusal(bundle, ""), wrongPassword);

    // Cut inside the header, right after it, at a chunk boundary (the last chunk is missing, the
    // rest authenticates) and inside the last chunk.
    EXPECT_EQ(refusal(bundle.substr(0, 20)), "De bundel is onvolledig: het bestand is afgebroken.");
    EXPECT_EQ(refusal(bundle.substr(0, kHeaderBytes)), "De bundel is onvolledig: het bestand is afgebroken.");
    EXPECT_EQ(refusal(bundle.substr(0, kHeaderBytes + 2 * unit)), changedLater);
    EXPECT_EQ(refusal(bundle.substr(0, bundle.size() - 1)), changedLater);
    // Two chunks swapped.
    std::string swapped = bundle;
    swapped.replace(kHeaderBytes, unit, bundle.substr(kHeaderBytes + unit, unit));
    swapped.replace(kHeaderBytes + unit, unit, bundle.substr(kHeaderBytes, unit));
    EXPECT_NE(refusal(swapped), "geopend");

    // One flipped bit anywhere: the salt, the nonce prefix, the chunk size, a ciphertext byte of a
    // later chunk, the last tag. A changed header fails the first chunk already.
    for (std::size_t at :
         {std::size_t{15}, std::size_t{30}, kHeaderBytes - 1, kHeaderBytes + unit + 5, bundle.size() - 1}) {
        std::string altered = bundle;
        altered[at] = static_cast<char>(altered[at] ^ 0x01);
        EXPECT_NE(refusal(altered), "geopend") << at;
    }
    std::string laterChunk = bundle;
    laterChunk[kHeaderBytes + unit + 5] ^= 0x40;
    EXPECT_EQ(refusal(laterChunk), changedLater);

    EXPECT_EQ(refusal("PK\x03\x04 een zip"), "Dit bestand is geen Zelvorin-exportbundel.");
}

TEST(BundleCipherTest, AHeaderAskingForAnExpensiveKeyIsRefusedBeforeAnyWork) {
    std::string bundle = sealed("inhoud");
    bundle[10] = 30;  // 2^30 rounds: 128 GiB of memory if it were believed
    EXPECT_EQ(refusal(bundle), "De bundel is beschadigd: de kop van het bestand klopt niet.");
}

TEST(BundleFramesTest, FramesComeBackInOrderAndABrokenFrameIsRefused) {
    const std::string binary("\0\xff\x01 bytes", 9);
    const std::string plaintext = encodeFrame(Json{{"kind", "manifest"}}, "") +
                                  encodeFrame(Json{{"kind", "file"}, {"key", "kvitra/a.pdf"}}, binary);
    const std::vector<Frame> frames = decodeFrames(plaintext);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].header["key"], "kvitra/a.pdf");
    EXPECT_EQ(frames[1].body, binary);
    EXPECT_THROW(decodeFrames(plaintext.substr(0, plaintext.size() - 1)), BundleError);
    EXPECT_THROW(decodeFrames(encodeFrame(Json::array(), "x")), BundleError);
}

TEST(StoredZipTest, UnzipAcceptsTheArchiveAndGivesTheFilesBack) {
    testing::TempDir dir;
    StoredZip zip;
    zip.add("profiel.json", "{\n  \"naam\": \"Sanne\"\n}\n");
    zip.add("organisatie/customer.json", "[]\n");
    zip.add("leeg.json", "");
    EXPECT_THROW(zip.add("../buiten.json", "x"), std::invalid_argument);
    EXPECT_THROW(zip.add("leeg.json", "x"), std::invalid_argument);
    const std::filesystem::path archive = dir / "export.zip";
    std::ofstream(archive, std::ios::binary) << zip.finish();

    EXPECT_NE(testing::runCommand("unzip -t " + archive.string()).find("No errors detected"),
              std::string::npos);
    EXPECT_EQ(testing::runCommand("unzip -p " + archive.string() + " organisatie/customer.json"), "[]\n");
    EXPECT_EQ(testing::runCommand("unzip -p " + archive.string() + " profiel.json"),
              "{\n  \"naam\": \"Sanne\"\n}\n");
}

}  // namespace
}  // namespace zelvorin::service::bundle
