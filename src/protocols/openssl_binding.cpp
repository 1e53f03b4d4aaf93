// OpenSSL's functions as this program uses them (host-key fingerprints, certificate pins
// and the subjects shown when a server is trusted), bound at the first call (see
// bound_library.h). They are the libraries libcurl loads for its TLS, so a certificate
// libcurl hands over is one these functions read. Without them every call fails: no
// digest, no certificate, nothing printed.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "protocols/bound_library.h"

namespace ferrolin {
namespace {

const BoundLibrary& Crypto() {
    static const BoundLibrary library("libcrypto.so.3", "SFTP and FTPS host checks");
    return library;
}

const BoundLibrary& Ssl() {
    static const BoundLibrary library("libssl.so.3", "trusting an FTPS server");
    return library;
}

}  // namespace
}  // namespace ferrolin

#define CRYPTO(Result, name, Params, Args, Failure) \
    FERROLIN_FORWARD(ferrolin::Crypto(), Result, name, Params, Args, Failure)
#define SSL_FORWARD(Result, name, Params, Args, Failure) \
    FERROLIN_FORWARD(ferrolin::Ssl(), Result, name, Params, Args, Failure)

CRYPTO(int, EVP_Digest,
       (const void* data, size_t count, unsigned char* md, unsigned int* size, const EVP_MD* type,
        ENGINE* impl),
       (data, count, md, size, type, impl), 0)
CRYPTO(const EVP_MD*, EVP_sha256, (void), (), nullptr)
CRYPTO(int, EVP_EncodeBlock, (unsigned char* t, const unsigned char* f, int n), (t, f, n), 0)
CRYPTO(int, EVP_DecodeBlock, (unsigned char* t, const unsigned char* f, int n), (t, f, n), -1)
CRYPTO(BIO*, BIO_new_mem_buf, (const void* buf, int len), (buf, len), nullptr)
CRYPTO(BIO*, BIO_new, (const BIO_METHOD* type), (type), nullptr)
CRYPTO(const BIO_METHOD*, BIO_s_mem, (void), (), nullptr)
CRYPTO(int, BIO_free, (BIO * a), (a), 0)
CRYPTO(long, BIO_ctrl, (BIO * bp, int cmd, long larg, void* parg), (bp, cmd, larg, parg), 0)
CRYPTO(void, CRYPTO_free, (void* ptr, const char* file, int line), (ptr, file, line), void())
CRYPTO(X509*, PEM_read_bio_X509, (BIO * out, X509** x, pem_password_cb* cb, void* u),
       (out, x, cb, u), nullptr)
CRYPTO(void, X509_free, (X509 * a), (a), void())
CRYPTO(X509_PUBKEY*, X509_get_X509_PUBKEY, (const X509* x), (x), nullptr)
CRYPTO(int, i2d_X509_PUBKEY, (const X509_PUBKEY* a, unsigned char** out), (a, out), -1)
CRYPTO(X509_NAME*, X509_get_subject_name, (const X509* a), (a), nullptr)
CRYPTO(X509_NAME*, X509_get_issuer_name, (const X509* a), (a), nullptr)
CRYPTO(int, X509_NAME_print_ex, (BIO * out, const X509_NAME* nm, int indent, unsigned long flags),
       (out, nm, indent, flags), -1)
CRYPTO(const ASN1_TIME*, X509_get0_notAfter, (const X509* x), (x), nullptr)
CRYPTO(int, ASN1_TIME_print, (BIO * bp, const ASN1_TIME* tm), (bp, tm), 0)
CRYPTO(int, X509_STORE_CTX_get_error_depth, (const X509_STORE_CTX* ctx), (ctx), -1)
CRYPTO(void*, X509_STORE_CTX_get_ex_data, (const X509_STORE_CTX* ctx, int idx), (ctx, idx),
       nullptr)
CRYPTO(X509*, X509_STORE_CTX_get_current_cert, (const X509_STORE_CTX* ctx), (ctx), nullptr)

SSL_FORWARD(int, SSL_get_ex_data_X509_STORE_CTX_idx, (void), (), -1)
SSL_FORWARD(void*, SSL_CTX_get_ex_data, (const SSL_CTX* ssl, int idx), (ssl, idx), nullptr)
SSL_FORWARD(int, SSL_CTX_set_ex_data, (SSL_CTX * ssl, int idx, void* data), (ssl, idx, data), 0)
SSL_FORWARD(SSL_CTX*, SSL_get_SSL_CTX, (const SSL* ssl), (ssl), nullptr)
SSL_FORWARD(void, SSL_CTX_set_verify, (SSL_CTX * ctx, int mode, SSL_verify_cb callback),
            (ctx, mode, callback), void())
