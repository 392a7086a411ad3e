// Windows private-profile (INI) files as bytes: read as Windows reads them, edited in place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace routerdesk {

// Windows reads a value into a buffer of 10240 bytes, one of them the terminating zero.
inline constexpr std::size_t kProfileValueLimit = 10239;

// The lines of one file, each kept byte for byte with its own line end until it is edited, so
// that writing a key leaves everything else of the file as it was. Names are GBK; ASCII letters
// match without regard to case, two-byte characters only exactly.
class PrivateProfile {
  public:
    PrivateProfile() = default;
    explicit PrivateProfile(std::string_view content);

    // The value of the first matching key in the first matching section, without the blanks
    // around it or a pair of matching quotes, at most kProfileValueLimit bytes; the empty text
    // when either is missing.
    std::string read(std::string_view section, std::string_view key) const;

    // Replaces the key's line in place, or adds the key at the end of its section, or the
    // section at the end of the file. False, and nothing changed, for a name or value that
    // could not be read back as given (a line break, a key with "=" or outer blanks).
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // The whole file: untouched lines as they came, written lines ending in CR LF.
    std::string content() const;

  private:
    enum class Kind { blank, comment, section, key, other };
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n" or nothing (the last line of a file)
        Kind kind = Kind::blank;
        std::string name;  // the section or key name as it stands, blanks trimmed
        std::string value;
    };

    static Line parseLine(std::string text, std::string end);
    std::size_t findSection(std::string_view section) const;
    std::size_t sectionEnd(std::size_t header) const;
    std::size_t findKey(std::size_t header, std::string_view key) const;
    void insertLine(std::size_t at, Line line);

    std::vector<Line> lines_;
};

}  // namespace routerdesk
