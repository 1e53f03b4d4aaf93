#pragma once
// The secure benchmarks' servers on loopback: OpenSSH's sshd serving SFTP to a benchmark
// user (password and key), and vsftpd with explicit TLS on a self-signed certificate.
// Both in the foreground, in process groups of their own, on free ports.
#include <pwd.h>
#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <string>

#include "bench_net.h"
#include "bench_util.h"

namespace ferrolin::bench {

class Sshd {
  public:
    static constexpr const char* kUser = "ferrolin-sftp";
    static constexpr const char* kPassword = "Sftp-bench-Pw1";

    explicit Sshd(const std::string& dir) : dir_(dir) {
        fs::create_directories(dir + "/root");
        // The user walks from the benchmark's folder down to its own.
        chmod(fs::path(dir).parent_path().c_str(), 0755);
        chmod(dir.c_str(), 0755);
        mkdir("/run/sshd", 0755);
        if (getpwnam(kUser) == nullptr) {
            Shell(std::string("useradd --system --no-create-home --home-dir /nonexistent "
                              "--shell /bin/sh ") +
                  kUser);
        }
        Shell(std::string("echo '") + kUser + ":" + kPassword + "' | chpasswd");
        Shell("ssh-keygen -q -t ed25519 -N '' -f " + Quote(dir + "/host_key"));
        Shell("ssh-keygen -q -t ed25519 -N '' -f " + Quote(dir + "/user_key"));
        fs::copy_file(dir + "/user_key.pub", dir + "/authorized_keys");
        Shell(std::string("chown -R ") + kUser + " " + Quote(dir + "/root"));
        port_ = FreePort();
        std::ofstream(dir + "/sshd_config")
            << "Port " << port_ << "\nListenAddress 127.0.0.1\nHostKey " << dir
            << "/host_key\nPidFile none\nUsePAM no\nAllowUsers " << kUser
            << "\nPasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
               "AuthorizedKeysFile "
            << dir << "/authorized_keys\nStrictModes no\nSubsystem sftp internal-sftp -d /\n";
        server_.emplace(
            std::vector<std::string>{"/usr/sbin/sshd", "-D", "-e", "-f", dir + "/sshd_config"},
            true);
        WaitUntilAccepts(port_, 200);
    }
    uint16_t Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Root() const { return dir_ + "/root"; }
    std::string KeyFile() const { return dir_ + "/user_key"; }
    // The line a known_hosts file needs to trust this server.
    std::string KnownHostsLine() const {
        std::ifstream in(dir_ + "/host_key.pub");
        std::string type, key;
        in >> type >> key;
        return "[127.0.0.1]:" + std::to_string(port_) + " " + type + " " + key + "\n";
    }

  private:
    std::string dir_;
    uint16_t port_ = 0;
    std::optional<QuietServer> server_;
};

// vsftpd requiring explicit TLS (TLS 1.2, session reuse on data connections) for
// anonymous logons, with uploads into /pub.
class FtpsVsftpd {
  public:
    explicit FtpsVsftpd(const std::string& dir) : dir_(dir) {
        fs::create_directories(dir + "/root/pub");
        chmod(dir.c_str(), 0755);
        chmod((dir + "/root").c_str(), 0755);
        chmod((dir + "/root/pub").c_str(), 0777);
        Shell(
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext "
            "subjectAltName=IP:127.0.0.1 -keyout " +
            Quote(dir + "/key.pem") + " -out " + Quote(dir + "/cert.pem") + " 2>/dev/null");
        port_ = FreePort();
        std::ofstream(dir + "/vsftpd.conf")
            << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << port_
            << "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
               "anon_root="
            << dir
            << "/root\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
               "anon_other_write_enable=YES\nanon_umask=022\n"
               "allow_writeable_chroot=YES\nseccomp_sandbox=NO\nconnect_from_port_20=NO\n"
               "secure_chroot_dir=/var/run/vsftpd/empty\nvsftpd_log_file="
            << dir
            << "/vsftpd.log\nutf8_filesystem=YES\nssl_enable=YES\nallow_anon_ssl=YES\n"
               "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\nrequire_ssl_reuse=YES\n"
               "ssl_ciphers=HIGH\nrsa_cert_file="
            << dir << "/cert.pem\nrsa_private_key_file=" << dir << "/key.pem\n";
        server_.emplace(std::vector<std::string>{"/usr/sbin/vsftpd", dir + "/vsftpd.conf"}, true);
        WaitUntilAccepts(port_, 200);
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // Its own certificate is the CA bundle that trusts it.
    std::string CertificateFile() const { return dir_ + "/cert.pem"; }

  private:
    std::string dir_;
    uint16_t port_ = 0;
    std::optional<QuietServer> server_;
};

}  // namespace ferrolin::bench
