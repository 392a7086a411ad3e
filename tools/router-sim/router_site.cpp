// The router's web interface: login check, Referer check, the pages and the forms behind them.
#include "tools/router-sim/router_site.h"

#include <cctype>

#include "tools/router-sim/credentials.h"
#include "tools/router-sim/form_query.h"

namespace routerdesk::sim {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The host of "host[:port]", or of "[v6]:port".
std::string_view hostOf(std::string_view authority) {
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        return authority.substr(0, close == std::string_view::npos ? authority.size() : close + 1);
    }
    return authority.substr(0, authority.find(':'));
}

SiteResponse page(std::string body) {
    SiteResponse response;
    response.body = std::move(body);
    return response;
}

SiteResponse statusPage(RouterModel& model, const SiteRules& rules, const FormFields& form,
                        TimePoint now) {
    if (fieldValue(form, "Disconnect")) {
        model.disconnect(now);
    } else if (fieldValue(form, "Connect")) {
        model.connect(now);
    }
    return page(renderStatusPage(model.stateAt(now), rules.oneLineArrays));
}

SiteResponse wlanNetworkPage(RouterModel& model, const SiteRules& rules, const FormFields& form,
                             TimePoint now) {
    if (fieldValue(form, "Save")) {
        WirelessForm wireless;
        wireless.ssid = fieldValue(form, "ssid1").value_or("");
        wireless.radioOn = fieldValue(form, "ap").has_value();
        wireless.broadcastOn = fieldValue(form, "broadcast") == "2";
        wireless.channel = fieldNumber(form, "channel");
        wireless.mode = fieldNumber(form, "mode");
        wireless.width = fieldNumber(form, "chanWidth");
        model.applyWirelessForm(wireless, now);
    }
    return page(renderWlanNetworkPage(model.stateAt(now), rules.oneLineArrays));
}

SiteResponse wlanStationPage(RouterModel& model, const SiteRules& rules, const FormFields& form,
                             TimePoint now) {
    const int pageNumber = fieldNumber(form, "Page").value_or(1);
    return page(renderWlanStationPage(model.stateAt(now), pageNumber < 1 ? 1 : pageNumber,
                                      rules.oneLineArrays));
}

}  // namespace

bool refererFromOwnHost(const SiteRequest& request) {
    if (!request.referer) {
        return false;
    }
    const std::string referer = lowerAscii(*request.referer);
    constexpr std::string_view kScheme = "http://";
    if (!std::string_view(referer).starts_with(kScheme)) {
        return false;
    }
    const std::string_view rest = std::string_view(referer).substr(kScheme.size());
    const std::string_view refererHost = hostOf(rest.substr(0, rest.find_first_of("/?#")));
    const std::string ownHost =
        request.host ? lowerAscii(hostOf(*request.host)) : lowerAscii(request.localAddress);
    return !refererHost.empty() && refererHost == ownHost;
}

SiteResponse answerRequest(RouterModel& model, const SiteRules& rules, const SiteRequest& request,
                           TimePoint now) {
    if (!rules.redirectTo.empty()) {
        SiteResponse response;
        response.status = 302;
        response.headers.emplace_back("Location", rules.redirectTo + request.target);
        response.body = "<HTML><BODY>302 Found</BODY></HTML>";
        return response;
    }
    if (rules.status != 0) {
        SiteResponse response;
        response.status = rules.status;
        response.body = "<HTML><HEAD><TITLE>" + std::to_string(rules.status) +
                        "</TITLE></HEAD><BODY><H1>" + std::to_string(rules.status) +
                        "</H1></BODY></HTML>";
        return response;
    }

    if (rules.refuseLogin || !request.authorization ||
        !credentialsAccepted(*request.authorization, rules.account, rules.password)) {
        SiteResponse response;
        response.status = 401;
        response.headers.emplace_back("WWW-Authenticate",
                                      "Basic realm=\"" + std::string(kRealm) + "\"");
        response.body = loginFailedPage();
        return response;
    }

    const TargetParts parts = splitTarget(request.target);
    using Handler = SiteResponse (*)(RouterModel&, const SiteRules&, const FormFields&, TimePoint);
    Handler handler = nullptr;
    if (parts.path == kStatusPath) {
        handler = statusPage;
    } else if (parts.path == kWlanNetworkPath) {
        handler = wlanNetworkPage;
    } else if (parts.path == kWlanStationPath) {
        handler = wlanStationPage;
    } else if (parts.path == "/") {
        return page(indexPage());
    } else {
        SiteResponse response = page(notFoundPage());
        response.status = 404;
        return response;
    }

    // Refused before anything changes: a form from another site must not reach the settings.
    if (rules.noAuthority || !refererFromOwnHost(request)) {
        return page(std::string(kNoAuthorityBody));
    }
    return handler(model, rules, parseQuery(parts.query), now);
}

}  // namespace routerdesk::sim
