#include "gui/qt_surfaces.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScrollBar>

namespace ferrolin::gui {

namespace {

QMessageBox::StandardButtons ButtonsOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::YesNoAbort:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Abort;
        case Buttons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

Answer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Abort:
            return Answer::Abort;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            return Answer::Cancel;
    }
}

}  // namespace

void QtSurfaces::Attach(const Widgets& widgets, Reactions reactions) {
    w_ = widgets;
    reactions_ = std::move(reactions);
}

void QtSurfaces::SetStatusText(std::string_view text) {
    if (w_.statusPanel0) w_.statusPanel0->setText(Q(text));
}

void QtSurfaces::AppendError(std::string_view line) {
    if (!w_.errors) return;
    w_.errors->appendPlainText(Q(line));
    w_.errors->verticalScrollBar()->setValue(w_.errors->verticalScrollBar()->maximum());
}

void QtSurfaces::SetGauge(int position, std::string_view text) {
    if (!w_.gauge) return;
    w_.gauge->SetProgress(position);
    w_.gauge->SetText(Q(text));
}

std::string QtSurfaces::GaugeText() const { return w_.gauge ? U(w_.gauge->Text()) : std::string(); }

void QtSurfaces::SetCaption(std::string_view caption) {
    if (w_.window) w_.window->setWindowTitle(Q(caption));
}

void QtSurfaces::SetJobListEnabled(bool enabled) {
    if (w_.jobList) w_.jobList->setEnabled(enabled);
}

void QtSurfaces::SelectJobLine(int index) {
    if (reactions_.jobLineSelected) reactions_.jobLineSelected(index);
}

void QtSurfaces::JobListChanged() {
    if (reactions_.jobListChanged) reactions_.jobListChanged();
}

void QtSurfaces::JobEditorChanged() {
    if (reactions_.jobEditorChanged) reactions_.jobEditorChanged();
}

void QtSurfaces::EditingChanged() {
    if (reactions_.editingChanged) reactions_.editingChanged();
}

void QtSurfaces::SetNextStartText(std::string_view text) {
    if (w_.nextStart) w_.nextStart->setText(Q(text));
}

void QtSurfaces::ProcessMessages() { QCoreApplication::processEvents(); }

Answer QtSurfaces::Ask(std::string_view caption, std::string_view text, Buttons buttons) {
    if (answerer_) return answerer_(caption, text, buttons);
    QMessageBox box(buttons == Buttons::Ok && caption == "Error" ? QMessageBox::Critical
                                                                 : QMessageBox::Warning,
                    Q(caption), Q(text), ButtonsOf(buttons), w_.window);
    return AnswerOf(box.exec());
}

std::string QtSurfaces::PickFolder(std::string_view startFolder) {
    if (picker_) return picker_(startFolder);
    // Qt's own dialog: it has a "Create New Folder" button and accepts a typed name.
    return U(QFileDialog::getExistingDirectory(
        w_.window, QStringLiteral("Select folder"), Q(startFolder),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog));
}

void QtSurfaces::SetNextFu10Text(std::string_view text) {
    if (w_.nextFu10) w_.nextFu10->setText(Q(text));
}

void QtSurfaces::SetConnectedCaption(std::string_view caption) {
    if (w_.connected) w_.connected->setText(Q(caption));
}

void QtSurfaces::SetCancelVisible(bool visible) {
    if (w_.cancelCopy) w_.cancelCopy->setVisible(visible);
    if (reactions_.cancelVisibleChanged) reactions_.cancelVisibleChanged(visible);
}

void QtSurfaces::MinimizeApplication() {
    if (w_.window) w_.window->showMinimized();
}

bool QtSurfaces::GaugeVisible() const { return w_.gauge && w_.gauge->isVisible(); }

}  // namespace ferrolin::gui
