// What reached the router: one line per request, in memory and optionally in a file.
#include "tools/router-sim/request_log.h"

#include <ctime>

namespace routerdesk::sim {
namespace {

void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
}

std::string formatTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(time);
    const auto millis = duration_cast<milliseconds>(time.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
    return text;
}

}  // namespace

std::string formatLogLine(const LoggedRequest& entry) {
    std::string line = formatTime(entry.time);
    line += '\t';
    appendEscaped(line, entry.head.method);
    line += '\t';
    appendEscaped(line, entry.head.target);
    for (const std::string& header : entry.head.headerLines) {
        line += '\t';
        appendEscaped(line, header);
    }
    return line;
}

RequestLog::RequestLog(std::size_t keep) : keep_(keep) {}

bool RequestLog::openFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    file_.reset(file);
    return true;
}

void RequestLog::record(LoggedRequest entry) {
    const std::lock_guard lock(mutex_);
    if (file_) {
        const std::string line = formatLogLine(entry) + "\n";
        std::fwrite(line.data(), 1, line.size(), file_.get());
        std::fflush(file_.get());  // read while the router runs, by tests and by people
    }
    entries_.push_back(std::move(entry));
    while (entries_.size() > keep_) {
        entries_.pop_front();
    }
}

std::vector<LoggedRequest> RequestLog::entries() const {
    const std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

}  // namespace routerdesk::sim
