// Writes the fuzzers' seed corpora from the simulated router's pages: each page as the router
// sends it, compressed, in UTF-8, and settings files and scrambled texts as the program writes
// them. Usage: make_seed_corpus <folder>; one subfolder per fuzzer.
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "core/private_profile.h"
#include "core/scramble.h"
#include "core/settings.h"
#include "fuzz/fuzz_inputs.h"
#include "tools/router-sim/response_shaping.h"
#include "tools/router-sim/router_pages.h"
#include "tools/router-sim/router_state.h"

namespace {

using namespace routerdesk;
using namespace routerdesk::fuzz;
namespace fs = std::filesystem;

class Corpus {
  public:
    explicit Corpus(fs::path folder) : folder_(std::move(folder)) {}

    void add(const std::string& target, const std::string& name, std::string_view bytes) {
        const fs::path dir = folder_ / target;
        fs::create_directories(dir);
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_seed_corpus: cannot write %s\n", (dir / name).c_str());
            ok_ = false;
        }
        ++count_;
    }

    bool ok() const { return ok_; }
    int count() const { return count_; }

  private:
    fs::path folder_;
    bool ok_ = true;
    int count_ = 0;
};

std::string rawDeflate(std::string_view data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string withFlag(std::uint8_t flag, std::string_view rest) {
    std::string seed(1, static_cast<char>(flag));
    seed += rest;
    return seed;
}

struct NamedState {
    std::string name;
    sim::RouterState state;
    sim::OneLineArrays oneLine;
};

std::vector<NamedState> routerStates() {
    using sim::WanLink;
    std::vector<NamedState> states;
    const auto add = [&](std::string name, const std::function<void(sim::RouterState&)>& change,
                         sim::OneLineArrays oneLine = {}) {
        sim::RouterState state;
        change(state);
        states.push_back({std::move(name), state, std::move(oneLine)});
    };
    add("default", [](sim::RouterState&) {});
    add("radio-off", [](sim::RouterState& s) {
        s.radioOn = false;
        s.broadcastOn = false;
        s.stationCount = 0;
    });
    add("fixed-channel", [](sim::RouterState& s) {
        s.channel = 11;
        s.currentChannel = 11;
        s.mode = 1;
        s.width = 3;
        s.wdsState = 5;
    });
    add("wds-scanning", [](sim::RouterState& s) {
        s.mode = 4;
        s.width = 1;
        s.wdsState = 2;
    });
    add("full", [](sim::RouterState& s) { s.stationCount = sim::kMaxStations; });
    add("odd-ssid", [](sim::RouterState& s) { s.ssid = "a,b\"c(d"; });
    add("empty-ssid", [](sim::RouterState& s) { s.ssid.clear(); });
    const std::pair<const char*, WanLink> links[] = {
        {"link-offline", WanLink::offline},        {"link-connecting", WanLink::connecting},
        {"link-auth-failed", WanLink::authFailed}, {"link-no-server", WanLink::noServer},
        {"link-no-cable", WanLink::noCable},       {"link-unknown", WanLink::unknown}};
    for (const auto& entry : links) {
        const WanLink link = entry.second;
        add(entry.first, [link](sim::RouterState& s) { s.wanLink = link; });
    }
    add("one-line", [](sim::RouterState&) {},
        {"statusPara", "lanPara", "wlanPara", "statistList", "wanPara", "wlanHostPara",
         "hostList"});
    return states;
}

void addPageSeeds(Corpus& corpus) {
    for (const NamedState& s : routerStates()) {
        const std::string pages[] = {sim::renderStatusPage(s.state, s.oneLine),
                                     sim::renderWlanNetworkPage(s.state, s.oneLine),
                                     sim::renderWlanStationPage(s.state, 1, s.oneLine)};
        const char* pageNames[] = {"status", "network", "station"};
        for (std::uint8_t i = 0; i < 3; ++i) {
            corpus.add("refresh_page", s.name + "-" + pageNames[i], withFlag(i, pages[i]));
        }
        corpus.add("refresh_page", s.name + "-all",
                   withFlag(kAllPages, pages[0] + std::string(kPageSeparator) + pages[1] +
                                           std::string(kPageSeparator) + pages[2]));
    }
    const std::pair<const char*, std::string> answers[] = {
        {"login-failed", sim::loginFailedPage()},
        {"no-authority", std::string(sim::kNoAuthorityBody)},
        {"not-found", sim::notFoundPage()},
        {"index", sim::indexPage()}};
    for (const auto& [name, body] : answers) {
        corpus.add("refresh_page", name, withFlag(kFuzzStatusPage, body));
    }
}

void addDecodingSeeds(Corpus& corpus) {
    const sim::RouterState state;
    const std::pair<const char*, std::string> pages[] = {
        {"status", sim::renderStatusPage(state)},
        {"network", sim::renderWlanNetworkPage(state)},
        {"login-failed", sim::loginFailedPage()}};
    const std::uint8_t gzip = 1;
    const std::uint8_t deflate = 2;
    const std::uint8_t wrongCase = 3;
    const std::uint8_t compressHere = 0x08;
    for (const auto& [name, gbkPage] : pages) {
        const std::string utf8Page = gbkToUtf8(gbkPage);
        const std::string base = name;
        corpus.add("response_decoding", base + "-plain", withFlag(0, gbkPage));
        corpus.add("response_decoding", base + "-utf8", withFlag(kUtf8Flag, utf8Page));
        corpus.add("response_decoding", base + "-gzip",
                   withFlag(gzip, sim::compressBody(gbkPage, sim::BodyEncoding::gzip)));
        corpus.add("response_decoding", base + "-gzip-twice",
                   withFlag(gzip, sim::compressBody(gbkPage, sim::BodyEncoding::gzip) +
                                      sim::compressBody(gbkPage, sim::BodyEncoding::gzip)));
        corpus.add("response_decoding", base + "-zlib",
                   withFlag(deflate, sim::compressBody(gbkPage, sim::BodyEncoding::deflate)));
        corpus.add("response_decoding", base + "-raw-deflate",
                   withFlag(deflate, rawDeflate(gbkPage)));
        corpus.add(
            "response_decoding", base + "-utf8-gzip",
            withFlag(gzip | kUtf8Flag, sim::compressBody(utf8Page, sim::BodyEncoding::gzip)));
        corpus.add("response_decoding", base + "-gzip-uppercase",
                   withFlag(wrongCase, sim::compressBody(gbkPage, sim::BodyEncoding::gzip)));
        corpus.add("response_decoding", base + "-compress-here", withFlag(compressHere, gbkPage));
        corpus.add("response_decoding", base + "-zero-byte",
                   withFlag(0, gbkPage.substr(0, 40) + std::string(1, '\0') + gbkPage.substr(40)));
    }
    // Sizes the decoder must not take at face value: a bomb that inflates far beyond the cap.
    const std::string zeros(1u << 20, 'A');
    corpus.add("response_decoding", "bomb-gzip",
               withFlag(gzip, sim::compressBody(zeros, sim::BodyEncoding::gzip)));
}

const RouterLogin kLogins[] = {
    {"admin", "admin", "80", "192.168.1.1"},
    {"\xB9\xDC\xC0\xED\xD4\xB1", "p@ss word\xC3\xDC", "8080", "10.0.0.1"},  // 管理员, …密
    {"", "", "", ""},
    {"a", std::string(64, 'x'), "65535", "router.local"},
};

void addScrambleSeeds(Corpus& corpus) {
    int n = 0;
    for (const RouterLogin& login : kLogins) {
        for (const std::string* field :
             {&login.account, &login.password, &login.port, &login.managementIp}) {
            corpus.add("unscramble", "value-" + std::to_string(n++), scrambleText(*field));
        }
    }
    corpus.add("unscramble", "odd-length", scrambleText("abc").substr(0, 5));
    corpus.add("unscramble", "outside-alphabet", "A=B-C_D\xB5\xC7");
}

void addSettingsSeeds(Corpus& corpus) {
    int n = 0;
    for (const RouterLogin& login : kLogins) {
        PrivateProfile profile;
        profile.write(kLoginSection, kAccountKey, scrambleText(login.account));
        profile.write(kLoginSection, kPasswordKey, scrambleText(login.password));
        profile.write(kLoginSection, kPortKey, scrambleText(login.port));
        profile.write(kLoginSection, kManagementIpKey, scrambleText(login.managementIp));
        corpus.add("private_profile", "saved-" + std::to_string(n++), profile.content());
    }
    const std::string section = "[" + std::string(kLoginSection) + "]";
    const std::string account = std::string(kAccountKey) + "=" + scrambleText("admin");
    corpus.add("private_profile", "hand-edited",
               "; written by hand\n[other]\nkey = value\n\n " + section + " \n" + account + "\n" +
                   std::string(kPortKey) + " = \"" + scrambleText("80") + "\"\n" +
                   std::string(kManagementIpKey) + "='x'\n[last]\nno equals sign\n[unclosed\n");
    corpus.add("private_profile", "bom-and-lone-cr",
               "\xEF\xBB\xBF" + section + "\r\n" + account + "\rtrailing");
    corpus.add("private_profile", "twice",
               section + "\n" + account + "\n" + section + "\n" + account + "x\n" +
                   std::string(kPasswordKey) + "=\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seed_corpus <folder>\n");
        return 2;
    }
    Corpus corpus{fs::path(argv[1])};
    addPageSeeds(corpus);
    addDecodingSeeds(corpus);
    addScrambleSeeds(corpus);
    addSettingsSeeds(corpus);
    std::printf("make_seed_corpus: %d seeds in %s\n", corpus.count(), argv[1]);
    return corpus.ok() ? 0 : 1;
}
