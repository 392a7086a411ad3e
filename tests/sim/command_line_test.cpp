// The command line of routerdesk-sim, and the executable itself on a free port.
#include "tools/router-sim/sim_options.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "tests/sim/raw_client.h"

extern char** environ;

namespace routerdesk::sim {
namespace {

using namespace std::chrono_literals;

TEST(CommandLineTest, DefaultsServeLoopbackOnPort8080WithAdminLogin) {
    const CommandLine parsed = parseCommandLine({});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.address, "127.0.0.1");
    EXPECT_EQ(parsed.options.port, 8080);
    EXPECT_EQ(parsed.options.account, "admin");
    EXPECT_EQ(parsed.options.password, "admin");
}

TEST(CommandLineTest, EverySwitchReachesItsOption) {
    const CommandLine parsed = parseCommandLine({
        "--port=0",
        "--address",
        "127.0.0.2",
        "--account",
        "管理",
        "--password",
        "密码",
        "--ssid",
        "我的 网",
        "--radio",
        "off",
        "--broadcast",
        "off",
        "--wan",
        "no-cable",
        "--stations",
        "5",
        "--station-step-ms",
        "0",
        "--dial-ms",
        "50",
        "--log",
        "x.log",
        "--delay-ms",
        "250",
        "--drop-every",
        "3",
        "--encoding",
        "deflate",
        "--utf8",
        "--chunked",
        "--truncate-at",
        "10",
        "--huge-body",
        "1000",
        "--redirect-to",
        "http://127.0.0.1:1",
        "--refuse-login",
        "--one-line-array",
        "lanPara",
        "--one-line-array=wanPara",
        "--silent",
        "--drip-ms",
        "1000",
        "--garbage",
        "64",
        "--no-authority",
        "--status",
        "500",
        "--extra-pieces",
        "10000",
    });
    ASSERT_EQ(parsed.error, "");
    const SimOptions& o = parsed.options;
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.address, "127.0.0.2");
    EXPECT_EQ(o.account, "\xB9\xDC\xC0\xED");  // GBK
    EXPECT_EQ(o.password, "\xC3\xDC\xC2\xEB");
    EXPECT_EQ(o.initialState.ssid, "\xCE\xD2\xB5\xC4 \xCD\xF8");
    EXPECT_FALSE(o.initialState.radioOn);
    EXPECT_FALSE(o.initialState.broadcastOn);
    EXPECT_EQ(o.initialState.wanLink, WanLink::noCable);
    EXPECT_EQ(o.initialState.stationCount, 5);
    EXPECT_EQ(o.timings.stationStep, 0ms);
    EXPECT_EQ(o.timings.dialDuration, 50ms);
    EXPECT_EQ(o.logPath, "x.log");
    const Misbehaviour& m = o.misbehaviour;
    EXPECT_EQ(m.delay, 250ms);
    EXPECT_EQ(m.dropEvery, 3u);
    EXPECT_EQ(m.encoding, BodyEncoding::deflate);
    EXPECT_TRUE(m.utf8);
    EXPECT_TRUE(m.chunked);
    EXPECT_EQ(m.truncateAt, 10u);
    EXPECT_EQ(m.hugeBytes, 1000u);
    EXPECT_EQ(m.redirectTo, "http://127.0.0.1:1");
    EXPECT_TRUE(m.refuseLogin);
    EXPECT_EQ(m.oneLineArrays, (OneLineArrays{"lanPara", "wanPara"}));
    EXPECT_TRUE(m.silent);
    EXPECT_EQ(m.drip, 1000ms);
    EXPECT_EQ(m.garbageBytes, 64u);
    EXPECT_TRUE(m.noAuthority);
    EXPECT_EQ(m.status, 500);
    EXPECT_EQ(m.extraPieces, 10000u);
}

TEST(CommandLineTest, BadCommandLinesSayWhatIsWrong) {
    const std::vector<std::vector<std::string>> bad = {
        {"--port", "65536"},  {"--port", "80x"},
        {"--port"},           {"--wan", "sideways"},
        {"--utf8=yes"},       {"--bogus"},
        {"--encoding", "br"}, {"--stations", "9"},
        {"--radio", "maybe"}, {"--ssid", "\xF0\x9F\x98\x80"},  // 😀, which GBK cannot hold
        {"--status", "99"},   {"--status", "1000"},
    };
    for (const std::vector<std::string>& args : bad) {
        EXPECT_NE(parseCommandLine(args).error, "") << args[0];
    }
}

struct Child {
    pid_t pid = -1;
    int out = -1;  // its stdout
};

Child spawnSim(const std::vector<std::string>& args) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<std::string> all = {ROUTERDESK_SIM_EXECUTABLE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.out = pipeEnds[0];
    return child;
}

// What the child writes until it closes stdout, or until the first line when `line` is set.
std::string readFrom(int fd, bool line) {
    std::string text;
    char c = 0;
    pollfd entry{fd, POLLIN, 0};
    while (::poll(&entry, 1, 5000) > 0 && ::read(fd, &c, 1) == 1) {
        if (line && c == '\n') {
            break;
        }
        text += c;
    }
    return text;
}

int exitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ExecutableTest, PrintsItsUrlFirstServesAndEndsCleanlyOnSigterm) {
    const std::string log = ::testing::TempDir() + "routerdesk-sim-executable.log";
    Child child = spawnSim({"--port", "0", "--ssid", "我的网", "--log", log});
    ASSERT_GT(child.pid, 0);
    const std::string url = readFrom(child.out, true);
    ASSERT_TRUE(url.starts_with("http://127.0.0.1:")) << url;
    const auto port = static_cast<std::uint16_t>(std::stoi(url.substr(17)));

    const testing::Answer answer =
        testing::ask(port, testing::programRequest(port, "/userRpm/StatusRpm.htm"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("\"\xCE\xD2\xB5\xC4\xCD\xF8\""), std::string::npos);

    ::kill(child.pid, SIGTERM);
    EXPECT_EQ(exitCode(child.pid), 0);
    ::close(child.out);
    std::ifstream file(log);
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_NE(line.find("\tGET\t/userRpm/StatusRpm.htm\t"), std::string::npos);
}

TEST(ExecutableTest, HelpDocumentsEverySwitch) {
    Child child = spawnSim({"--help"});
    ASSERT_GT(child.pid, 0);
    const std::string help = readFrom(child.out, false);
    ::close(child.out);
    EXPECT_EQ(exitCode(child.pid), 0);
    for (const char* name : {"--address",      "--port",
                             "--account",      "--password",
                             "--ssid",         "--radio",
                             "--broadcast",    "--wan",
                             "--stations",     "--station-step-ms",
                             "--dial-ms",      "--log",
                             "--delay-ms",     "--drop-every",
                             "--encoding",     "--utf8",
                             "--chunked",      "--truncate-at",
                             "--huge-body",    "--redirect-to",
                             "--refuse-login", "--one-line-array",
                             "--help"}) {
        EXPECT_NE(help.find(std::string("\n  ") + name + " "), std::string::npos) << name;
    }
}

TEST(ExecutableTest, BadSwitchEndsWithCode2) {
    Child child = spawnSim({"--port", "x"});
    ASSERT_GT(child.pid, 0);
    EXPECT_EQ(readFrom(child.out, false), "");
    ::close(child.out);
    EXPECT_EQ(exitCode(child.pid), 2);
}

}  // namespace
}  // namespace routerdesk::sim
