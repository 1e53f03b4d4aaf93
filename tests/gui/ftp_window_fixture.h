#pragma once
// A main window with its FTP window open over a pyftpdlib server on loopback, the
// window's dialogs answered from a script.
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/ftp_client_window.h"
#include "support/ftp_servers.h"
#include "window_fixture.h"

namespace ferrolin::test {

inline QString S(std::string_view text) {
    return QString::fromUtf8(text.data(), int(text.size()));
}

inline bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

struct FtpWindowFixture {
    // ini: the Ferrolin.INI to start with, made once the server's address is known.
    explicit FtpWindowFixture(PyFtpOptions options = {},
                              const std::function<std::string(const PyFtpServer&)>& ini = {})
        : server(std::move(options)) {
        fx.Start(ini ? ini(server) : std::string());
        fx.window->OnFtpClient();
        form = fx.window->ftpWindow();
        form->SetDialogs(gui::FtpDialogs{
            .saveFile =
                [this](const std::string& proposed) {
                    proposals.push_back(proposed);
                    return savePath;
                },
            .openFile = [this] { return openPath; },
            .inputText = [this](const std::string& title,
                                const std::string& prompt) -> std::optional<std::string> {
                proposals.push_back(title + "/" + prompt);
                return input;
            }});
        initialHost = form->FtpServerEdit->text();
        form->FtpServerEdit->setText(S(server.Address()));
        form->UserIDEdit->setText(S(server.Options().user));
        form->PasswordEdit->setText(S(server.Options().password));
    }
    void Connect() { QTest::mouseClick(form->ConnectButton, Qt::LeftButton); }
    QStringList Names() const {
        QStringList names;
        for (int i = 0; i < form->DirectoryListBox->topLevelItemCount(); ++i)
            names << form->DirectoryListBox->topLevelItem(i)->text(0);
        names.sort();  // the server's order is its own
        return names;
    }
    void Select(const QString& name) {
        const auto found = form->DirectoryListBox->findItems(name, Qt::MatchExactly, 0);
        QVERIFY(!found.isEmpty());
        form->DirectoryListBox->setCurrentItem(found.front());
    }
    std::string Root() const { return server.Root(); }

    WindowFixture fx;
    PyFtpServer server;
    gui::FtpClientWindow* form = nullptr;
    QString initialHost;  // the host field as the window opened
    std::vector<std::string> proposals;
    std::string savePath;
    std::string openPath;
    std::optional<std::string> input;
};

}  // namespace ferrolin::test
