// GBK conversions through iconv; one converter per call, so any thread may convert.
#include "core/gbk.h"

#include <errno.h>
#include <iconv.h>

#include <array>

#include "core/utf8.h"

namespace routerdesk {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as it can; leaves `in` at the first byte it could not take.
    // Called once for every byte that will not convert, so it must cost little: the buffer is
    // the converter's own, not cleared afresh on each call.
    void convert(std::string_view& in, std::string& out) {
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = buffer_.data();
            std::size_t dstLeft = buffer_.size();
            const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int error = errno;
            out.append(buffer_.data(), buffer_.size() - dstLeft);
            in.remove_prefix(in.size() - srcLeft);
            if (rc != static_cast<std::size_t>(-1) || error != E2BIG) {
                return;
            }
        }
    }

  private:
    iconv_t cd_;
    std::array<char, 4096> buffer_{};
};

// Length of one GBK character at the start of `text` (for skipping one that will not convert).
std::size_t gbkCharLength(std::string_view text) {
    return static_cast<unsigned char>(text[0]) >= 0x80 && text.size() >= 2 ? 2 : 1;
}

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
    // iconv gets well-formed runs of bounded length only: a body of garbage would otherwise
    // cost one call over all the rest of the text for each bad byte.
    constexpr std::size_t kRunBytes = 64 * 1024;
    Converter converter("GBK", "UTF-8");
    std::string out;
    if (!converter.ok()) {
        return out;
    }
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        std::size_t run = 0;
        bool ascii = true;  // ASCII is the same in GBK, and needs no iconv
        for (std::size_t length = 0; run < utf8.size() && run < kRunBytes; run += length) {
            length = utf8SequenceLength(utf8.substr(run));
            if (length == 0) {
                break;
            }
            ascii = ascii && length == 1;
        }
        if (run == 0) {
            utf8.remove_prefix(1);  // no UTF-8 at all here
            out += '?';
            continue;
        }
        std::string_view chunk = utf8.substr(0, run);
        utf8.remove_prefix(run);
        if (ascii) {
            out.append(chunk);
            continue;
        }
        while (!chunk.empty()) {
            converter.convert(chunk, out);
            if (!chunk.empty()) {
                chunk.remove_prefix(utf8SequenceLength(chunk));  // a character GBK has no place for
                out += '?';
            }
        }
    }
    return out;
}

std::optional<std::string> utf8ToGbkExact(std::string_view utf8) {
    Converter converter("GBK", "UTF-8");
    std::string out;
    if (!converter.ok()) {
        return std::nullopt;
    }
    converter.convert(utf8, out);
    if (!utf8.empty()) {
        return std::nullopt;
    }
    return out;
}

std::string gbkToUtf8(std::string_view gbk) {
    Converter converter("UTF-8", "GBK");
    std::string out;
    if (!converter.ok()) {
        return out;
    }
    out.reserve(gbk.size() * 3 / 2);
    while (!gbk.empty()) {
        converter.convert(gbk, out);
        if (!gbk.empty()) {
            gbk.remove_prefix(gbkCharLength(gbk));
            out += "\xEF\xBF\xBD";  // U+FFFD
        }
    }
    return out;
}

}  // namespace routerdesk
