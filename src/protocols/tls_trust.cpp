#include "protocols/tls_trust.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cstdlib>
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
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            // The chain was good: libcurl refused the name.
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

void CollectPeerCertificate(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_CERTINFO, 1L);
}

namespace {

// The value of "Name:value" lines of libcurl's certificate information.
std::string Field(const curl_slist* lines, std::string_view name) {
    for (; lines != nullptr; lines = lines->next) {
        const std::string_view line(lines->data);
        if (line.size() > name.size() && line.substr(0, name.size()) == name &&
            line[name.size()] == ':') {
            return std::string(line.substr(name.size() + 1));
        }
    }
    return {};
}

}  // namespace

PeerCertificate CollectedPeerCertificate(CURL* handle) {
    PeerCertificate certificate;
    curl_certinfo* info = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CERTINFO, &info) != CURLE_OK || info == nullptr ||
        info->num_of_certs < 1) {
        return certificate;
    }
    const curl_slist* own = info->certinfo[0];
    certificate.subject = Field(own, "Subject");
    certificate.issuer = Field(own, "Issuer");
    certificate.expires = Field(own, "Expire date");
    certificate.pin = PinOfCertificate(Field(own, "Cert"));
    return certificate;
}

std::string PinOfCertificate(std::string_view pem) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    if (!bio) return {};
    std::unique_ptr<X509, decltype(&X509_free)> x509(
        PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr), X509_free);
    if (!x509) return {};
    // The DER form of the SubjectPublicKeyInfo, as libcurl hashes it for a pin.
    unsigned char* der = nullptr;
    const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(x509.get()), &der);
    if (size <= 0) return {};
    const std::string key(reinterpret_cast<const char*>(der), static_cast<size_t>(size));
    OPENSSL_free(der);
    return "sha256//" + Base64Encode(Sha256(key));
}

}  // namespace ferrolin
