#include "layout/TemplateUploads.h"

#include <gtest/gtest.h>

#include "layout/ImageSource.h"

namespace zelvorin {
namespace {

BlockConfig image(std::string url) {
    BlockConfig block;
    block.type = BlockType::imageBlock;
    block.imageUrl = std::move(url);
    return block;
}

// The header of a PNG that claims `width` × `height` (nothing behind it).
std::string pngHeader(std::uint32_t width, std::uint32_t height) {
    std::string bytes = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0dIHDR", 8);
    for (const std::uint32_t side : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += static_cast<char>((side >> shift) & 0xFF);
    return bytes + std::string("\x08\x06\0\0\0\0\0\0\0", 9);
}

TEST(TemplateUploadsTest, AnUploadAddressNamesAPlainKeyAndNothingElse) {
    EXPECT_EQ(uploadKeyOf("api/uploads/logos/0b1e/logo.png"), "logos/0b1e/logo.png");
    for (const char* refused :
         {"api/uploads/", "api/uploads/../secrets", "api/uploads/logos/../../x", "api/uploads//etc/passwd",
          "api/uploads/logos/./logo.png", "api/uploads/logos/", "api/uploads/a\\b", "api/uploads/a\nb",
          "/api/uploads/logo.png", "/etc/passwd", "file:///etc/passwd",
          "https://elders.example/api/uploads/x", "data:image/png;base64,iVBORw0KGgo="})
        EXPECT_FALSE(uploadKeyOf(refused)) << refused;
    EXPECT_FALSE(uploadKeyOf("api/uploads/" + std::string(600, 'a')));
}

TEST(TemplateUploadsTest, EveryImageBlockIsResolvedOrDroppedNestedOnesIncluded) {
    InvoiceLayoutConfig layout;
    BlockConfig columns;
    columns.type = BlockType::columnsBlock;
    columns.columnsLeft = std::vector<BlockConfig>{image("api/uploads/links.png")};
    columns.columnsRight = std::vector<BlockConfig>{image("api/uploads/van-een-ander.png")};
    layout.blocks = {image("api/uploads/boven.png"), columns, image("/etc/passwd"),
                     image("data:image/png;base64,AAAA"), image("api/uploads/boven.png")};
    BlockConfig logo = image("api/uploads/kop.png");
    logo.imageUrl.reset();
    logo.imagePngDataUrl = "api/uploads/kop.png";
    layout.footerContinuation = ZonePanelConfig{40, std::nullopt, std::vector<BlockConfig>{logo}};

    EXPECT_EQ(uploadKeysOf(layout),
              (std::vector<std::string>{"boven.png", "links.png", "van-een-ander.png", "kop.png"}));

    resolveUploadImages(layout, {{"boven.png", "data:image/png;base64,Qk9WRU4="},
                                 {"links.png", "data:image/png;base64,TElOS1M="},
                                 {"kop.png", "data:image/png;base64,S09Q"}});
    EXPECT_EQ(layout.blocks[0].imageUrl, "data:image/png;base64,Qk9WRU4=");
    EXPECT_EQ(layout.blocks[4].imageUrl, "data:image/png;base64,Qk9WRU4=");
    EXPECT_EQ((*layout.blocks[1].columnsLeft)[0].imageUrl, "data:image/png;base64,TElOS1M=");
    EXPECT_FALSE((*layout.blocks[1].columnsRight)[0].imageUrl);  // not found among the organisation's own
    EXPECT_EQ((*layout.footerContinuation->subBlocks)[0].imagePngDataUrl, "data:image/png;base64,S09Q");
    // What is no upload address is the measurer's to refuse.
    EXPECT_EQ(layout.blocks[2].imageUrl, "/etc/passwd");
    EXPECT_EQ(layout.blocks[3].imageUrl, "data:image/png;base64,AAAA");
}

TEST(TemplateUploadsTest, ATemplateNamesAtMostSoManyUploads) {
    InvoiceLayoutConfig layout;
    for (std::size_t i = 0; i < kMaxTemplateUploads + 5; ++i)
        layout.blocks.push_back(image("api/uploads/beeld-" + std::to_string(i) + ".png"));
    EXPECT_EQ(uploadKeysOf(layout).size(), kMaxTemplateUploads);
    EXPECT_TRUE(uploadKeysOfConfig(std::string("geen json")).empty());
    EXPECT_TRUE(uploadKeysOfConfig(std::nullopt).empty());
}

TEST(TemplateUploadsTest, AnUploadIsDrawnOnlyWithinTheCapsOfADataUrl) {
    const std::optional<std::string> small = drawableDataUrl(pngHeader(300, 200));
    ASSERT_TRUE(small);
    EXPECT_TRUE(small->starts_with("data:image/png;base64,"));
    EXPECT_EQ(dataUrlBytes(*small), pngHeader(300, 200));
    EXPECT_FALSE(drawableDataUrl(pngHeader(20'000, 20'000)));  // 400 megapixels
    EXPECT_FALSE(drawableDataUrl(pngHeader(300, 200) + std::string(kMaxImageBytes, '\0')));
    EXPECT_FALSE(drawableDataUrl("<svg xmlns=\"http://www.w3.org/2000/svg\"/>"));
}

}  // namespace
}  // namespace zelvorin
