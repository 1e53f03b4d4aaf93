#pragma once
// The dial-up window ("Dial-Up component Test"): lists the entries, dials one
// asynchronously or synchronously, hangs up, lists (and optionally hangs up) the active
// connections, and stores a default entry in KestRas.INI. It works on the station's
// dial-up lines, the ones the jobs dial.
#include <QWidget>
#include <string>

#include "remote/ras_default.h"
#include "remote/ras_dial_up.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

namespace ferrolin::gui {

class DialUpWindow : public QWidget {
    Q_OBJECT
  public:
    DialUpWindow(RasDialUp& ras, std::string programDir, QWidget* parent = nullptr);

    QListWidget* EntryList;
    QPushButton* GetEntriesButton;   // "Get Entries"
    QPushButton* DialButton;         // "Dial"
    QPushButton* HangUpButton;       // "<- Hangup"
    QPushButton* ConnectionsButton;  // "Get active connections"
    QPushButton* Savedefault;
    QRadioButton* AsyncDialing;  // "Async Dialing"
    QRadioButton* SyncDialing;   // "Sync Dialing"
    QCheckBox* HangUpAllBox;     // "Hangup all detected connections"
    QLabel* LStatus;
    QLabel* Status2;
    QLabel* defaultcon;

    // Delivers the progress of an asynchronous dial (the window's timer calls it).
    void PumpProgress();

  private:
    void GetEntries();
    void Dial();
    void HangUp();
    void GetConnections();
    void SaveDefault();
    void ShowState();

    RasDialUp& ras_;
    const std::string programDir_;
    QTimer* progress_;
};

}  // namespace ferrolin::gui
