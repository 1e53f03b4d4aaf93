#pragma once
// Binds window controls to the fields of a record of the core (the job editor's
// TransferJob, the GlobalOptions): a change by the operator goes into the record at once,
// and Fill() shows the record again without echoing the values back.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/qt_surfaces.h"

namespace ferrolin::gui {

template <typename Record>
class FieldBinder {
public:
    // record: where the values live; changed: called after every change by the operator.
    explicit FieldBinder(std::function<Record&()> record, std::function<void()> changed = {})
        : record_(std::move(record)), changed_(std::move(changed)) {}

    void Text(QLineEdit* edit, std::string Record::*field) {
        fillers_.push_back([this, edit, field] { edit->setText(Q(record_().*field)); });
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this, field](const QString& text) {
            Store([&](Record& r) { r.*field = U(text); });
        });
    }

    void Flag(QAbstractButton* box, bool Record::*field) {
        fillers_.push_back([this, box, field] { box->setChecked(record_().*field); });
        QObject::connect(box, &QAbstractButton::toggled, box, [this, field](bool on) {
            Store([&](Record& r) { r.*field = on; });
        });
    }

    // A choice index; an index the list does not have shows no item and is kept until
    // the operator chooses one.
    void Choice(QComboBox* combo, uint8_t Record::*field) {
        fillers_.push_back([this, combo, field] { combo->setCurrentIndex(record_().*field); });
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this, field](int index) {
            if (index >= 0) Store([&](Record& r) { r.*field = static_cast<uint8_t>(index); });
        });
    }

    void Fill() {
        filling_ = true;
        for (const auto& fill : fillers_) fill();
        filling_ = false;
    }

    bool Filling() const { return filling_; }

private:
    template <typename Change>
    void Store(Change change) {
        if (filling_) return;
        change(record_());
        if (changed_) changed_();
    }

    std::function<Record&()> record_;
    std::function<void()> changed_;
    std::vector<std::function<void()>> fillers_;
    bool filling_ = false;
};

}  // namespace ferrolin::gui
