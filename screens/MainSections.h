#pragma once

#include <array>
#include <string_view>

namespace zelvorin {

// The sections of the main window's sidebar, top to bottom. Ctrl+1 … Ctrl+8 open them in this
// order.
enum class MainSection { dashboard, facturen, autoFactuur, offertes, contacten, bank, kvitra, btwAangifte };

inline constexpr std::array kAllMainSections{
    MainSection::dashboard, MainSection::facturen, MainSection::autoFactuur, MainSection::offertes,
    MainSection::contacten, MainSection::bank,     MainSection::kvitra,      MainSection::btwAangifte};

// "Dashboard", "Facturen", "Auto-factuur", …
std::string_view sectionTitle(MainSection section);
// The file name part of its screenshot, e.g. "auto-factuur".
std::string_view sectionSlug(MainSection section);

}  // namespace zelvorin
