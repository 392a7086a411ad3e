// The benchmark host's texts; its waits live with each face's event loop.
#include "bench/bench_host.h"

#include <cstdio>
#include <cstdlib>

namespace routerdesk::bench {
namespace {

std::size_t indexOf(Field field) {
    return static_cast<std::size_t>(field);
}

}  // namespace

std::string BenchHost::fieldText(Field field) {
    return texts_[indexOf(field)];
}

void BenchHost::setFieldText(Field field, const std::string& text) {
    texts_[indexOf(field)] = text;
    ++fieldWrites_;
}

void BenchHost::setFieldColor(Field field, Color color) {
    colors_[indexOf(field)] = color;
}

void BenchHost::showStatusLine(const std::string& text, Color) {
    statusLine_ = text;
}

void BenchHost::setRefreshPeriod(unsigned) {}

void BenchHost::showMessage(const std::string&) {
    // A benchmark has nobody to click OK; it counts the message, and a pass that shows one
    // measures nothing worth printing.
    ++messages_;
}

void BenchHost::applyTheme(const Theme&) {}

void BenchHost::runLoginWindow() {}

void BenchHost::activateMainWindow() {}

void BenchHost::endProcess(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace routerdesk::bench
