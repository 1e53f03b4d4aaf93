// ferrolin-cli trust-host against a real sshd: what it prints, what it stores, and that a
// known key is replaced only with --replace.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/child_process.h"
#include "support/ssh_server.h"
#include "support/temp_dir.h"

namespace ferrolin::test {
namespace {

class TrustHostCli : public testing::Test {
  protected:
    CommandResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {FERROLIN_CLI_PATH, "trust-host"});
        return RunCommand(args, {{"FERROLIN_HOME", home_.path()}});
    }
    TempDir home_;
};

TEST_F(TrustHostCli, UsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--replace"}, {"sftp://a", "sftp://b"}, {"sftp://a", "--force"}}) {
        EXPECT_EQ(Run(args).exitCode, 2);
    }
    const CommandResult plain = Run({"ftp://127.0.0.1/"});
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_NE(plain.errors.find("sftp://, ftps:// or ftpes://"), std::string::npos) << plain.errors;
}

TEST_F(TrustHostCli, AddsOnceAndReplacesOnlyWhenAsked) {
    if (!SshServer::Available()) GTEST_SKIP() << "sshd not installed";
    SshServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    const std::string where = "127.0.0.1:" + std::to_string(server.Port());

    CommandResult r = Run({server.Url("/in/")});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.output, "Host key of " + where + ": ssh-ed25519 " + server.HostKeyFingerprint() +
                            "\nAdded to " + home_.path() + "/known_hosts\n");
    EXPECT_EQ(ReadFile(home_ / "known_hosts"), server.KnownHostsLine() + "\n");
    struct stat info {};
    ASSERT_EQ(stat((home_ / "known_hosts").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    r = Run({server.Url()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("Already trusted"), std::string::npos) << r.output;

    ASSERT_TRUE(server.ChangeHostKey());
    r = Run({server.Url()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find(server.HostKeyFingerprint()), std::string::npos) << r.output;
    EXPECT_NE(r.errors.find("--replace"), std::string::npos) << r.errors;
    EXPECT_NE(ReadFile(home_ / "known_hosts"), server.KnownHostsLine() + "\n");
    r = Run({"--replace", server.Url()});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(ReadFile(home_ / "known_hosts"), server.KnownHostsLine() + "\n");
    // Nobody logged on meanwhile.
    EXPECT_EQ(server.Log().find("Accepted"), std::string::npos) << server.Log();
}

}  // namespace
}  // namespace ferrolin::test
