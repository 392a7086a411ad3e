// The query string of a request target, read the way the router's forms are submitted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace routerdesk::sim {

// application/x-www-form-urlencoded over GBK bytes: "+" is a blank, "%XX" one byte, and every
// other byte stays as it came, raw GBK and blanks included. A "%" without two hex digits stays.
std::string decodeFormText(std::string_view text);

using FormFields = std::vector<std::pair<std::string, std::string>>;

// The decoded name=value pairs of the query, in order; a pair without "=" has an empty value.
FormFields parseQuery(std::string_view query);

// The value of the first field named `name`.
std::optional<std::string> fieldValue(const FormFields& fields, std::string_view name);

// A decimal number and nothing else, or nothing.
std::optional<int> fieldNumber(const FormFields& fields, std::string_view name);

struct TargetParts {
    std::string_view path;
    std::string_view query;  // after the first "?", empty when there is none
};

TargetParts splitTarget(std::string_view target);

}  // namespace routerdesk::sim
