#include "protocols/host_port.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

TEST(SplitHostPort, AcceptedForms) {
    struct Case {
        const char* text;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"time.example.org", "time.example.org", 123},
        {"time.example.org:1123", "time.example.org", 1123},
        {"  127.0.0.1:37  ", "127.0.0.1", 37},
        {"127.0.0.1:65535", "127.0.0.1", 65535},
        {"::1", "::1", 123},  // a bare IPv6 address has no port
        {"[::1]", "::1", 123},
        {"[::1]:4123", "::1", 4123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = SplitHostPort(c.text, 123);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->host, c.host);
        EXPECT_EQ(parsed->port, c.port);
    }
}

TEST(SplitHostPort, RefusedForms) {
    for (const char* text : {"", "   ", ":123", "host:", "host:0", "host:65536", "host:12a",
                             "host:-5", "host:+5", "[::1", "[::1]x", "[]:123", "[::1]:"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(SplitHostPort(text, 123).has_value());
    }
}

}  // namespace
}  // namespace ferrolin
