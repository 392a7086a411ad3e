#include "core/response_decoding.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace routerdesk {
namespace {

// windowBits: 16 + 15 gzip, 15 zlib, -15 raw deflate.
std::string compress(std::string_view data, int windowBits, int level = Z_DEFAULT_COMPRESSION) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string gzip(std::string_view data) {
    return compress(data, 16 + 15);
}

HttpResponse response(std::string body, std::string encoding = {}, std::string type = {}) {
    HttpResponse r;
    r.received = true;
    r.status = 200;
    r.body = std::move(body);
    r.contentEncoding = std::move(encoding);
    r.contentType = std::move(type);
    return r;
}

TEST(GunzipTest, MembersInARowAreJoined) {
    EXPECT_EQ(gunzipMembers(gzip("one")), "one");
    EXPECT_EQ(gunzipMembers(gzip("one ") + gzip("two")), "one two");
}

TEST(GunzipTest, DataWithoutSignaturePassesUnchanged) {
    EXPECT_EQ(gunzipMembers("<html>"), "<html>");
    EXPECT_EQ(gunzipMembers(""), "");
}

TEST(GunzipTest, BadCrcEndsTheBodyBeforeThatMember) {
    std::string second = gzip("two");
    second[second.size() - 8] ^= 0x01;  // the CRC-32 of the trailer
    EXPECT_EQ(gunzipMembers(gzip("one ") + second), "one ");
    EXPECT_EQ(gunzipMembers(second), "");
}

TEST(GunzipTest, TruncatedMemberKeepsWhatWasInflated) {
    const std::string text(100000, 'a');
    const std::string packed = gzip(text);
    const std::string out = gunzipMembers(packed.substr(0, packed.size() - 8));
    EXPECT_EQ(out, text);  // the data is all there, only the trailer is missing
}

TEST(InflateTest, ZlibWrappedRawAndNeither) {
    EXPECT_EQ(inflateDeflate(compress("zlib body", 15)), "zlib body");
    EXPECT_EQ(inflateDeflate(compress("raw body", -15)), "raw body");
    EXPECT_EQ(inflateDeflate("\xFF\xFE not deflate"), "\xFF\xFE not deflate");
}

TEST(DecodeTest, BombStopsAtTheCap) {
    const std::string bomb = gzip(std::string(64u << 20, '\0'));
    ASSERT_LT(bomb.size(), 200u * 1024);
    const std::string inflated = gunzipMembers(bomb);
    EXPECT_EQ(inflated.size(), kMaxBodyBytes);
    EXPECT_EQ(inflateDeflate(compress(std::string(64u << 20, 'x'), 15)).size(), kMaxBodyBytes);
    // The zero bytes then end the text, as for any body.
    EXPECT_EQ(decodeResponseBody(response(bomb, "gzip")), "");
}

TEST(DecodeTest, EncodingMustMatchExactly) {
    const std::string packed = gzip("page");
    EXPECT_EQ(decodeResponseBody(response(packed, "gzip")), "page");
    EXPECT_EQ(decodeResponseBody(response(compress("page", 15), "deflate")), "page");
    EXPECT_EQ(decodeResponseBody(response(packed, "GZIP")), packed.substr(0, packed.find('\0')));
    EXPECT_EQ(decodeResponseBody(response("plain", "gzip")), "plain");
}

TEST(DecodeTest, Utf8CharsetIsConvertedToGbk) {
    const std::string utf8 = "\xE7\x99\xBB\xE5\xBD\x95";  // 登录
    EXPECT_EQ(decodeResponseBody(response(utf8, "", "text/html; charset=utf-8")),
              "\xB5\xC7\xC2\xBC");
    EXPECT_EQ(decodeResponseBody(response(utf8, "", "text/html; charset=UTF-8")), utf8);
    EXPECT_EQ(decodeResponseBody(response(utf8, "", "text/html; charset=gb2312")), utf8);
    // Bytes that are not UTF-8 cannot pass through as GBK: each becomes "?".
    EXPECT_EQ(decodeResponseBody(response("a\xFF"
                                          "b",
                                          "", "charset=utf-8")),
              "a?b");
    EXPECT_EQ(decodeResponseBody(response(gzip(utf8), "gzip", "charset=utf-8")),
              "\xB5\xC7\xC2\xBC");
}

TEST(DecodeTest, ZeroByteEndsTheText) {
    EXPECT_EQ(decodeResponseBody(response(std::string("before\0after", 12))), "before");
}

TEST(DecodeTest, PlainBodyIsCappedToo) {
    EXPECT_EQ(decodeResponseBody(response(std::string(kMaxBodyBytes + 10, 'x'))).size(),
              kMaxBodyBytes);
}

}  // namespace
}  // namespace routerdesk
