#include "protocols/smtp_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "protocols/curl_easy.h"
#include "protocols/gmime_handles.h"

namespace ferrolin {

namespace {

struct FormatOptionsFree {
    void operator()(GMimeFormatOptions* options) const { g_mime_format_options_free(options); }
};

struct DateTimeUnref {
    void operator()(GDateTime* date) const { g_date_time_unref(date); }
};

// Adds the addresses of text to a header's list; false when none can be read.
bool AddAddresses(InternetAddressList* list, const std::string& text) {
    GObjectPtr<InternetAddressList> parsed(internet_address_list_parse(nullptr, text.c_str()));
    if (!parsed || internet_address_list_length(parsed.get()) == 0) return false;
    internet_address_list_append(list, parsed.get());
    return true;
}

struct Upload {
    std::string_view data;
    size_t sent = 0;
    const std::function<void()>* waiting = nullptr;
};

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const size_t n = std::min(size * count, upload->data.size() - upload->sent);
    std::memcpy(buffer, upload->data.data() + upload->sent, n);
    upload->sent += n;
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* upload = static_cast<Upload*>(user);
    if (upload->waiting != nullptr && *upload->waiting) (*upload->waiting)();
    return 0;
}

}  // namespace

std::string ComposeTextMail(const TextMail& mail) {
    EnsureGMime();
    GObjectPtr<GMimeMessage> message(g_mime_message_new(TRUE));
    if (!AddAddresses(g_mime_message_get_from(message.get()), mail.from)) return {};
    InternetAddressList* to = g_mime_message_get_addresses(message.get(), GMIME_ADDRESS_TYPE_TO);
    for (const std::string& address : mail.to)
        if (!AddAddresses(to, address)) return {};
    g_mime_message_set_subject(message.get(), mail.subject.c_str(), "utf-8");
    std::unique_ptr<GDateTime, DateTimeUnref> date(g_date_time_new_from_unix_utc(mail.date));
    if (date) g_mime_message_set_date(message.get(), date.get());
    GCharPtr id(g_mime_utils_generate_message_id("ferrolin.invalid"));
    g_mime_message_set_message_id(message.get(), id.get());

    GObjectPtr<GMimeTextPart> body(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(body.get(), mail.body.c_str());
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(body.get()));
    // Quoted-printable or base64 where the text needs it: the mail passes 7-bit relays.
    g_mime_object_encode(GMIME_OBJECT(message.get()), GMIME_ENCODING_CONSTRAINT_7BIT);

    std::unique_ptr<GMimeFormatOptions, FormatOptionsFree> options(g_mime_format_options_new());
    g_mime_format_options_set_newline_format(options.get(), GMIME_NEWLINE_FORMAT_DOS);
    GCharPtr text(g_mime_object_to_string(GMIME_OBJECT(message.get()), options.get()));
    return text ? std::string(text.get()) : std::string();
}

std::string EnvelopeAddress(std::string_view text) {
    const size_t open = text.rfind('<');
    const size_t close = text.rfind('>');
    if (open != std::string_view::npos && close != std::string_view::npos && open < close)
        text = text.substr(open + 1, close - open - 1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '<' || c == '>') return {};
    return std::string(text);
}

namespace {

// The envelope's recipients, each as "<address>"; empty (with the reason in error) when an
// address cannot be used or none is given.
CurlSlist EnvelopeRecipients(const std::vector<std::string>& to, std::string& error) {
    CurlSlist recipients;
    for (const std::string& address : to) {
        const std::string bare = EnvelopeAddress(address);
        if (bare.empty()) {
            error = "MailTo holds no usable address: \"" + address + "\"";
            return {};
        }
        if (!AppendToList(recipients, ("<" + bare + ">").c_str())) {
            error = "Out of memory";
            return {};
        }
    }
    if (!recipients) error = "MailTo names no address";
    return recipients;
}

// Sends message on a handle set up for the server: one envelope, the message read from
// memory, waiting called from the progress callback.
CURLcode Deliver(CURL* c, bool startTls, const std::string& envelopeFrom,
                 const CurlSlist& recipients, std::string_view message,
                 const std::function<void()>& waiting) {
    Upload upload{message, 0, &waiting};
    if (startTls) curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, envelopeFrom.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, OnRead);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &upload);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    return curl_easy_perform(c);
}

}  // namespace

bool SendMail(const SmtpDelivery& delivery, const std::string& from,
              const std::vector<std::string>& to, std::string_view message,
              const std::function<void()>& waiting, std::string& error) {
    const std::string scheme = AsciiLower(delivery.server.substr(0, delivery.server.find("://")));
    if (scheme != "smtp" && scheme != "smtps") {
        error = "SmtpServer must be smtp://host:port or smtps://host:port, not \"" +
                delivery.server + "\"";
        return false;
    }
    const std::string sender = EnvelopeAddress(from);
    if (sender.empty()) {
        error = "MailFrom is no usable address: \"" + from + "\"";
        return false;
    }
    const CurlSlist recipients = EnvelopeRecipients(to, error);
    if (!recipients) return false;
    char detail[CURL_ERROR_SIZE] = "";
    const CurlEasy curl =
        MakeCurlEasy({.protocols = "smtp,smtps",
                      .connectTimeout = delivery.connectTimeout,
                      .totalTimeout = delivery.timeout,
                      .user = delivery.user.empty() ? nullptr : delivery.user.c_str(),
                      .password = delivery.password.c_str(),
                      .noProxy = true,
                      .errorBuffer = detail});
    if (!curl) {
        error = "The mail client cannot start";
        return false;
    }
    curl_easy_setopt(curl.get(), CURLOPT_URL, delivery.server.c_str());
    const CURLcode code =
        Deliver(curl.get(), scheme == "smtp", "<" + sender + ">", recipients, message, waiting);
    if (code == CURLE_OK) return true;
    error = CurlErrorText(code, detail);
    return false;
}

}  // namespace ferrolin
