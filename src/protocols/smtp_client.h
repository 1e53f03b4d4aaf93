#pragma once
// Sending a short text mail: the message is made with GMime (headers encoded as the mail
// standards want, whatever the text holds) and sent with libcurl's SMTP client, over TLS
// from the first byte for smtps:// and with STARTTLS where an smtp:// server offers it.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

struct TextMail {
    std::string from;             // "name <address>" or an address
    std::vector<std::string> to;  // likewise
    std::string subject;
    std::string body;  // lines separated by "\n"
    int64_t date = 0;  // seconds since 1970, UTC
};

// The whole message (headers and a text/plain UTF-8 body) with CR LF line ends; empty when
// an address cannot be read.
std::string ComposeTextMail(const TextMail& mail);

struct SmtpDelivery {
    std::string server;  // smtp://host:port or smtps://host:port
    std::string user;    // empty: no login
    std::string password;
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds timeout{30000};
};

// The bare address of "name <address>" or "address"; empty when it holds a line break or
// other control character (it would end the SMTP command early).
std::string EnvelopeAddress(std::string_view text);

// Sends message from one sender to the recipients. waiting is called about once a second
// while the server is slow. False with the reason in error.
bool SendMail(const SmtpDelivery& delivery, const std::string& from,
              const std::vector<std::string>& to, std::string_view message,
              const std::function<void()>& waiting, std::string& error);

}  // namespace ferrolin
