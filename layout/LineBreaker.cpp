#include "layout/LineBreaker.h"

namespace zelvorin {

namespace {

std::size_t utf8CharLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;  // a stray continuation byte counts on its own
}

std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> chars;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t len = std::min(utf8CharLength(static_cast<unsigned char>(text[pos])), text.size() - pos);
        chars.push_back(text.substr(pos, len));
        pos += len;
    }
    return chars;
}

double widthOf(const TextMeasurer& m, const TextStyle& s, std::string_view text) {
    return m.width(s.font, s.size, text, s.letterSpacingEm);
}

// Breaks one word that is wider than the line into pieces that fit; the last piece is returned
// unfinished so the words after it can follow on the same line.
std::string breakWord(const TextMeasurer& m, const TextStyle& s, std::string_view word, double maxWidth,
                      std::vector<std::string>& lines) {
    std::string piece;
    double pieceWidth = 0;
    for (std::string_view ch : characters(word)) {
        double w = widthOf(m, s, ch);
        if (!piece.empty() && pieceWidth + w > maxWidth) {
            lines.push_back(std::move(piece));
            piece.clear();
            pieceWidth = 0;
        }
        piece.append(ch);
        pieceWidth += w;
    }
    return piece;
}

void breakParagraph(const TextMeasurer& m, const TextStyle& s, std::string_view paragraph, double maxWidth,
                    std::vector<std::string>& lines) {
    double spaceWidth = widthOf(m, s, " ");
    std::string line;
    double lineWidth = 0;
    std::size_t pos = 0;
    while (pos <= paragraph.size()) {
        std::size_t end = paragraph.find(' ', pos);
        if (end == std::string_view::npos) end = paragraph.size();
        std::string_view word = paragraph.substr(pos, end - pos);
        pos = end + 1;
        if (word.empty()) continue;
        double w = widthOf(m, s, word);
        if (!line.empty() && lineWidth + spaceWidth + w <= maxWidth) {
            line += ' ';
            line.append(word);
            lineWidth += spaceWidth + w;
            continue;
        }
        if (!line.empty()) lines.push_back(std::move(line));
        line.clear();
        if (w > maxWidth) {
            line = breakWord(m, s, word, maxWidth, lines);
            lineWidth = widthOf(m, s, line);
        } else {
            line.assign(word);
            lineWidth = w;
        }
    }
    lines.push_back(std::move(line));
}

}  // namespace

std::vector<std::string> breakLines(const TextMeasurer& measurer, const TextStyle& style,
                                    std::string_view text, double maxWidth) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = text.find('\n', pos);
        std::string_view paragraph = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        breakParagraph(measurer, style, paragraph, maxWidth, lines);
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    return lines;
}

std::string fitOnOneLine(const TextMeasurer& measurer, const TextStyle& style, std::string_view text,
                         double maxWidth) {
    std::size_t newline = text.find('\n');
    std::string_view first = text.substr(0, newline);
    if (newline == std::string_view::npos && widthOf(measurer, style, first) <= maxWidth)
        return std::string(first);
    const std::string_view ellipsis = "\xE2\x80\xA6";
    double budget = maxWidth - widthOf(measurer, style, ellipsis);
    std::string out;
    double width = 0;
    for (std::string_view ch : characters(first)) {
        double w = widthOf(measurer, style, ch);
        if (width + w > budget) break;
        out.append(ch);
        width += w;
    }
    return out + std::string(ellipsis);
}

}  // namespace zelvorin
