// What reached the router: one line per request, in memory and optionally in a file.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/router-sim/request_head.h"

namespace routerdesk::sim {

struct LoggedRequest {
    std::chrono::system_clock::time_point time;
    RequestHead head;
};

// Time (UTC, ISO 8601 with milliseconds), method, raw target, then each header line as sent,
// separated by tabs. Bytes below 0x20, 0x7F and "\" are written as \xNN so that the entry stays
// on one line; GBK bytes stay raw, since the raw target is the point.
std::string formatLogLine(const LoggedRequest& entry);

class RequestLog {
  public:
    // Keeps the last `keep` entries in memory, enough for a test run, bounded for a long demo.
    explicit RequestLog(std::size_t keep = 4096);

    // Starts the file afresh; false when it cannot be written.
    bool openFile(const std::string& path);

    void record(LoggedRequest entry);
    std::vector<LoggedRequest> entries() const;

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::size_t keep_;
    mutable std::mutex mutex_;
    std::deque<LoggedRequest> entries_;
    std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace routerdesk::sim
