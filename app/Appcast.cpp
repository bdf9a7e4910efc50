#include "app/Appcast.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>

#include "domain/UniqueHandle.h"

namespace zelvorin {

namespace {

constexpr std::size_t kMaxFeedBytes = 1 << 20;  // a feed of a few hundred releases is ~100 KB

// xmlFree is a variable (a replaceable allocator), so the owner calls it through a function.
void freeXmlText(xmlChar* text) noexcept {
    xmlFree(text);
}
using Document = UniqueHandle<xmlDoc*, xmlFreeDoc>;
using XmlText = UniqueHandle<xmlChar*, freeXmlText>;

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::string text(const xmlNode* node) {
    const XmlText content(xmlNodeGetContent(node));
    return content ? reinterpret_cast<const char*>(content.get()) : "";
}

std::string attribute(const xmlNode* node, const char* name) {
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        if (std::strcmp(reinterpret_cast<const char*>(attr->name), name) != 0) continue;
        const XmlText value(xmlNodeListGetString(node->doc, attr->children, 1));
        return value ? reinterpret_cast<const char*>(value.get()) : "";
    }
    return {};
}

AppcastRelease readItem(const xmlNode* item) {
    AppcastRelease release;
    for (const xmlNode* child = item->children; child; child = child->next) {
        if (named(child, "title")) release.title = text(child);
        if (named(child, "version")) release.version = text(child);
        if (named(child, "shortVersionString")) release.displayVersion = text(child);
        if (named(child, "enclosure")) {
            release.downloadURL = attribute(child, "url");
            if (release.version.empty()) release.version = attribute(child, "version");
            if (release.displayVersion.empty())
                release.displayVersion = attribute(child, "shortVersionString");
        }
    }
    if (release.displayVersion.empty()) release.displayVersion = release.version;
    return release;
}

void collectItems(const xmlNode* node, std::vector<AppcastRelease>& releases) {
    for (; node; node = node->next) {
        if (named(node, "item")) {
            AppcastRelease release = readItem(node);
            if (!release.version.empty()) releases.push_back(std::move(release));
            continue;
        }
        collectItems(node->children, releases);
    }
}

bool hasEntityDeclarations(const xmlDoc* document) {
    return document->intSubset && document->intSubset->entities;
}

}  // namespace

std::vector<AppcastRelease> parseAppcast(std::string_view xml) {
    if (xml.size() > kMaxFeedBytes) throw AppcastError("De updatefeed is te groot.");
    // No XML_PARSE_NOENT (entities stay references), no DTD loading, no network.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    Document document(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "appcast.xml", nullptr, options));
    if (!document) throw AppcastError("De updatefeed is geen geldige XML.");
    // A feed has no business declaring entities; one that does is refused whole.
    if (hasEntityDeclarations(document.get()))
        throw AppcastError("De updatefeed bevat entiteiten en wordt geweigerd.");
    const xmlNode* root = xmlDocGetRootElement(document.get());
    if (!root || !named(root, "rss")) throw AppcastError("De updatefeed is geen appcast (geen <rss>).");
    std::vector<AppcastRelease> releases;
    collectItems(root->children, releases);
    return releases;
}

int compareVersions(std::string_view a, std::string_view b) {
    auto next = [](std::string_view& rest) {
        const std::size_t dot = rest.find('.');
        std::string_view part = rest.substr(0, dot);
        rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
        return part;
    };
    auto numeric = [](std::string_view part) {
        return !part.empty() && part.size() < 18 &&
               part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    while (!a.empty() || !b.empty()) {
        std::string_view left = next(a);
        std::string_view right = next(b);
        if (left.empty()) left = "0";
        if (right.empty()) right = "0";
        if (numeric(left) && numeric(right)) {
            const long long l = std::stoll(std::string(left));
            const long long r = std::stoll(std::string(right));
            if (l != r) return l < r ? -1 : 1;
        } else if (const int order = left.compare(right); order != 0) {
            return order < 0 ? -1 : 1;
        }
    }
    return 0;
}

std::optional<AppcastRelease> newestReleaseAfter(const std::vector<AppcastRelease>& releases,
                                                 std::string_view currentVersion) {
    std::optional<AppcastRelease> newest;
    for (const AppcastRelease& release : releases) {
        if (compareVersions(release.version, currentVersion) <= 0) continue;
        if (!newest || compareVersions(release.version, newest->version) > 0) newest = release;
    }
    return newest;
}

}  // namespace zelvorin
