// The router's login check on the Authorization header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace routerdesk::sim {

// RFC 4648 Base64 with the standard alphabet and "=" padding; nothing when the text is not that.
std::optional<std::string> decodeBase64(std::string_view text);

// The router takes the Base64 of account ":" password on its own, which is what our program
// sends, as well as after the word "Basic" as browsers send it. Account and password are GBK.
bool credentialsAccepted(std::string_view authorization, std::string_view account,
                         std::string_view password);

}  // namespace routerdesk::sim
