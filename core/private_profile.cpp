// Reading and editing private-profile files the way Windows' own functions treat them.
#include "core/private_profile.h"

#include <utility>

namespace routerdesk {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A byte of 0x80 or above opens a two-byte GBK character, whose second byte may look like an
// ASCII letter or "]" but is neither.
bool opensTwoByteCharacter(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size();
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (opensTwoByteCharacter(a, i)) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::size_t lastClosingBracket(std::string_view text) {
    std::size_t last = kNone;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (opensTwoByteCharacter(text, i)) {
            ++i;
        } else if (text[i] == ']') {
            last = i;
        }
    }
    return last;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

// A value that reading would change (outer blanks, outer quotes of its own) goes into quotes,
// which reading takes off again.
std::string storedValue(std::string_view value) {
    const bool quotedAlready =
        value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
    if (trimBlanks(value).size() != value.size() || quotedAlready) {
        std::string quoted = "\"";
        quoted += value;
        quoted += '"';
        return quoted;
    }
    return std::string(value);
}

bool canStoreKey(std::string_view key) {
    return !key.empty() && trimBlanks(key).size() == key.size() && !hasLineBreak(key) &&
           key.find('=') == key.npos && key.front() != ';' && key.front() != '[';
}

}  // namespace

PrivateProfile::PrivateProfile(std::string_view content) {
    while (!content.empty()) {
        const std::size_t lineFeed = content.find('\n');
        if (lineFeed == content.npos) {
            lines_.push_back(parseLine(std::string(content), std::string()));
            break;
        }
        std::string_view text = content.substr(0, lineFeed);
        const bool crLf = !text.empty() && text.back() == '\r';
        if (crLf) {
            text.remove_suffix(1);
        }
        // Built in one step: GCC 12 at -O3 takes an assigned short string for uninitialised.
        lines_.push_back(parseLine(std::string(text), std::string(crLf ? kCrLf : "\n")));
        content.remove_prefix(lineFeed + 1);
    }
}

PrivateProfile::Line PrivateProfile::parseLine(std::string text, std::string end) {
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    const std::string_view body = trimBlanks(line.text);
    if (body.empty()) {
        line.kind = Kind::blank;
    } else if (body.front() == ';') {
        line.kind = Kind::comment;
    } else if (body.front() == '[') {
        const std::size_t close = lastClosingBracket(body);
        // Windows passes over a "[" line without its "]", as it does any line it cannot use.
        line.kind = close == kNone ? Kind::other : Kind::section;
        if (close != kNone) {
            line.name = trimBlanks(body.substr(1, close - 1));
        }
    } else if (const std::size_t equals = body.find('='); equals != body.npos && equals > 0) {
        line.kind = Kind::key;
        line.name = trimBlanks(body.substr(0, equals));
        std::string_view value = trimBlanks(body.substr(equals + 1));
        if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        line.value = value;
    } else {
        line.kind = Kind::other;
    }
    return line;
}

std::size_t PrivateProfile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::section && sameName(lines_[i].name, section)) {
            return i;
        }
    }
    return kNone;
}

std::size_t PrivateProfile::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::section) {
        ++i;
    }
    return i;
}

std::size_t PrivateProfile::findKey(std::size_t header, std::string_view key) const {
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::key && sameName(lines_[i].name, key)) {
            return i;
        }
    }
    return kNone;
}

std::string PrivateProfile::read(std::string_view section, std::string_view key) const {
    const std::size_t header = findSection(section);
    if (header == kNone || key.empty()) {
        return {};
    }
    const std::size_t line = findKey(header, key);
    if (line == kNone) {
        return {};
    }
    const std::string& value = lines_[line].value;
    return value.substr(0, kProfileValueLimit);
}

void PrivateProfile::insertLine(std::size_t at, Line line) {
    // A last line without its line end would otherwise run into the new one.
    if (at > 0 && lines_[at - 1].end.empty()) {
        lines_[at - 1].end = kCrLf;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

bool PrivateProfile::write(std::string_view section, std::string_view key, std::string_view value) {
    if (!canStoreKey(key) || hasLineBreak(section) || hasLineBreak(value) ||
        trimBlanks(section).size() != section.size()) {
        return false;
    }
    const auto makeKeyLine = [&](std::string_view name) {
        std::string text(name);
        text += '=';
        text += storedValue(value);
        return parseLine(std::move(text), std::string(kCrLf));
    };

    const std::size_t header = findSection(section);
    if (header == kNone) {
        std::string text = "[";
        text += section;
        text += ']';
        insertLine(lines_.size(), parseLine(std::move(text), std::string(kCrLf)));
        insertLine(lines_.size(), makeKeyLine(key));
        return true;
    }
    if (const std::size_t line = findKey(header, key); line != kNone) {
        // The name keeps the spelling the file gave it.
        lines_[line] = makeKeyLine(lines_[line].name);
        return true;
    }
    // After the section's last line of substance: blank lines and comments before the next
    // section usually belong to that one.
    std::size_t last = header;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind != Kind::blank && lines_[i].kind != Kind::comment) {
            last = i;
        }
    }
    insertLine(last + 1, makeKeyLine(key));
    return true;
}

std::string PrivateProfile::content() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.end;
    }
    return text;
}

}  // namespace routerdesk
