#include "protocols/tls_trust.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "protocols/digest.h"

namespace ferrolin {

void ApplyTlsTrust(CURL* handle, const TlsTrust& trust) {
    if (!trust.pinnedKey.empty()) {
        // The operator checked this key: no CA vouches for a self-signed server, and the
        // pin is bound to the host and port it was made for.
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(handle, CURLOPT_PINNEDPUBLICKEY, trust.pinnedKey.c_str());
        return;
    }
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    std::string bundle = trust.caFile;
    // libcurl names its built-in bundle itself and would not look at OpenSSL's variable.
    if (bundle.empty()) {
        if (const char* named = std::getenv("SSL_CERT_FILE"); named && *named) bundle = named;
    }
    if (!bundle.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, bundle.c_str());
}

TlsProblem TlsProblemOf(CURL* handle, CURLcode code) {
    if (code == CURLE_SSL_PINNEDPUBKEYNOTMATCH) return TlsProblem::PinMismatch;
    if (code != CURLE_PEER_FAILED_VERIFICATION) return TlsProblem::None;
    long verify = X509_V_OK;
    curl_easy_getinfo(handle, CURLINFO_SSL_VERIFYRESULT, &verify);
    switch (verify) {
        case X509_V_OK:
        case X509_V_ERR_UNSPECIFIED:
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            // The chain was good: libcurl checks the name itself and notes a mismatch as
            // an unspecified verification error.
            return TlsProblem::WrongHost;
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return TlsProblem::Expired;
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return TlsProblem::NotYetValid;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return TlsProblem::UnknownIssuer;
        default:
            return TlsProblem::Other;
    }
}

std::string_view TlsProblemText(TlsProblem problem) {
    switch (problem) {
        case TlsProblem::None:
            return "";
        case TlsProblem::Expired:
            return "expired";
        case TlsProblem::NotYetValid:
            return "not yet valid";
        case TlsProblem::WrongHost:
            return "wrong host";
        case TlsProblem::UnknownIssuer:
            return "unknown issuer";
        case TlsProblem::PinMismatch:
            return "not the pinned key";
        case TlsProblem::Other:
            return "refused";
    }
    return "refused";
}

namespace {

std::string PinOf(X509* certificate) {
    // The DER form of the SubjectPublicKeyInfo, as libcurl hashes it for a pin.
    unsigned char* der = nullptr;
    const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (size <= 0) return {};
    const std::string key(reinterpret_cast<const char*>(der), static_cast<size_t>(size));
    OPENSSL_free(der);
    return "sha256//" + Base64Encode(Sha256(key));
}

std::string TextOf(const std::function<int(BIO*)>& print) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || print(bio.get()) <= 0) return {};
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

std::string NameText(const X509_NAME* name) {
    return TextOf([&](BIO* bio) {
        return X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    });
}

// OpenSSL's verification callback during a handshake that only looks: the server's own
// certificate (depth 0) is noted, and the handshake ends there.
int NoteAndStop(int, X509_STORE_CTX* store) {
    if (X509_STORE_CTX_get_error_depth(store) != 0) return 1;
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* seen =
        ssl ? static_cast<PeerCertificate*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl))) : nullptr;
    X509* certificate = X509_STORE_CTX_get_current_cert(store);
    if (seen != nullptr && certificate != nullptr) {
        seen->subject = NameText(X509_get_subject_name(certificate));
        seen->issuer = NameText(X509_get_issuer_name(certificate));
        seen->expires =
            TextOf([&](BIO* bio) { return ASN1_TIME_print(bio, X509_get0_notAfter(certificate)); });
        seen->pin = PinOf(certificate);
    }
    return 0;
}

CURLcode PrepareLookOnly(CURL*, void* sslContext, void* user) {
    auto* context = static_cast<SSL_CTX*>(sslContext);
    SSL_CTX_set_app_data(context, user);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, NoteAndStop);
    return CURLE_OK;
}

}  // namespace

void StopAtPeerCertificate(CURL* handle, PeerCertificate& seen) {
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, PrepareLookOnly);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, &seen);
}

std::string PinOfCertificate(std::string_view pem) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    if (!bio) return {};
    std::unique_ptr<X509, decltype(&X509_free)> x509(
        PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr), X509_free);
    if (!x509) return {};
    return PinOf(x509.get());
}

}  // namespace ferrolin
