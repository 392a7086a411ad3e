// The query string of a request target, read the way the router's forms are submitted.
#include "tools/router-sim/form_query.h"

#include <charconv>

namespace routerdesk::sim {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::string decodeFormText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

FormFields parseQuery(std::string_view query) {
    FormFields fields;
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view{} : query.substr(end + 1);
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos) {
            fields.emplace_back(decodeFormText(pair), std::string{});
        } else {
            fields.emplace_back(decodeFormText(pair.substr(0, equals)),
                                decodeFormText(pair.substr(equals + 1)));
        }
    }
    return fields;
}

std::optional<std::string> fieldValue(const FormFields& fields, std::string_view name) {
    for (const auto& [fieldName, value] : fields) {
        if (fieldName == name) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<int> fieldNumber(const FormFields& fields, std::string_view name) {
    const std::optional<std::string> text = fieldValue(fields, name);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    int number = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, number);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return number;
}

TargetParts splitTarget(std::string_view target) {
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos) {
        return {target, {}};
    }
    return {target.substr(0, question), target.substr(question + 1)};
}

}  // namespace routerdesk::sim
