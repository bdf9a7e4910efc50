#include "screens/MainSections.h"

namespace zelvorin {

std::string_view sectionTitle(MainSection section) {
    switch (section) {
        case MainSection::dashboard:
            return "Dashboard";
        case MainSection::facturen:
            return "Facturen";
        case MainSection::autoFactuur:
            return "Auto-factuur";
        case MainSection::offertes:
            return "Offertes";
        case MainSection::contacten:
            return "Contacten";
        case MainSection::bank:
            return "Bank";
        case MainSection::kvitra:
            return "Kvitra";
        case MainSection::btwAangifte:
            return "BTW-aangifte";
    }
    return "";
}

std::string_view sectionSlug(MainSection section) {
    switch (section) {
        case MainSection::dashboard:
            return "dashboard";
        case MainSection::facturen:
            return "facturen";
        case MainSection::autoFactuur:
            return "auto-factuur";
        case MainSection::offertes:
            return "offertes";
        case MainSection::contacten:
            return "contacten";
        case MainSection::bank:
            return "bank";
        case MainSection::kvitra:
            return "kvitra";
        case MainSection::btwAangifte:
            return "btw-aangifte";
    }
    return "";
}

}  // namespace zelvorin
