#pragma once
// The FTP benchmarks' server: vsftpd with anonymous uploads into /pub, in the foreground
// in a process group of its own, on a free loopback port, serving dir + "/root".
#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <string>

#include "bench_net.h"
#include "bench_util.h"

namespace ferrolin::bench {

class Vsftpd {
  public:
    explicit Vsftpd(const std::string& dir) {
        fs::create_directories(dir + "/root/pub");
        chmod(dir.c_str(), 0755);
        chmod((dir + "/root").c_str(), 0755);
        chmod((dir + "/root/pub").c_str(), 0777);
        port_ = FreePort();
        std::ofstream(dir + "/vsftpd.conf")
            << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << port_
            << "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
               "anon_root="
            << dir
            << "/root\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
               "anon_other_write_enable=YES\nanon_umask=022\nallow_writeable_chroot=YES\n"
               "seccomp_sandbox=NO\nconnect_from_port_20=NO\n"
               "secure_chroot_dir=/var/run/vsftpd/empty\nvsftpd_log_file="
            << dir << "/vsftpd.log\nutf8_filesystem=YES\n";
        const std::string conf = dir + "/vsftpd.conf";
        server_.emplace(std::vector<std::string>{"/usr/sbin/vsftpd", conf}, true);
        WaitUntilAccepts(port_, 200);
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Url(const std::string& path) const { return "ftp://" + Host() + path; }

  private:
    uint16_t port_ = 0;
    std::optional<QuietServer> server_;
};

}  // namespace ferrolin::bench
